#include "converters/DocToSRTConverter.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

QRegularExpression pattern(const QString &text)
{
    return QRegularExpression(text, QRegularExpression::UseUnicodePropertiesOption);
}

// The expressions a transcript is read with, compiled once.
struct Patterns {
    const QRegularExpression timing = pattern(uR"((?<s>\d{2}:\d{2}:\d{2}(?:[\.,]\d{1,3})?))"
                                              uR"(\s*(?:-->|-{2}>|→)\s*)"
                                              uR"((?<e>\d{2}:\d{2}:\d{2}(?:[\.,]\d{1,3})?))"_s);
    const QRegularExpression timestamp = pattern(uR"(^(\d{2}:\d{2}:\d{2})(?:,(\d{1,3}))?$)"_s);
    const QRegularExpression numberedLine = pattern(uR"(^\d+\s+\S+)"_s);
    const QRegularExpression cueNumber = pattern(uR"(^\d+$)"_s);
    const QRegularExpression heading = pattern(uR"(^\d+\s+[A-Z0-9 _\-]{4,}$)"_s);
    const QRegularExpression strayBeforeCloseBold = pattern(uR"(<\s*</b>)"_s);
    const QRegularExpression strayAtEnd = pattern(uR"(<\s*$)"_s);
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
    return line;
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
    Q_UNUSED(options); // TODO frames
    const QRegularExpressionMatch match = patterns().timing.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<QString> start = normaliseTimestamp(match.captured(u"s"));
    const std::optional<QString> end = normaliseTimestamp(match.captured(u"e"));
    if (!start || !end)
        return std::nullopt;
    // Each side is trimmed, so "Speaker 00:00:05,000 --> 00:00:06,000 says" leaves "Speaker says".
    const QString before = line.left(match.capturedStart(u"s")).trimmed();
    const QString after = line.sliced(match.capturedEnd(u"e")).trimmed();
    return SRTTiming{*start, *end, QString(before + u' ' + after).trimmed()};
}

QList<SRTCue> DocToSRTConverter::buildCues(const QStringList &lines, const SubtitleOptions &options)
{
    return readCues(lines, options).cues;
}

SubtitleCues DocToSRTConverter::readCues(const QStringList &lines, const SubtitleOptions &options)
{
    QList<SRTCue> cues;
    bool opened = false;
    std::optional<QString> start;
    std::optional<QString> end;
    QStringList current;

    const auto flush = [&] {
        if (start && end) {
            while (!current.isEmpty() && current.constFirst().isEmpty())
                current.removeFirst();
            while (!current.isEmpty() && current.constLast().isEmpty())
                current.removeLast();
            cues.append({*start, *end, current});
        }
        start.reset();
        end.reset();
        current.clear();
    };

    for (const QString &raw : lines) {
        const QString t = raw.trimmed();
        if (!opened && patterns().numberedLine.match(t).hasMatch())
            continue;
        if (patterns().cueNumber.match(t).hasMatch())
            continue;
        if (std::optional<SRTTiming> timing = parseTimingLine(t, options)) {
            flush();
            start = timing->start;
            end = timing->end;
            if (!timing->rest.isEmpty())
                current = {timing->rest};
            opened = true;
            continue;
        }
        if (!opened)
            continue;
        if (t.isEmpty()) {
            if (!current.isEmpty() && !current.constLast().isEmpty())
                current.append(QString());
            continue;
        }
        if (patterns().heading.match(t).hasMatch() && !hasLowerCase(t))
            continue;
        current.append(cleanTextLine(t));
    }
    flush();
    return {cues, {}};
}

QString DocToSRTConverter::renderSRT(const QList<SRTCue> &cues)
{
    QStringList out;
    for (qsizetype i = 0; i < cues.size(); ++i) {
        const SRTCue &cue = cues[i];
        out.append(QString::number(i + 1));
        out.append(cue.start + u" --> "_s + cue.end);
        bool previousEmpty = false;
        for (const QString &line : cue.lines) {
            if (line.isEmpty() && previousEmpty)
                continue;
            out.append(line);
            previousEmpty = line.isEmpty();
        }
        out.append(QString());
    }
    return out.join(u'\n').trimmed() + u'\n';
}

QString DocToSRTConverter::renderWebVTT(const QList<SRTCue> &cues)
{
    Q_UNUSED(cues);
    return u"WEBVTT\n"_s; // TODO
}

QString DocToSRTConverter::render(const QList<SRTCue> &cues, SubtitleFormat format)
{
    return format == SubtitleFormat::WebVTT ? renderWebVTT(cues) : renderSRT(cues);
}

QList<ReadingSpeedWarning> DocToSRTConverter::checkReadingSpeed(const QList<SRTCue> &cues,
                                                                const ReadingSpeedLimits &limits)
{
    Q_UNUSED(cues);
    Q_UNUSED(limits);
    return {}; // TODO
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
