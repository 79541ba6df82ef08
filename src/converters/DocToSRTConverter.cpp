#include "converters/DocToSRTConverter.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

QRegularExpression pattern(const QString &text)
{
    return QRegularExpression(text, QRegularExpression::UseUnicodePropertiesOption);
}

// A stamp's hours, minutes and seconds, each part captured under `name` and a letter.
// ASCII digits only, so that full-width or other digits leave a line as text.
QString clock(const QString &name)
{
    return u"(?<%1h>[0-9]{2}):(?<%1m>[0-5][0-9]):(?<%1s>[0-5][0-9])"_s.arg(name);
}

// Two stamps around an arrow. No digit or colon may touch them, so that a stamp is never read out
// of a longer one ("00:00:01:12" is not "00:01:12") and a line mixing the two forms stays text.
QRegularExpression timingPattern(const QString &start, const QString &end)
{
    return pattern(uR"((?<![0-9:]))"_s + start + uR"(\s*(?:-->|→)\s*)"_s + end +
                   uR"((?![0-9:]|[.,][0-9]))"_s);
}

// The expressions a transcript is read with, compiled once.
struct Patterns {
    const QRegularExpression timing =
        timingPattern(u"(?<s>%1(?:[.,](?<sms>[0-9]{1,3}))?)"_s.arg(clock(u"s"_s)),
                      u"(?<e>%1(?:[.,](?<ems>[0-9]{1,3}))?)"_s.arg(clock(u"e"_s)));
    const QRegularExpression frameTiming =
        timingPattern(u"(?<s>%1:(?<sf>[0-9]{2,3}))"_s.arg(clock(u"s"_s)),
                      u"(?<e>%1:(?<ef>[0-9]{2,3}))"_s.arg(clock(u"e"_s)));
    // A timing line in shape but not in its numbers (minutes past 59, hours of three digits, four
    // decimals): subtitle readers take it for one, so it never stays in a cue's text.
    const QRegularExpression looseTiming =
        pattern(uR"((?<![0-9:])[0-9]+:[0-9]+:[0-9]+(?:[.,][0-9]+)?\s*(?:-->|→)\s*)"
                uR"([0-9]+:[0-9]+:[0-9]+(?:[.,][0-9]+)?(?![0-9:]))"_s);
    const QRegularExpression timestamp =
        pattern(uR"(^([0-9]{2}:[0-5][0-9]:[0-5][0-9])(?:,([0-9]{1,3}))?$)"_s);
    const QRegularExpression cueNumberPrefix = pattern(uR"(^[0-9]+$)"_s);
    const QRegularExpression numberedLine = pattern(uR"(^\d+\s+\S+)"_s);
    const QRegularExpression cueNumber = pattern(uR"(^\d+$)"_s);
    const QRegularExpression heading = pattern(uR"(^\d+\s+[A-Z0-9 _\-]{4,}$)"_s);
    const QRegularExpression strayBeforeCloseBold = pattern(uR"(<\s*</b>)"_s);
    const QRegularExpression strayAtEnd = pattern(uR"(<\s*$)"_s);
    // The tags subtitle readers act on, which take no room on the screen.
    const QRegularExpression tag = pattern(uR"(</?(?:[biu]|font(?:\s[^<>]*)?)>)"_s);
};

const Patterns &patterns()
{
    static const Patterns compiled;
    return compiled;
}

bool hasLowerCase(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLower(); });
}

// Mends the bold tags that documents exported from subtitle tools tend to break.
QString cleanTextLine(QString line)
{
    line.replace(u"/b>"_s, u"</b>"_s);
    if (line.contains(u"<b>"_s) && !line.contains(u"</b>"_s))
        line += u"</b>"_s;
    line.replace(patterns().strayBeforeCloseBold, u"</b>"_s);
    const QRegularExpressionMatch stray = patterns().strayAtEnd.match(line);
    if (stray.hasMatch())
        line.remove(stray.capturedStart(), stray.capturedLength());
    return line.trimmed(); // what the stray "<" leaves at the end is no text
}

bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

constexpr qint64 kMillisecondsPerHour = 3'600'000;
constexpr qint64 kLastMillisecond = 100 * kMillisecondsPerHour - 1; // 99:59:59,999

qint64 capturedNumber(const QRegularExpressionMatch &match, const QString &name)
{
    return match.captured(name).toLongLong(); // the patterns take ASCII digits only
}

qint64 clockMilliseconds(const QRegularExpressionMatch &match, const QString &name)
{
    return ((capturedNumber(match, name + u'h') * 60 + capturedNumber(match, name + u'm')) * 60 +
            capturedNumber(match, name + u's')) *
           1000;
}

// The milliseconds of "HH:MM:SS,mmm"; the stamps of cues are always in that form.
std::optional<qint64> stampMilliseconds(const QString &stamp)
{
    if (stamp.size() != 12 || stamp[2] != u':' || stamp[5] != u':' || stamp[8] != u',')
        return std::nullopt;
    qint64 value = 0;
    for (const qsizetype at : {0, 3, 6, 9}) {
        const qsizetype width = at == 9 ? 3 : 2;
        qint64 part = 0;
        for (qsizetype i = at; i < at + width; ++i) {
            const char16_t c = stamp[i].unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            part = part * 10 + (c - u'0');
        }
        value = at == 9 ? value * 1000 + part : value * 60 + part;
    }
    return value;
}

QString formatStamp(qint64 milliseconds, QChar separator)
{
    return u"%1:%2:%3%4%5"_s.arg(milliseconds / kMillisecondsPerHour, 2, 10, QChar(u'0'))
        .arg(milliseconds / 60'000 % 60, 2, 10, QChar(u'0'))
        .arg(milliseconds / 1000 % 60, 2, 10, QChar(u'0'))
        .arg(separator)
        .arg(milliseconds % 1000, 3, 10, QChar(u'0'));
}

// A frame count as milliseconds at `framesPerSecond`, rounded to the nearest; none when the count
// is not a frame of a second at that rate.
std::optional<qint64> frameMilliseconds(qint64 frame, double framesPerSecond)
{
    if (!std::isfinite(framesPerSecond) || framesPerSecond <= 0 ||
        double(frame) >= std::ceil(framesPerSecond))
        return std::nullopt;
    return std::llround(double(frame) * 1000.0 / framesPerSecond);
}

// What a reader sees of a text line: its tags taken out.
QString visibleText(const QString &line)
{
    if (!line.contains(u'<'))
        return line;
    QString text = line;
    text.remove(patterns().tag);
    return text;
}

qsizetype graphemeCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (graphemes.toNextBoundary() >= 0)
        ++count;
    return count;
}

// A WebVTT cue line: the <b> tags kept, every other "&", "<" and ">" an entity (which also keeps
// "-->" out of the text).
QString escapeWebVTT(const QString &line)
{
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QStringView rest = QStringView(line).sliced(i);
        if (rest.startsWith(u"<b>") || rest.startsWith(u"</b>")) {
            const qsizetype length = rest.indexOf(u'>') + 1;
            out += rest.first(length);
            i += length - 1;
        } else if (line[i] == u'&')
            out += u"&amp;"_s;
        else if (line[i] == u'<')
            out += u"&lt;"_s;
        else if (line[i] == u'>')
            out += u"&gt;"_s;
        else
            out += line[i];
    }
    return out;
}

// The text lines of a cue as they are written: blank lines never reach a subtitle file, where
// they would end the cue.
QStringList writtenLines(const SRTCue &cue)
{
    QStringList lines;
    for (const QString &line : cue.lines) {
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

} // namespace

QStringList DocToSRTConverter::splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i]))
            continue;
        lines.append(text.sliced(start, i - start).trimmed());
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i; // CR LF is one break
        start = i + 1;
    }
    lines.append(text.sliced(start).trimmed());
    return lines;
}

std::optional<QString> DocToSRTConverter::normaliseTimestamp(const QString &text)
{
    QString stamp = text.trimmed();
    stamp.replace(u'.', u',');
    const QRegularExpressionMatch match = patterns().timestamp.match(stamp);
    if (!match.hasMatch())
        return std::nullopt;
    const QString fraction = match.hasCaptured(2) ? match.captured(2) : u"0"_s;
    return match.captured(1) + u',' + QString(fraction + u"000"_s).left(3);
}

QList<double> DocToSRTConverter::commonFrameRates()
{
    return {23.976, 24.0, 25.0, 29.97};
}

std::optional<SRTTiming> DocToSRTConverter::parseTimingLine(const QString &line,
                                                            const SubtitleOptions &options)
{
    // Most lines are text: only a line with an arrow is worth the expressions.
    if (!line.contains(u"-->") && !line.contains(u'→'))
        return std::nullopt;
    QRegularExpressionMatch match = patterns().timing.match(line);
    qint64 start = 0;
    qint64 end = 0;
    if (match.hasMatch()) {
        // "5" after the point is half a second: the fraction is padded on the right.
        start = clockMilliseconds(match, u"s"_s) +
                QString(match.captured(u"sms") + u"00"_s).left(3).toLongLong();
        end = clockMilliseconds(match, u"e"_s) +
              QString(match.captured(u"ems") + u"00"_s).left(3).toLongLong();
    } else {
        match = patterns().frameTiming.match(line);
        if (!match.hasMatch())
            return std::nullopt;
        const std::optional<qint64> startFrame =
            frameMilliseconds(capturedNumber(match, u"sf"_s), options.framesPerSecond);
        const std::optional<qint64> endFrame =
            frameMilliseconds(capturedNumber(match, u"ef"_s), options.framesPerSecond);
        if (!startFrame || !endFrame)
            return std::nullopt;
        start = clockMilliseconds(match, u"s"_s) + *startFrame;
        end = clockMilliseconds(match, u"e"_s) + *endFrame;
        if (start > kLastMillisecond || end > kLastMillisecond)
            return std::nullopt; // the last frame of 99:59:59 rounded up to 100 hours
    }
    // Each side is trimmed, so "Speaker 00:00:05,000 --> 00:00:06,000 says" leaves "Speaker says";
    // a cue number before the stamps is dropped.
    QString before = line.left(match.capturedStart(u"s")).trimmed();
    if (patterns().cueNumberPrefix.match(before).hasMatch())
        before.clear();
    const QString after = line.sliced(match.capturedEnd(u"e")).trimmed();
    return SRTTiming{formatStamp(start, u','), formatStamp(end, u','),
                     QString(before + u' ' + after).trimmed()};
}

QList<SRTCue> DocToSRTConverter::buildCues(const QStringList &lines, const SubtitleOptions &options)
{
    return readCues(lines, options).cues;
}

SubtitleCues DocToSRTConverter::readCues(const QStringList &lines, const SubtitleOptions &options)
{
    SubtitleCues read;
    bool opened = false;
    // Not an optional: g++ -O3 takes its moved-in strings for uninitialised.
    SRTTiming timing;
    bool timed = false;
    qsizetype timingLine = 0;
    QStringList current;

    const auto flush = [&] {
        if (!timed)
            return;
        const QString &line = lines[timingLine];
        if (timing.start.isEmpty())
            read.problems.append({timingLine + 1, line, u"The times are not valid."_s});
        else if (timing.end <= timing.start) // fixed-width stamps compare as their times do
            read.problems.append({timingLine + 1, line, u"The end is not after the start."_s});
        else if (current.isEmpty())
            read.problems.append({timingLine + 1, line, u"The cue has no text."_s});
        else
            read.cues.append({timing.start, timing.end, current});
        timed = false;
        current.clear();
    };

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.isEmpty())
            continue; // blank lines end nothing: a cue runs until the next timing line
        if (patterns().cueNumber.match(t).hasMatch())
            continue;
        std::optional<SRTTiming> parsed = parseTimingLine(t, options);
        if (!parsed && t.contains(u"-->") && patterns().looseTiming.match(t).hasMatch())
            parsed = SRTTiming{}; // reported with its cue left out
        if (!opened && !parsed && patterns().numberedLine.match(t).hasMatch())
            continue; // a numbered heading before the first cue
        if (parsed) {
            flush();
            timing = std::move(*parsed);
            timed = true;
            timingLine = i;
            if (!timing.rest.isEmpty())
                current = {timing.rest};
            opened = true;
            continue;
        }
        if (!opened)
            continue;
        if (patterns().heading.match(t).hasMatch() && !hasLowerCase(t))
            continue;
        if (QString cleaned = cleanTextLine(t); !cleaned.isEmpty())
            current.append(std::move(cleaned)); // "<" alone cleans to nothing
    }
    flush();
    return read;
}

QString DocToSRTConverter::renderSRT(const QList<SRTCue> &cues)
{
    QString out;
    qsizetype number = 0;
    for (const SRTCue &cue : cues) {
        const QStringList lines = writtenLines(cue);
        if (lines.isEmpty())
            continue; // an empty cue would end at its own timing line
        if (number > 0)
            out += u'\n';
        out += QString::number(++number) + u'\n' + cue.start + u" --> "_s + cue.end + u'\n';
        out += lines.join(u'\n') + u'\n';
    }
    return out.isEmpty() ? u"\n"_s : out;
}

QString DocToSRTConverter::renderWebVTT(const QList<SRTCue> &cues)
{
    QString out = u"WEBVTT\n"_s;
    for (const SRTCue &cue : cues) {
        const QStringList lines = writtenLines(cue);
        const std::optional<qint64> start = stampMilliseconds(cue.start);
        const std::optional<qint64> end = stampMilliseconds(cue.end);
        if (lines.isEmpty() || !start || !end)
            continue;
        out += u'\n' + formatStamp(*start, u'.') + u" --> "_s + formatStamp(*end, u'.') + u'\n';
        for (const QString &line : lines)
            out += escapeWebVTT(line) + u'\n';
    }
    return out;
}

QString DocToSRTConverter::render(const QList<SRTCue> &cues, SubtitleFormat format)
{
    return format == SubtitleFormat::WebVTT ? renderWebVTT(cues) : renderSRT(cues);
}

QList<ReadingSpeedWarning> DocToSRTConverter::checkReadingSpeed(const QList<SRTCue> &cues,
                                                                const ReadingSpeedLimits &limits)
{
    QList<ReadingSpeedWarning> warnings;
    for (qsizetype i = 0; i < cues.size(); ++i) {
        const QStringList lines = writtenLines(cues[i]);
        qsizetype characters = 0;
        qsizetype longest = 0;
        for (const QString &line : lines) {
            const qsizetype length = graphemeCount(visibleText(line));
            characters += length;
            longest = std::max(longest, length);
        }
        const std::optional<qint64> start = stampMilliseconds(cues[i].start);
        const std::optional<qint64> end = stampMilliseconds(cues[i].end);
        const qint64 duration = start && end ? *end - *start : 0;
        ReadingSpeedWarning warning;
        warning.cue = i;
        if (duration > 0)
            warning.charactersPerSecond = double(characters) * 1000.0 / double(duration);
        else if (characters > 0)
            warning.charactersPerSecond = std::numeric_limits<double>::infinity();
        warning.tooFast = warning.charactersPerSecond > limits.maxCharactersPerSecond;
        warning.tooManyLines = lines.size() > limits.maxLines;
        warning.lineTooLong = longest > limits.maxLineLength;
        if (warning.tooFast || warning.tooManyLines || warning.lineTooLong)
            warnings.append(warning);
    }
    return warnings;
}

QString DocToSRTConverter::convert(const QString &text, const SubtitleOptions &options)
{
    return renderSRT(buildCues(splitLines(text), options));
}

QString DocToSRTConverter::preview(const QString &text)
{
    // Counted in user-perceived characters, so that the cut never splits one.
    if (text.size() <= kPreviewLength)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    qsizetype cut = 0;
    while (count < kPreviewLength) {
        const qsizetype next = graphemes.toNextBoundary();
        if (next < 0)
            return text; // fewer characters than the limit
        cut = next;
        ++count;
    }
    if (graphemes.toNextBoundary() < 0)
        return text; // exactly the limit
    return text.left(cut) + u"\n…"_s;
}

} // namespace hb
