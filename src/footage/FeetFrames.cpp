#include "footage/FeetFrames.h"

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

constexpr double kFeetPerMetre = 3.280839895;

struct Gauge {
    const char16_t *text;
    const char16_t *key;
    double framesPerFoot;
};

// In the order of FilmFormat.
constexpr Gauge kGauges[] = {
    {u"8mm", u"8mm", 80},
    {u"Super 8", u"super8", 72},
    {u"16mm", u"16mm", 40},
    {u"35mm (4-perf)", u"35mm-4perf", 16},
    {u"35mm (3-perf)", u"35mm-3perf", 21.3333333333},
    {u"35mm (2-perf)", u"35mm-2perf", 32},
    {u"65mm (5-perf)", u"65mm-5perf", 12.8},
};
static_assert(std::size(kGauges) == kFilmFormats.size());

// In the order of InputMode.
constexpr const char16_t *kModeTexts[] = {u"Feet+Frames", u"Total Frames", u"Timecode", u"Meters"};
constexpr const char16_t *kModeKeys[] = {u"feetFrames", u"totalFrames", u"timecode", u"meters"};

const Gauge &gaugeOf(FilmFormat format)
{
    return kGauges[static_cast<int>(format)];
}

// A whole number of frames held in a double, brought into 0 … kMaxTotalFrames; NaN counts as 0.
qint64 clampedTotal(double frames)
{
    if (!(frames > 0))
        return 0;
    if (frames >= static_cast<double>(kMaxTotalFrames))
        return kMaxTotalFrames;
    return static_cast<qint64>(frames);
}

qint64 clampedTotal(qint64 frames)
{
    return std::clamp<qint64>(frames, 0, kMaxTotalFrames);
}

QString twoDigits(qint64 value)
{
    return QString::number(value).rightJustified(2, u'0');
}

} // namespace

QString displayText(FilmFormat format)
{
    return QString::fromUtf16(gaugeOf(format).text);
}

QString displayText(InputMode mode)
{
    return QString::fromUtf16(kModeTexts[static_cast<int>(mode)]);
}

QString storageKey(FilmFormat format)
{
    return QString::fromUtf16(gaugeOf(format).key);
}

QString storageKey(InputMode mode)
{
    return QString::fromUtf16(kModeKeys[static_cast<int>(mode)]);
}

qint64 nominalFrameRate(double fps)
{
    const double rate = std::round(fps);
    if (!(rate > 1)) // NaN too
        return 1;
    return rate < static_cast<double>(kMaxTotalFrames) ? static_cast<qint64>(rate)
                                                       : kMaxTotalFrames;
}

double framesPerFoot(FilmFormat format)
{
    return gaugeOf(format).framesPerFoot;
}

double framesPerMetre(FilmFormat format)
{
    return framesPerFoot(format) * kFeetPerMetre;
}

qint64 highestFrameNumber(FilmFormat format)
{
    return std::max<qint64>(static_cast<qint64>(std::ceil(framesPerFoot(format))) - 1, 0);
}

qint64 feetFramesToTotal(qint64 feet, qint64 frames, FilmFormat format)
{
    const double total = framesPerFoot(format) * static_cast<double>(std::max<qint64>(feet, 0)) +
                         static_cast<double>(std::max<qint64>(frames, 0));
    return clampedTotal(std::round(total));
}

FeetAndFrames totalToFeetFrames(qint64 total, FilmFormat format)
{
    const double t = static_cast<double>(clampedTotal(total));
    const double perFoot = framesPerFoot(format);
    const double feet = std::floor(t / perFoot);
    const double rest = std::round(t - perFoot * feet);
    // A rest of a whole foot or more comes only from rounding: it starts the next foot.
    if (rest < std::ceil(perFoot))
        return {static_cast<qint64>(feet), static_cast<qint64>(std::max(rest, 0.0))};
    return {static_cast<qint64>(feet) + 1, 0};
}

qint64 timecodeToTotal(qint64 hours, qint64 minutes, qint64 seconds, qint64 frames, double fps)
{
    const qint64 rate = nominalFrameRate(fps);
    // Every hour holds at least 3600 frames, so hours beyond the frame limit are over it anyway;
    // limiting them first keeps the seconds below the 64-bit limit.
    const qint64 h = std::clamp<qint64>(hours, 0, kMaxTotalFrames);
    const qint64 m = std::clamp<qint64>(minutes, 0, 59);
    const qint64 s = std::clamp<qint64>(seconds, 0, 59);
    const qint64 f = std::clamp<qint64>(frames, 0, rate - 1);
    const qint64 secondsTotal = (h * 60 + m) * 60 + s;
    if (secondsTotal > (kMaxTotalFrames - f) / rate)
        return kMaxTotalFrames;
    return secondsTotal * rate + f;
}

qint64 metresToTotal(double metres, FilmFormat format)
{
    const double frames = metres * framesPerMetre(format);
    return clampedTotal(std::round(frames)); // negative, NaN: 0
}

Timecode totalToTimecode(qint64 total, double fps)
{
    const qint64 t = clampedTotal(total);
    const qint64 rate = nominalFrameRate(fps);
    const qint64 secondsTotal = t / rate;
    const qint64 hours = secondsTotal / 3600;
    return {hours, (secondsTotal - hours * 3600) / 60, secondsTotal % 60, t - secondsTotal * rate};
}

double totalToMetres(qint64 total, FilmFormat format)
{
    return static_cast<double>(clampedTotal(total)) / framesPerMetre(format);
}

qint64 computedTotalFrames(const FeetFramesState &state)
{
    switch (state.mode) {
    case InputMode::feetFrames:
        return feetFramesToTotal(state.inputFeet, state.inputFrames, state.format);
    case InputMode::totalFrames:
        return clampedTotal(state.inputTotalFrames);
    case InputMode::timecode:
        return timecodeToTotal(state.inputTC.hours, state.inputTC.minutes, state.inputTC.seconds,
                               state.inputTC.frames, state.fps);
    case InputMode::meters:
        return metresToTotal(state.inputMeters, state.format);
    }
    return 0;
}

void normaliseInputs(FeetFramesState &state)
{
    if (std::isnan(state.fps))
        state.fps = FeetFramesState{}.fps;
    state.fps = std::clamp<double>(state.fps, kMinFps, kMaxFps);
    const qint64 highest = highestFrameNumber(state.format);
    state.inputFeet = std::max<qint64>(state.inputFeet, 0);
    state.inputFrames = std::max<qint64>(state.inputFrames, 0);
    if (state.inputFrames > highest) {
        const FeetAndFrames carried = totalToFeetFrames(
            feetFramesToTotal(state.inputFeet, state.inputFrames, state.format), state.format);
        state.inputFeet = carried.feet;
        state.inputFrames = carried.feet > kMaxFeet ? highest : carried.frames;
    }
    state.inputFeet = std::min(state.inputFeet, kMaxFeet);
    state.inputTotalFrames = clampedTotal(state.inputTotalFrames);
    Timecode &tc = state.inputTC;
    tc.hours = std::clamp<qint64>(tc.hours, 0, kMaxHours);
    tc.minutes = std::clamp<qint64>(tc.minutes, 0, 59);
    tc.seconds = std::clamp<qint64>(tc.seconds, 0, 59);
    tc.frames = std::clamp<qint64>(tc.frames, 0, nominalFrameRate(state.fps) - 1);
    state.inputMeters =
        std::isnan(state.inputMeters) ? 0.0 : std::clamp(state.inputMeters, 0.0, kMaxMetres);
}

QString totalFramesText(qint64 total)
{
    return QString::number(total);
}

QString feetFramesText(const FeetAndFrames &length)
{
    return QString::number(length.feet) + u'+' + QString::number(length.frames);
}

QString timecodeText(const Timecode &timecode)
{
    return twoDigits(timecode.hours) + u':' + twoDigits(timecode.minutes) + u':' +
           twoDigits(timecode.seconds) + u':' + twoDigits(timecode.frames);
}

QString metresText(double metres)
{
    return QString::asprintf("%.2f", metres);
}

FeetFramesOutput outputOf(const FeetFramesState &state)
{
    const qint64 total = computedTotalFrames(state);
    return {totalFramesText(total), feetFramesText(totalToFeetFrames(total, state.format)),
            timecodeText(totalToTimecode(total, state.fps)),
            metresText(totalToMetres(total, state.format))};
}

} // namespace hb
