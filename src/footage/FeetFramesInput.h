#pragma once

#include "footage/FeetFrames.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <array>

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
    frameRate,
};

inline constexpr int kFeetFramesInputCount = 9;

// How far a typed text is from a number the field takes.
enum class InputTextCheck {
    invalid,      // refused as typed
    intermediate, // no number yet (empty, a lone sign, half an exponent), but may become one
    acceptable,
};

// What a typed text gives its field.
struct InputReading {
    InputTextCheck check = InputTextCheck::invalid;
    // The number the field takes, within the field's range; whole in an integer field.
    double value = 0;
    // Empty when the number is taken as typed. Otherwise what became of it ("Only whole feet:
    // the fraction is dropped", "Frame rate limited to 120") or, when refused, why.
    QString note;
};

// One text per field, indexed by FeetFramesInput.
using InputNotes = std::array<QString, kFeetFramesInputCount>;

// The fields of a mode, in screen order; the frame rate belongs to no mode.
QList<FeetFramesInput> inputsOf(InputMode mode);
QString inputLabel(FeetFramesInput input);
// Metres and the frame rate are floating-point numbers; every other field holds an integer.
bool isDecimalInput(FeetFramesInput input);

// Field texts are in the locale's number format. Group separators may stand anywhere (so a
// shown "1,000" stays a number while digits are deleted), with a note where the locale would not
// put one; when the locale groups with a space, any space counts. A number beyond the field's
// range (see the supported range in FeetFrames.h) is taken at the range's end, a negative length
// as 0 and a fraction in an integer field is dropped, each with a note. Exponents are for
// decimal fields only.
InputReading readInputText(FeetFramesInput input, QStringView text, const QLocale &locale);
// The input's current value as its field shows it.
QString inputText(const FeetFramesState &state, FeetFramesInput input, const QLocale &locale);
// Stores the number of an acceptable text; otherwise leaves the state as it is.
InputReading setInputText(FeetFramesState &state, FeetFramesInput input, QStringView text,
                          const QLocale &locale);

// normaliseInputs() with a note for each field it changed ("Minutes limited to 59"); the
// frames carried into feet are told at the frames.
InputNotes normaliseInputsWithNotes(FeetFramesState &state, const QLocale &locale);
// The note for a field that was left without a number and shows its value again.
QString keptValueNote(const QString &shownText);
// How timecode counts at a rate that is not whole; empty for a whole rate.
QString frameRateNote(double fps, const QLocale &locale);

} // namespace hb
