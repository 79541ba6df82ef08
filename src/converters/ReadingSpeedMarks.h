#pragma once

#include "converters/DocToSRTConverter.h"

#include <QColor>
#include <QList>
#include <QTextEdit>

class QTextDocument;

namespace hb {

// The marks over the cues of a SubRip text that break a reading-speed rule: a tinted background
// across each such cue, from its number to its last text line. The text itself is not changed.
class ReadingSpeedMarks {
public:
    ReadingSpeedMarks() = delete;

    // `document` holds SubRip text: cue k is its k-th run of non-blank lines (a cue never holds
    // a blank line). `warnings` index those cues.
    static QList<QTextEdit::ExtraSelection> selections(QTextDocument *document,
                                                       const QList<ReadingSpeedWarning> &warnings,
                                                       const QColor &colour);
    // "3 cues read too fast or are too long"; empty when none does.
    static QString summary(qsizetype count);
    // The rules in a sentence, for a tooltip.
    static QString rules(const ReadingSpeedLimits &limits);
};

} // namespace hb
