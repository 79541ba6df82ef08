#pragma once

#include "footage/FeetFrames.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace hb {

// The calculator's input fields, each bound to one input of FeetFramesState.
enum class FeetFramesInput {
    feet,
    frames,
    totalFrames,
    hours,
    minutes,
    seconds,
    timecodeFrames,
    meters,
};

inline constexpr int kFeetFramesInputCount = 8;

// How far a typed text is from a number the field takes.
enum class InputTextCheck {
    invalid,      // refused as typed
    intermediate, // no number yet (empty, a lone sign, half an exponent), but may become one
    acceptable,
};

// The fields of a mode, in screen order.
QList<FeetFramesInput> inputsOf(InputMode mode);
QString inputLabel(FeetFramesInput input);
// Metres are a floating-point number; every other field holds an integer.
bool isDecimalInput(FeetFramesInput input);

// Field texts are in the locale's number format. Group separators may stand anywhere (so a
// shown "1,000" stays a number while digits are deleted); when the locale groups with a space,
// any space counts. A number's magnitude may not exceed the field's limit of the supported range.
InputTextCheck checkInputText(FeetFramesInput input, QStringView text, const QLocale &locale);
// The input's current value as its field shows it.
QString inputText(const FeetFramesState &state, FeetFramesInput input, const QLocale &locale);
// Stores the number of an acceptable text; otherwise leaves the state as it is and says false.
bool setInputText(FeetFramesState &state, FeetFramesInput input, QStringView text,
                  const QLocale &locale);

} // namespace hb
