#include "converters/ReadingSpeedMarks.h"

#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace hb {

QList<QTextEdit::ExtraSelection>
ReadingSpeedMarks::selections(QTextDocument *document, const QList<ReadingSpeedWarning> &warnings,
                              const QColor &colour)
{
    QSet<qsizetype> marked;
    for (const ReadingSpeedWarning &warning : warnings)
        marked.insert(warning.cue);
    QList<QTextEdit::ExtraSelection> marks;
    qsizetype cue = -1;
    for (QTextBlock block = document->begin(); block.isValid() && !marked.isEmpty();) {
        if (block.text().isEmpty()) {
            block = block.next();
            continue;
        }
        QTextBlock last = block;
        while (last.next().isValid() && !last.next().text().isEmpty())
            last = last.next();
        const bool mark = marked.remove(++cue);
        // One selection a line: a full-width selection over several blocks leaves its last
        // line only as wide as its text.
        for (; block != last.next(); block = block.next()) {
            if (!mark)
                continue;
            QTextEdit::ExtraSelection line;
            line.cursor = QTextCursor(block);
            line.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            line.format.setBackground(colour);
            line.format.setProperty(QTextFormat::FullWidthSelection, true);
            marks.append(line);
        }
    }
    return marks;
}

QString ReadingSpeedMarks::summary(qsizetype count)
{
    if (count == 0)
        return {};
    return count == 1 ? u"1 cue reads too fast or is too long"_s
                      : u"%1 cues read too fast or are too long"_s.arg(count);
}

QString ReadingSpeedMarks::rules(const ReadingSpeedLimits &limits)
{
    return u"Marked: more than %1 characters a second, or more than %2 lines of %3 characters."_s
        .arg(limits.maxCharactersPerSecond)
        .arg(limits.maxLines)
        .arg(limits.maxLineLength);
}

} // namespace hb
