#pragma once

#include <QString>

namespace hb {

// One input line of a transcript, classified: blank, a timecode alone, a speaker line
// ("NAME: text", "[00:01:02] NAME:", "NAME (00:01:02):", or a name alone), or other text.
struct FountainTranscriptLine {
    enum class Kind { Blank, Timecode, Speaker, Text };
    Kind kind = Kind::Blank;
    QString name; // Speaker
    QString text; // Speaker: the words after the colon; Text: the line, less a bracketed timecode
    QString timecode; // the clock of a timecode on the line
    bool colon = false;

    static FountainTranscriptLine read(const QString &line);
};

} // namespace hb
