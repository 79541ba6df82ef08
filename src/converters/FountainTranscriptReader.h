#pragma once

#include "converters/FountainReading.h"
#include "converters/FountainTranscriptLine.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace hb {

// Reads a transcript into dialogue and action: a speaker line starts dialogue, the lines after it
// continue the speech up to a blank line or the next speaker, and every other line is action.
// A reader reads one text.
class FountainTranscriptReader {
public:
    // `lenient` lets a name alone of capitalised words that is neither in capitals nor repeated
    // start dialogue; detection does without that weaker evidence.
    FountainTranscriptReader(bool lenient, bool includeTimecodes)
        : m_lenient(lenient), m_includeTimecodes(includeTimecodes)
    {
    }

    FountainReading read(const QStringList &lines);

private:
    QList<FountainTranscriptLine> classify(const QStringList &lines);
    bool awaitingSpeech() const { return m_current.isDialogue() && m_current.lines.isEmpty(); }
    bool startsDialogueAlone(const FountainTranscriptLine &line) const;
    void close();
    void startDialogue(const FountainTranscriptLine &line, const QString &written);
    void addSpeech(const QString &text, const QString &clock);
    // `text` is the line without its timecode, or empty when the line as `written` is meant.
    void addText(const QString &text, const QString &written, const QString &clock);

    bool m_lenient;
    bool m_includeTimecodes;
    QHash<QString, int> m_standaloneNames; // how often each name, in capitals, stands alone
    FountainReading m_reading;
    FountainReading::Element m_current;
    QString m_pendingClock; // from a line holding only a timecode
};

} // namespace hb
