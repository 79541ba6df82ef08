#include "footage/FeetFramesInput.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kFeet = u"Feet"_s;
const QString kFrames = u"Frames"_s;
const QString kHours = u"Hours"_s;
const QString kMinutes = u"Minutes"_s;
const QString kSeconds = u"Seconds"_s;

// The largest magnitude an integer field takes (see the supported range in FeetFrames.h).
qint64 integerLimit(FeetFramesInput input)
{
    switch (input) {
    case FeetFramesInput::feet:
        return kMaxFeet;
    case FeetFramesInput::totalFrames:
        return kMaxTotalFrames;
    case FeetFramesInput::hours:
        return kMaxHours;
    default:
        return kMaxFrames;
    }
}

// The state's integer behind a field; null for metres.
template <typename State> auto integerOf(State &state, FeetFramesInput input)
{
    switch (input) {
    case FeetFramesInput::feet:
        return &state.inputFeet;
    case FeetFramesInput::frames:
        return &state.inputFrames;
    case FeetFramesInput::totalFrames:
        return &state.inputTotalFrames;
    case FeetFramesInput::hours:
        return &state.inputTC.hours;
    case FeetFramesInput::minutes:
        return &state.inputTC.minutes;
    case FeetFramesInput::seconds:
        return &state.inputTC.seconds;
    case FeetFramesInput::timecodeFrames:
        return &state.inputTC.frames;
    case FeetFramesInput::meters:
        break;
    }
    return decltype(&state.inputFeet)(nullptr);
}

QString withoutGrouping(QStringView text, const QLocale &locale)
{
    QString plain = text.trimmed().toString();
    const QString group = locale.groupSeparator();
    if (group.isEmpty())
        return plain;
    if (group.front().isSpace()) // no-break spaces, which nobody types
        plain.removeIf([](QChar c) { return c.isSpace(); });
    else
        plain.remove(group);
    return plain;
}

// Whether the text holds only what a decimal number is written with.
bool mayBecomeDecimal(const QString &plain, const QLocale &locale)
{
    const QString allowed = locale.decimalPoint() + locale.negativeSign() + locale.positiveSign() +
                            locale.exponential();
    for (QChar c : plain) {
        if (!c.isDigit() && !allowed.contains(c, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

struct Parsed {
    InputTextCheck check = InputTextCheck::invalid;
    qint64 integer = 0;
    double decimal = 0;
};

Parsed parse(FeetFramesInput input, QStringView text, const QLocale &locale)
{
    const QString plain = withoutGrouping(text, locale);
    if (plain.isEmpty() || plain == locale.negativeSign() || plain == locale.positiveSign())
        return {InputTextCheck::intermediate};
    bool ok = false;
    if (!isDecimalInput(input)) {
        const qint64 value = locale.toLongLong(plain, &ok);
        const qint64 limit = integerLimit(input);
        if (!ok || value > limit || value < -limit)
            return {};
        return {InputTextCheck::acceptable, value};
    }
    const double value = locale.toDouble(plain, &ok);
    if (!ok)
        return {mayBecomeDecimal(plain, locale) ? InputTextCheck::intermediate
                                                : InputTextCheck::invalid};
    if (!std::isfinite(value) || std::abs(value) > kMaxMetres)
        return {};
    return {InputTextCheck::acceptable, 0, value};
}

} // namespace

QList<FeetFramesInput> inputsOf(InputMode mode)
{
    switch (mode) {
    case InputMode::feetFrames:
        return {FeetFramesInput::feet, FeetFramesInput::frames};
    case InputMode::totalFrames:
        return {FeetFramesInput::totalFrames};
    case InputMode::timecode:
        return {FeetFramesInput::hours, FeetFramesInput::minutes, FeetFramesInput::seconds,
                FeetFramesInput::timecodeFrames};
    case InputMode::meters:
        return {FeetFramesInput::meters};
    }
    return {};
}

QString inputLabel(FeetFramesInput input)
{
    switch (input) {
    case FeetFramesInput::feet:
        return kFeet;
    case FeetFramesInput::frames:
    case FeetFramesInput::timecodeFrames:
        return kFrames;
    case FeetFramesInput::totalFrames:
        return displayText(InputMode::totalFrames);
    case FeetFramesInput::hours:
        return kHours;
    case FeetFramesInput::minutes:
        return kMinutes;
    case FeetFramesInput::seconds:
        return kSeconds;
    case FeetFramesInput::meters:
        return displayText(InputMode::meters);
    }
    return {};
}

bool isDecimalInput(FeetFramesInput input)
{
    return input == FeetFramesInput::meters;
}

InputTextCheck checkInputText(FeetFramesInput input, QStringView text, const QLocale &locale)
{
    return parse(input, text, locale).check;
}

QString inputText(const FeetFramesState &state, FeetFramesInput input, const QLocale &locale)
{
    if (const qint64 *value = integerOf(state, input))
        return locale.toString(*value);
    return locale.toString(state.inputMeters, 'f', QLocale::FloatingPointShortest);
}

bool setInputText(FeetFramesState &state, FeetFramesInput input, QStringView text,
                  const QLocale &locale)
{
    const Parsed parsed = parse(input, text, locale);
    if (parsed.check != InputTextCheck::acceptable)
        return false;
    if (qint64 *value = integerOf(state, input))
        *value = parsed.integer;
    else
        state.inputMeters = parsed.decimal;
    return true;
}

} // namespace hb
