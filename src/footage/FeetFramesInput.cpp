#include "footage/FeetFramesInput.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kFeet = u"Feet"_s;
const QString kFrames = u"Frames"_s;
const QString kHours = u"Hours"_s;
const QString kMinutes = u"Minutes"_s;
const QString kSeconds = u"Seconds"_s;
const QString kFps = u"FPS"_s;
const QString kFrameRate = u"Frame rate"_s;

const QString kLimitedNote = u"%1 limited to %2"_s;
const QString kRaisedNote = u"%1 raised to %2"_s;
const QString kNegativeNote = u"No negative %1: taken as 0"_s;
const QString kFractionNote = u"Only whole %1: the fraction is dropped"_s;
const QString kCarriedNote = u"Frames over one foot carried into feet: %1 → %2"_s;
const QString kTimecodeFramesNote = u"Frames limited to %1: timecode counts %2 a second"_s;
const QString kForeignCharacterNote = u"Not taken: “%1” is not part of a number"_s;
const QString kMalformedNote = u"Not taken: “%1” is not a number"_s;
const QString kKeptNote = u"Not a number: kept %1"_s;
const QString kFrameRateNote = u"Timecode counts %1 frames a second (non-drop-frame)"_s;
const QString kGroupingNote = u"Read as %1: “%2” groups thousands"_s;
const QString kSpaceGroupingNote = u"Read as %1: spaces group thousands"_s;

// A refused text longer than this is shortened in its note.
constexpr qsizetype kQuotedTextLength = 24;

// The largest magnitude a field takes (see the supported range in FeetFrames.h).
double limitOf(FeetFramesInput input)
{
    switch (input) {
    case FeetFramesInput::feet:
        return kMaxFeet;
    case FeetFramesInput::totalFrames:
        return kMaxTotalFrames;
    case FeetFramesInput::hours:
        return kMaxHours;
    case FeetFramesInput::meters:
        return kMaxMetres;
    case FeetFramesInput::frameRate:
        return kMaxFps;
    default:
        return kMaxFrames;
    }
}

// The smallest value a field takes.
double minimumOf(FeetFramesInput input)
{
    return input == FeetFramesInput::frameRate ? kMinFps : 0;
}

// What a note calls the field's value: "Frame rate limited to 120", "Only whole feet".
QString nounOf(FeetFramesInput input)
{
    if (input == FeetFramesInput::frameRate)
        return kFrameRate;
    return inputLabel(input);
}

// The state's integer behind a field; null for metres and the frame rate.
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
    case FeetFramesInput::frameRate:
        break;
    }
    return decltype(&state.inputFeet)(nullptr);
}

double valueOf(const FeetFramesState &state, FeetFramesInput input)
{
    if (const qint64 *value = integerOf(state, input))
        return static_cast<double>(*value);
    return input == FeetFramesInput::meters ? state.inputMeters : state.fps;
}

QString numberText(FeetFramesInput input, double value, const QLocale &locale)
{
    if (isDecimalInput(input))
        return locale.toString(value, 'f', QLocale::FloatingPointShortest);
    return locale.toString(static_cast<qint64>(value));
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

// Whether every group separator stands before three digits of the whole part, as the locale
// writes them; elsewhere it is still skipped, but the number may not be the one meant.
bool groupedAsWritten(QStringView text, const QLocale &locale)
{
    const QString group = locale.groupSeparator();
    if (group.isEmpty())
        return true;
    const bool spaces = group.front().isSpace();
    const QString point = locale.decimalPoint();
    const QStringView trimmed = text.trimmed();
    bool digitBefore = false;
    for (qsizetype at = 0; at < trimmed.size();) {
        const QStringView rest = trimmed.sliced(at);
        if (!point.isEmpty() && rest.startsWith(point))
            return true; // the whole part ends here
        const qsizetype separator =
            spaces ? (rest.front().isSpace() ? 1 : 0) : (rest.startsWith(group) ? group.size() : 0);
        if (separator == 0) {
            digitBefore = rest.front().isDigit();
            ++at;
            continue;
        }
        at += separator;
        qsizetype digits = 0;
        while (at + digits < trimmed.size() && trimmed[at + digits].isDigit())
            ++digits;
        if (!digitBefore || digits != 3)
            return false;
    }
    return true;
}

// A number's parts as written: sign, digits (as ASCII), a point, an exponent.
struct Scan {
    bool negative = false;
    std::string digits;
    bool point = false;
    std::string fraction;
    bool exponent = false;
    bool exponentNegative = false;
    std::string exponentDigits;
    qsizetype stop = -1; // the first character that cannot stand where it is; -1 for none

    bool complete() const
    {
        return !(digits.empty() && fraction.empty()) && !(exponent && exponentDigits.empty());
    }
};

class Scanner {
public:
    Scanner(const QString &text, const QLocale &locale) : m_text(text), m_locale(locale) {}

    Scan scan(bool withExponent)
    {
        Scan result;
        result.negative = takeNegativeSign();
        if (!result.negative)
            takePositiveSign();
        takeDigits(result.digits);
        if (take(m_locale.decimalPoint())) {
            result.point = true;
            takeDigits(result.fraction);
        }
        if (withExponent && (take(m_locale.exponential()) || take(u"e"))) {
            result.exponent = true;
            result.exponentNegative = takeNegativeSign();
            if (!result.exponentNegative)
                takePositiveSign();
            takeDigits(result.exponentDigits);
        }
        if (m_at < m_text.size())
            result.stop = m_at;
        return result;
    }

    // Whether a character may stand somewhere in a number of the field.
    bool isNumberCharacter(qsizetype at, bool withExponent) const
    {
        const QStringView rest = QStringView(m_text).sliced(at);
        const auto startsWith = [rest](QStringView part) {
            return !part.isEmpty() && rest.startsWith(part, Qt::CaseInsensitive);
        };
        return m_text[at].isDigit() || startsWith(m_locale.decimalPoint()) ||
               startsWith(m_locale.negativeSign()) || startsWith(m_locale.positiveSign()) ||
               startsWith(u"-") || startsWith(u"+") || startsWith(u"\u2212") ||
               (withExponent && (startsWith(m_locale.exponential()) || startsWith(u"e")));
    }

private:
    bool take(QStringView part)
    {
        if (part.isEmpty() ||
            !QStringView(m_text).sliced(m_at).startsWith(part, Qt::CaseInsensitive))
            return false;
        m_at += part.size();
        return true;
    }
    bool takeNegativeSign()
    {
        return take(m_locale.negativeSign()) || take(u"-") || take(u"\u2212");
    }
    bool takePositiveSign() { return take(m_locale.positiveSign()) || take(u"+"); }
    void takeDigits(std::string &into)
    {
        for (; m_at < m_text.size() && m_text[m_at].isDigit(); ++m_at)
            into += static_cast<char>('0' + m_text[m_at].digitValue());
    }

    const QString &m_text;
    const QLocale &m_locale;
    qsizetype m_at = 0;
};

// The whole part, or a number past the limit when it is larger.
double integerValue(const Scan &scan, double limit)
{
    double value = 0;
    for (char digit : scan.digits) {
        value = value * 10 + (digit - '0');
        if (value > limit)
            return limit + 1;
    }
    return value;
}

double decimalValue(const Scan &scan)
{
    std::string text = scan.digits.empty() ? std::string("0") : scan.digits;
    if (!scan.fraction.empty())
        text += '.' + scan.fraction;
    if (scan.exponent)
        text += (scan.exponentNegative ? "e-" : "e") + scan.exponentDigits;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        value = scan.exponentNegative ? 0.0 : std::numeric_limits<double>::infinity();
    return value;
}

QString refusalNote(const QString &plain, const Scanner &scanner, qsizetype stop, bool decimal)
{
    if (scanner.isNumberCharacter(stop, decimal)) {
        QString quoted = plain;
        if (quoted.size() > kQuotedTextLength)
            quoted = quoted.first(kQuotedTextLength - 1) + u'…';
        return kMalformedNote.arg(quoted);
    }
    const qsizetype length = plain[stop].isHighSurrogate() && stop + 1 < plain.size() ? 2 : 1;
    return kForeignCharacterNote.arg(plain.sliced(stop, length));
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
    case FeetFramesInput::frameRate:
        return kFps;
    }
    return {};
}

bool isDecimalInput(FeetFramesInput input)
{
    return input == FeetFramesInput::meters || input == FeetFramesInput::frameRate;
}

InputReading readInputText(FeetFramesInput input, QStringView text, const QLocale &locale)
{
    const QString plain = withoutGrouping(text, locale);
    const bool decimal = isDecimalInput(input);
    Scanner scanner(plain, locale);
    const Scan scan = scanner.scan(decimal);
    if (scan.stop >= 0)
        return {InputTextCheck::invalid, 0, refusalNote(plain, scanner, scan.stop, decimal)};
    if (!scan.complete())
        return {InputTextCheck::intermediate, 0, {}};

    const double limit = limitOf(input);
    const double minimum = minimumOf(input);
    const QString noun = nounOf(input);
    double value = decimal ? decimalValue(scan) : integerValue(scan, limit);
    if (scan.negative)
        value = -value;
    if (value < minimum) {
        const QString note = minimum > 0 ? kRaisedNote.arg(noun, numberText(input, minimum, locale))
                                         : kNegativeNote.arg(noun.toLower());
        return {InputTextCheck::acceptable, minimum, note};
    }
    if (value > limit)
        return {InputTextCheck::acceptable, limit,
                kLimitedNote.arg(noun, numberText(input, limit, locale))};
    if (scan.point && !decimal)
        return {InputTextCheck::acceptable, value, kFractionNote.arg(noun.toLower())};
    if (!groupedAsWritten(text, locale)) {
        const QString group = locale.groupSeparator();
        const QString number = numberText(input, value, locale);
        return {InputTextCheck::acceptable, value + 0.0,
                group.front().isSpace() ? kSpaceGroupingNote.arg(number)
                                        : kGroupingNote.arg(number, group)};
    }
    return {InputTextCheck::acceptable, value + 0.0, {}}; // no negative zero
}

QString inputText(const FeetFramesState &state, FeetFramesInput input, const QLocale &locale)
{
    return numberText(input, valueOf(state, input), locale);
}

InputReading setInputText(FeetFramesState &state, FeetFramesInput input, QStringView text,
                          const QLocale &locale)
{
    InputReading reading = readInputText(input, text, locale);
    if (reading.check != InputTextCheck::acceptable)
        return reading;
    if (qint64 *value = integerOf(state, input))
        *value = static_cast<qint64>(reading.value);
    else if (input == FeetFramesInput::meters)
        state.inputMeters = reading.value;
    else
        state.fps = reading.value;
    return reading;
}

InputNotes normaliseInputsWithNotes(FeetFramesState &state, const QLocale &locale)
{
    const FeetFramesState before = state;
    normaliseInputs(state);
    InputNotes notes;
    for (int i = 0; i < kFeetFramesInputCount; ++i) {
        const auto input = static_cast<FeetFramesInput>(i);
        const double was = valueOf(before, input);
        const double now = valueOf(state, input);
        if (was == now)
            continue;
        const QString noun = nounOf(input);
        if (now < was)
            notes[static_cast<std::size_t>(i)] =
                kLimitedNote.arg(noun, numberText(input, now, locale));
        else if (input == FeetFramesInput::frameRate)
            notes[static_cast<std::size_t>(i)] =
                kRaisedNote.arg(noun, numberText(input, now, locale));
        else
            notes[static_cast<std::size_t>(i)] = kNegativeNote.arg(noun.toLower());
    }

    const auto noteOf = [&notes](FeetFramesInput input) -> QString & {
        return notes[static_cast<std::size_t>(input)];
    };
    const FeetAndFrames typed{std::max<qint64>(before.inputFeet, 0), before.inputFrames};
    // Carried frames change the feet too: one note, at the frames, tells both. Past the last
    // foot the length is limited instead, as the notes of both fields say.
    if (typed.frames > highestFrameNumber(before.format) &&
        totalToFeetFrames(feetFramesToTotal(typed.feet, typed.frames, before.format), before.format)
                .feet <= kMaxFeet) {
        noteOf(FeetFramesInput::frames) = kCarriedNote.arg(
            feetFramesText(typed), feetFramesText({state.inputFeet, state.inputFrames}));
        noteOf(FeetFramesInput::feet).clear();
    }
    if (state.inputTC.frames < before.inputTC.frames)
        noteOf(FeetFramesInput::timecodeFrames) = kTimecodeFramesNote.arg(
            locale.toString(state.inputTC.frames), locale.toString(nominalFrameRate(state.fps)));
    return notes;
}

QString keptValueNote(const QString &shownText)
{
    return kKeptNote.arg(shownText);
}

QString frameRateNote(double fps, const QLocale &locale)
{
    if (!std::isfinite(fps) || std::round(fps) == fps)
        return {};
    return kFrameRateNote.arg(locale.toString(nominalFrameRate(fps)));
}

} // namespace hb
