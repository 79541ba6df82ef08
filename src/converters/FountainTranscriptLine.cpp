#include "converters/FountainTranscriptLine.h"

#include "converters/FountainText.h"

namespace hb {
namespace {

constexpr qsizetype kMaxNameLength = 40;
constexpr int kMaxNameWords = 4;

// A clock time at the start of `s` (1:02, 01:02:03, 00:01:02.500, 00:01:02;15, 00:01:02:15):
// its length, or 0 when there is none.
qsizetype clockLength(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && i < 2 && FountainText::isAsciiDigit(s[i]))
        ++i;
    if (i == 0)
        return 0;
    int groups = 0;
    while (groups < 2 && i + 2 < s.size() && s[i] == u':' && FountainText::isAsciiDigit(s[i + 1]) &&
           FountainText::isAsciiDigit(s[i + 2])) {
        i += 3;
        ++groups;
    }
    if (groups == 0)
        return 0;
    if (i + 1 < s.size() && QStringView(u".,;:").contains(s[i]) &&
        FountainText::isAsciiDigit(s[i + 1])) {
        const qsizetype fraction = i + 1;
        i = fraction;
        while (i < s.size() && i - fraction < 3 && FountainText::isAsciiDigit(s[i]))
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

} // namespace

FountainTranscriptLine FountainTranscriptLine::read(const QString &line)
{
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

} // namespace hb
