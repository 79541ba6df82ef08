#pragma once

#include "converters/FountainReading.h"

#include <QString>

namespace hb {

// Writes a reading as Fountain: one blank line between elements, a line break at the end, and
// whatever Fountain would read as something else forced to what it is (see FountainConverter).
class FountainWriter {
public:
    FountainWriter() = delete;

    // `preserveIndentation` keeps the line breaks and the leading spaces of action (tabs as four
    // spaces); without it the lines of an element are joined and trimmed.
    static QString write(const FountainReading &reading, bool preserveIndentation);

private:
    static void writeAction(QString &out, const FountainReading::Element &element,
                            bool preserveIndentation, bool documentStart);
    static void writeDialogue(QString &out, const FountainReading::Element &element,
                              bool preserveIndentation);
};

} // namespace hb
