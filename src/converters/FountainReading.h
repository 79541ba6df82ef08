#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace hb {

// The input read as a screenplay's elements, with the counts that tell a transcript from prose.
struct FountainReading {
    // A stretch of the screenplay: action (no cue) or dialogue.
    struct Element {
        QString cue;
        QStringList lines;   // action: as written; dialogue: speech, parentheticals and notes
        QString timecode;    // dialogue: the clock for the first line of speech
        QString speakerLine; // dialogue: the "NAME:" line, shown as action if no speech follows
        qsizetype sourceLines = 0;

        bool isDialogue() const { return !cue.isEmpty(); }
    };

    QList<Element> elements;
    qsizetype speechLines = 0;
    qsizetype actionLines = 0;
    int turns = 0;

    // Prose: every passage (a run of lines up to a blank line) is one action element.
    static FountainReading prose(const QStringList &lines);

    // At least two speaker turns, and more lines of speech than of action.
    bool isTranscript() const { return turns >= 2 && speechLines > actionLines; }
};

} // namespace hb
