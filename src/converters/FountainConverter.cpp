#include "converters/FountainConverter.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <utility>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype kMaxNameLength = 40;
constexpr int kMaxNameWords = 4;
constexpr int kTabWidth = 4; // Fountain reads a tab in action as four spaces

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The text as lines, with "[[" and "/*" defused so that the input never opens a note or a
// boneyard: consecutive opening brackets get a space between them and the star after a slash gets
// Fountain's backslash escape.
QStringList inputLines(const QString &text)
{
    QString lines;
    lines.reserve(text.size() + text.size() / 64);
    const qsizetype start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            lines += u'\n';
            continue;
        }
        if (c == u'[' && lines.endsWith(u'['))
            lines += u' ';
        else if (c == u'*' && lines.endsWith(u'/'))
            lines += u'\\';
        lines += c;
    }
    return lines.split(u'\n');
}

// A clock time at the start of `s` (1:02, 01:02:03, 00:01:02.500, 00:01:02;15, 00:01:02:15):
// its length, or 0 when there is none.
qsizetype clockLength(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && i < 2 && isAsciiDigit(s[i]))
        ++i;
    if (i == 0)
        return 0;
    int groups = 0;
    while (groups < 2 && i + 2 < s.size() && s[i] == u':' && isAsciiDigit(s[i + 1]) &&
           isAsciiDigit(s[i + 2])) {
        i += 3;
        ++groups;
    }
    if (groups == 0)
        return 0;
    if (i + 1 < s.size() && QStringView(u".,;:").contains(s[i]) && isAsciiDigit(s[i + 1])) {
        const qsizetype fraction = i + 1;
        i = fraction;
        while (i < s.size() && i - fraction < 3 && isAsciiDigit(s[i]))
            ++i;
    }
    if (i < s.size() && (s[i].isLetterOrNumber() || s[i] == u':'))
        return 0;
    return i;
}

struct Timecode {
    QString clock;        // the time as written, without brackets
    qsizetype length = 0; // with its brackets
    bool bracketed = false;
};

// A timecode at the start of `s`: "[00:01:02]", "(00:01:02)", or a bare clock followed by a
// space or the end.
Timecode leadingTimecode(QStringView s)
{
    if (s.startsWith(u'[') || s.startsWith(u'(')) {
        const QChar close = s.front() == u'[' ? u']' : u')';
        const qsizetype n = clockLength(s.mid(1));
        if (n > 0 && n + 1 < s.size() && s[n + 1] == close)
            return {s.mid(1, n).toString(), n + 2, true};
        return {};
    }
    const qsizetype n = clockLength(s);
    if (n > 0 && (n == s.size() || s[n].isSpace()))
        return {s.left(n).toString(), n, false};
    return {};
}

// A timecode ending `s` and set off by a space: "NAME [00:01:02]", "NAME 0:03".
Timecode trailingTimecode(QStringView s)
{
    const qsizetype space = s.lastIndexOf(u' ');
    if (space < 0)
        return {};
    const QStringView last = s.mid(space + 1);
    const Timecode found = leadingTimecode(last);
    return found.length == last.size() ? found : Timecode{};
}

// Written in capitals: a capital letter and no small one.
bool isCapitals(QStringView s)
{
    bool upper = false;
    for (QChar c : s) {
        if (c.isLower())
            return false;
        upper = upper || c.isUpper();
    }
    return upper;
}

bool isName(QStringView name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || !name.front().isLetter() ||
        name.front().isLower() || !name.back().isLetterOrNumber())
        return false;
    int words = 0;
    bool wordStart = true;
    for (QChar c : name) {
        if (c == u' ') {
            wordStart = true;
            continue;
        }
        if (wordStart) {
            if (c.isLower() || ++words > kMaxNameWords)
                return false;
            wordStart = false;
        }
        if (!c.isLetterOrNumber() && c != u'.' && c != u'\'' && c != u'\u2019' && c != u'-')
            return false;
    }
    return true;
}

qsizetype wordCount(QStringView s)
{
    return s.split(u' ', Qt::SkipEmptyParts).size();
}

bool startsLikeSceneHeading(QStringView line)
{
    static constexpr QStringView kPrefixes[] = {u"INT", u"EXT", u"EST", u"INT/EXT", u"I/E"};
    for (QStringView prefix : kPrefixes) {
        if (line.size() > prefix.size() && line.startsWith(prefix, Qt::CaseInsensitive) &&
            (line[prefix.size()] == u'.' || line[prefix.size()] == u' '))
            return true;
    }
    return false;
}

// A parenthetical as Fountain reads it inside dialogue.
bool isParenthetical(QStringView line)
{
    return line.size() > 1 && line.startsWith(u'(') && line.endsWith(u')');
}

// Only the converter writes lines that start with "[[": the input's are defused.
bool isNote(QStringView line)
{
    return line.startsWith(u"[[");
}

QString note(const QString &clock)
{
    return u"[[" + clock + u"]]";
}

// One input line of a transcript.
struct TranscriptLine {
    enum class Kind { Blank, Timecode, Speaker, Text };
    Kind kind = Kind::Blank;
    QString name; // Speaker
    QString text; // Speaker: the words after the colon; Text: the line, less a bracketed timecode
    QString timecode; // the clock of a timecode on the line
    bool colon = false;
};

TranscriptLine readTranscriptLine(const QString &line)
{
    using Kind = TranscriptLine::Kind;
    const QStringView trimmed = QStringView(line).trimmed();
    if (trimmed.isEmpty())
        return {};
    const Timecode leading = leadingTimecode(trimmed);
    const QStringView rest = trimmed.mid(leading.length).trimmed();
    if (leading.length > 0 && rest.isEmpty())
        return {Kind::Timecode, {}, {}, leading.clock, false};

    qsizetype colon = rest.indexOf(u':');
    while (colon >= 0 && colon + 1 < rest.size() && !rest[colon + 1].isSpace())
        colon = rest.indexOf(u':', colon + 1);
    QStringView name = colon >= 0 ? rest.left(colon).trimmed() : rest;
    QString clock = leading.clock;
    if (leading.length == 0) {
        const Timecode trailing = trailingTimecode(name);
        if (trailing.length > 0) {
            name = name.chopped(trailing.length).trimmed();
            clock = trailing.clock;
        }
    }
    if (isName(name))
        return {Kind::Speaker, name.toString(),
                colon >= 0 ? rest.mid(colon + 1).trimmed().toString() : QString(), clock,
                colon >= 0};
    // A bare clock in front of other text may be part of a sentence ("10:30 we left"), so only a
    // bracketed one is taken off.
    if (leading.bracketed)
        return {Kind::Text, {}, rest.toString(), leading.clock, false};
    return {Kind::Text, {}, line, {}, false};
}

// A stretch of the screenplay: action (no cue) or dialogue.
struct Element {
    QString cue;
    QStringList lines;   // action: as written; dialogue: speech, parentheticals and notes
    QString timecode;    // dialogue: the clock for the first line of speech
    QString speakerLine; // dialogue: the "NAME:" line, shown as action if no speech follows
    qsizetype sourceLines = 0;

    bool isDialogue() const { return !cue.isEmpty(); }
};

struct Reading {
    QList<Element> elements;
    qsizetype speechLines = 0;
    qsizetype actionLines = 0;
    int turns = 0;
};

Reading readProse(const QStringList &lines)
{
    Reading reading;
    Element passage;
    auto close = [&] {
        if (!passage.lines.isEmpty())
            reading.elements.append(std::exchange(passage, {}));
    };
    for (const QString &line : lines) {
        if (QStringView(line).trimmed().isEmpty())
            close();
        else
            passage.lines.append(line);
    }
    close();
    return reading;
}

class TranscriptReader {
public:
    // `lenient` lets a name alone of capitalised words that is neither in capitals nor repeated
    // start dialogue; detection does without that weaker evidence.
    TranscriptReader(bool lenient, bool includeTimecodes)
        : m_lenient(lenient), m_includeTimecodes(includeTimecodes)
    {
    }

    Reading read(const QStringList &lines)
    {
        using Kind = TranscriptLine::Kind;
        QList<TranscriptLine> parsed;
        parsed.reserve(lines.size());
        for (const QString &line : lines) {
            parsed.append(readTranscriptLine(line));
            if (parsed.back().kind == Kind::Speaker && !parsed.back().colon)
                ++m_standaloneNames[parsed.back().name.toUpper()];
        }

        bool passageStart = true;
        for (qsizetype i = 0; i < parsed.size(); ++i) {
            const TranscriptLine &line = parsed[i];
            switch (line.kind) {
            case Kind::Blank:
                if (!awaitingSpeech())
                    close();
                passageStart = true;
                continue;
            case Kind::Timecode:
                m_pendingClock = line.timecode;
                passageStart = true;
                continue;
            case Kind::Speaker:
                if (line.colon) {
                    startDialogue(line, lines[i]);
                    passageStart = false;
                    continue;
                }
                if (passageStart && i + 1 < parsed.size() && startsDialogueAlone(line) &&
                    (parsed[i + 1].kind == Kind::Text ||
                     (parsed[i + 1].kind == Kind::Speaker && !parsed[i + 1].colon))) {
                    startDialogue(line, lines[i]);
                    passageStart = false;
                    continue;
                }
                addText({}, lines[i], {});
                break;
            case Kind::Text:
                addText(line.text, lines[i], line.timecode);
                break;
            }
            passageStart = false;
        }
        close();
        return std::move(m_reading);
    }

private:
    bool awaitingSpeech() const { return m_current.isDialogue() && m_current.lines.isEmpty(); }

    bool startsDialogueAlone(const TranscriptLine &line) const
    {
        return !line.timecode.isEmpty() || isCapitals(line.name) ||
               m_standaloneNames.value(line.name.toUpper()) > 1 ||
               (m_lenient && wordCount(line.name) > 1);
    }

    void close()
    {
        if (awaitingSpeech()) {
            // A "NAME:" line that nothing followed stays as it was written.
            Element action;
            action.lines.append(m_current.speakerLine.trimmed());
            action.sourceLines = m_current.sourceLines;
            m_current = action;
        }
        if (m_current.lines.isEmpty())
            return;
        if (m_current.isDialogue()) {
            m_reading.speechLines += m_current.sourceLines;
            ++m_reading.turns;
        } else {
            m_reading.actionLines += m_current.sourceLines;
        }
        m_reading.elements.append(std::exchange(m_current, {}));
    }

    void startDialogue(const TranscriptLine &line, const QString &written)
    {
        close();
        const QString pending = std::exchange(m_pendingClock, {});
        m_current.cue = line.name.toUpper();
        m_current.timecode = line.timecode.isEmpty() ? pending : line.timecode;
        m_current.speakerLine = written;
        m_current.sourceLines = 1;
        if (!line.text.isEmpty())
            addSpeech(line.text, {});
    }

    void addSpeech(const QString &text, const QString &clock)
    {
        const QString timecode = !clock.isEmpty()            ? clock
                                 : m_current.lines.isEmpty() ? m_current.timecode
                                                             : QString();
        if (m_includeTimecodes && !timecode.isEmpty())
            m_current.lines.append(note(timecode));
        m_current.lines.append(text);
    }

    // `text` is the line without its timecode, or empty when the line as `written` is meant.
    void addText(const QString &text, const QString &written, const QString &clock)
    {
        const QString timecode = clock.isEmpty() ? std::exchange(m_pendingClock, {}) : clock;
        m_pendingClock.clear();
        if (m_current.isDialogue()) {
            addSpeech((text.isEmpty() ? written : text).trimmed(), timecode);
        } else {
            const QString line = text.isEmpty() ? written : text;
            m_current.lines.append(m_includeTimecodes && !timecode.isEmpty()
                                       ? note(timecode) + u' ' + line.trimmed()
                                       : line);
        }
        ++m_current.sourceLines;
    }

    bool m_lenient;
    bool m_includeTimecodes;
    QHash<QString, int> m_standaloneNames; // how often each name, in capitals, stands alone
    Reading m_reading;
    Element m_current;
    QString m_pendingClock; // from a line holding only a timecode
};

bool isTranscript(const Reading &reading)
{
    return reading.turns >= 2 && reading.speechLines > reading.actionLines;
}

QString cueLine(const QString &cue)
{
    bool plain = !startsLikeSceneHeading(cue);
    bool letter = false;
    for (QChar c : cue) {
        letter = letter || isAsciiLetter(c);
        plain = plain && (isAsciiLetter(c) || isAsciiDigit(c) || c == u' ' || c == u'.' ||
                          c == u'\'' || c == u'-');
    }
    return plain && letter ? cue : u'@' + cue;
}

// "Key: value" at the top of a document opens a title page.
bool startsLikeTitlePageKey(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon <= 0)
        return false;
    for (QChar c : line.left(colon)) {
        if (!c.isLetterOrNumber() && c != u' ' && c != u'-' && c != u'_')
            return false;
    }
    return true;
}

QString leadingSpaces(QStringView line, qsizetype *textStart)
{
    QString spaces;
    qsizetype i = 0;
    for (; i < line.size() && line[i].isSpace(); ++i)
        spaces += line[i] == u'\t' ? QString(kTabWidth, u' ') : QString(u' ');
    *textStart = i;
    return spaces;
}

QString actionLine(const QString &line, bool passageStart, bool documentStart)
{
    const QStringView text = QStringView(line).trimmed();
    if (text.isEmpty())
        return line;
    static constexpr QStringView kMarkers = u"!@#~=>.";
    const bool forced = kMarkers.contains(text.front()) ||
                        (passageStart && (isCapitals(text) || startsLikeSceneHeading(text))) ||
                        (documentStart && startsLikeTitlePageKey(text));
    return forced ? u'!' + line : line;
}

void writeAction(QString &out, const Element &element, bool preserveIndentation, bool documentStart)
{
    QStringList lines;
    if (preserveIndentation) {
        for (const QString &line : element.lines) {
            qsizetype textStart = 0;
            const QString indent = leadingSpaces(line, &textStart);
            lines.append(indent + QStringView(line).mid(textStart).trimmed());
        }
    } else {
        QString joined;
        for (const QString &line : element.lines)
            joined += (joined.isEmpty() ? QString() : QString(u' ')) + line.trimmed();
        lines.append(joined);
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += u'\n';
        out += actionLine(lines[i], i == 0, documentStart && i == 0);
    }
}

void writeDialogue(QString &out, const Element &element, bool preserveIndentation)
{
    out += cueLine(element.cue);
    QString speech;
    auto flush = [&] {
        if (!speech.isEmpty())
            out += u'\n' + std::exchange(speech, {});
    };
    for (const QString &line : element.lines) {
        if (preserveIndentation || isNote(line) || isParenthetical(line)) {
            flush();
            out += u'\n' + line;
        } else {
            speech += (speech.isEmpty() ? QString() : QString(u' ')) + line;
        }
    }
    flush();
}

QString write(const Reading &reading, bool preserveIndentation)
{
    QString out;
    for (const Element &element : reading.elements) {
        if (!out.isEmpty())
            out += u"\n\n";
        if (element.isDialogue())
            writeDialogue(out, element, preserveIndentation);
        else
            writeAction(out, element, preserveIndentation, out.isEmpty());
    }
    if (!out.isEmpty())
        out += u'\n';
    return out;
}

} // namespace

QString FountainConverter::convert(const QString &text, FountainMode mode, bool preserveIndentation,
                                   bool includeTimecodes)
{
    const QStringList lines = inputLines(text);
    if (mode == FountainMode::Auto) {
        const Reading strict = TranscriptReader(false, includeTimecodes).read(lines);
        mode = isTranscript(strict) ? FountainMode::Transcript : FountainMode::Prose;
    }
    const Reading reading = mode == FountainMode::Transcript
                                ? TranscriptReader(true, includeTimecodes).read(lines)
                                : readProse(lines);
    return write(reading, preserveIndentation);
}

FountainMode FountainConverter::detectMode(const QString &text)
{
    return isTranscript(TranscriptReader(false, false).read(inputLines(text)))
               ? FountainMode::Transcript
               : FountainMode::Prose;
}

} // namespace hb
