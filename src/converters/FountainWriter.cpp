#include "converters/FountainWriter.h"

#include "converters/FountainText.h"

#include <QStringList>
#include <QStringView>

#include <utility>

namespace hb {
namespace {

constexpr int kTabWidth = 4; // Fountain reads a tab in action as four spaces

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

QString cueLine(const QString &cue)
{
    bool plain = !startsLikeSceneHeading(cue);
    bool letter = false;
    for (QChar c : cue) {
        letter = letter || FountainText::isAsciiLetter(c);
        plain = plain && (FountainText::isAsciiLetter(c) || FountainText::isAsciiDigit(c) ||
                          c == u' ' || c == u'.' || c == u'\'' || c == u'-');
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
    const bool forced =
        kMarkers.contains(text.front()) ||
        (passageStart && (FountainText::isCapitals(text) || startsLikeSceneHeading(text))) ||
        (documentStart && startsLikeTitlePageKey(text));
    return forced ? u'!' + line : line;
}

} // namespace

QString FountainWriter::write(const FountainReading &reading, bool preserveIndentation)
{
    QString out;
    for (const FountainReading::Element &element : reading.elements) {
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

void FountainWriter::writeAction(QString &out, const FountainReading::Element &element,
                                 bool preserveIndentation, bool documentStart)
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

void FountainWriter::writeDialogue(QString &out, const FountainReading::Element &element,
                                   bool preserveIndentation)
{
    out += cueLine(element.cue);
    QString speech;
    auto flush = [&] {
        if (!speech.isEmpty())
            out += u'\n' + std::exchange(speech, {});
    };
    for (const QString &line : element.lines) {
        if (preserveIndentation || FountainText::isNote(line) || isParenthetical(line)) {
            flush();
            out += u'\n' + line;
        } else {
            speech += (speech.isEmpty() ? QString() : QString(u' ')) + line;
        }
    }
    flush();
}

} // namespace hb
