#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

namespace hb {

// Film gauges, in the order of the format picker.
enum class FilmFormat { mm8, super8, mm16, mm35_4perf, mm35_3perf, mm35_2perf, mm65_5perf };

inline constexpr std::array kFilmFormats{
    FilmFormat::mm8,        FilmFormat::super8,     FilmFormat::mm16,      FilmFormat::mm35_4perf,
    FilmFormat::mm35_3perf, FilmFormat::mm35_2perf, FilmFormat::mm65_5perf};

// The ways of entering a length, in the order of the input picker.
enum class InputMode { feetFrames, totalFrames, timecode, meters };

inline constexpr std::array kInputModes{InputMode::feetFrames, InputMode::totalFrames,
                                        InputMode::timecode, InputMode::meters};

QString displayText(FilmFormat format);
QString displayText(InputMode mode);
// A short name that stays the same across versions, for saved settings ("35mm-3perf").
QString storageKey(FilmFormat format);
QString storageKey(InputMode mode);

// Frames per foot of film. Two gauges hold no whole number of frames in a foot: 3-perf 35mm
// uses the ten-decimal 21.3333333333 (not 64/3) and 5-perf 65mm 12.8.
double framesPerFoot(FilmFormat format);
// Frames per foot times the feet in a metre (3.280839895).
double framesPerMetre(FilmFormat format);
// The highest frame number within one foot: frames per foot rounded up, minus 1.
qint64 highestFrameNumber(FilmFormat format);

// A non-drop-frame timecode; hours are not wrapped at 24.
struct Timecode {
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 seconds = 0;
    qint64 frames = 0;

    friend bool operator==(const Timecode &, const Timecode &) = default;
};

struct FeetAndFrames {
    qint64 feet = 0;
    qint64 frames = 0;

    friend bool operator==(const FeetAndFrames &, const FeetAndFrames &) = default;
};

// The supported range.
//
// Every total frame count is kept within 0 … kMaxTotalFrames = 10^11 (over 130 years at 24 fps,
// 26 at 120). Such counts are exact in a double, where the foot and metre arithmetic runs, and
// lie far below the signed 64-bit limit (9.2 × 10^18), so no sum or product below can overflow.
// Below 10^11 every total also survives total → feet+frames → total for every gauge: the first
// foot of 3-perf 35mm whose start falls exactly halfway between two frames (and so rounds
// twice) is foot 4,999,859,522, at about 1.07 × 10^11 frames. A foot of 5-perf 65mm starts a
// multiple of 0.2 frames past a whole frame, never halfway; the other gauges hold whole frames.
//
// The input fields take magnitudes up to the limits that follow; any combination of them stays
// within 10^11 even at the largest frames per foot (80), frames per metre (262.47) and frame
// rate (kMaxFps, which timecode counts as 120 frames a second):
//   80 × 10^9 feet + 10^10 frames  =  9 × 10^10
//   (2 × 10^5 h × 3600 + 3599 s) × 120 fps + 119  <  8.7 × 10^10
//   262.47 × 3 × 10^8 m  <  7.9 × 10^10
// Minutes, seconds and timecode frames are clamped to 59 and the nominal rate − 1 before use, so
// their fields share the frames limit. The functions below also accept any value beyond these
// limits (including infinite or NaN metres) and then answer with a total clamped to 0 …
// kMaxTotalFrames.
inline constexpr qint64 kMaxTotalFrames = 100'000'000'000;
inline constexpr qint64 kMaxFeet = 1'000'000'000;
inline constexpr qint64 kMaxFrames = 10'000'000'000;
inline constexpr qint64 kMaxHours = 200'000;
inline constexpr double kMaxMetres = 3e8;
inline constexpr int kMinFps = 1;
inline constexpr int kMaxFps = 120;

// The rates the frame rate field offers; any rate within kMinFps … kMaxFps may be typed.
inline constexpr std::array kCommonFrameRates{23.976, 24.0, 25.0,  29.97, 30.0,
                                              48.0,   50.0, 59.94, 60.0,  120.0};

// The whole number of frames a second of timecode counts at a frame rate: the nearest whole rate
// (24 for 23.976, 30 for 29.97, 60 for 59.94), as non-drop-frame timecode counts; at least 1
// (also for NaN) and at most kMaxTotalFrames.
qint64 nominalFrameRate(double fps);

// The calculator's inputs as the screen holds them; the values are its initial state. The screen
// keeps fps within kMinFps … kMaxFps; the functions take any value (see nominalFrameRate).
struct FeetFramesState {
    FilmFormat format = FilmFormat::mm35_4perf;
    double fps = 24;
    InputMode mode = InputMode::feetFrames;
    qint64 inputFeet = 0;
    qint64 inputFrames = 0; // not limited to one foot until normalised
    qint64 inputTotalFrames = 0;
    Timecode inputTC{};
    double inputMeters = 0.0;

    friend bool operator==(const FeetFramesState &, const FeetFramesState &) = default;
};

// Conversions. Negative inputs count as 0, halves round away from zero, and totals are clamped
// to kMaxTotalFrames.
qint64 feetFramesToTotal(qint64 feet, qint64 frames, FilmFormat format);
FeetAndFrames totalToFeetFrames(qint64 total, FilmFormat format);
qint64 timecodeToTotal(qint64 hours, qint64 minutes, qint64 seconds, qint64 frames, double fps);
qint64 metresToTotal(double metres, FilmFormat format);
Timecode totalToTimecode(qint64 total, double fps);
double totalToMetres(qint64 total, FilmFormat format);

// The total frame count of the inputs of the current mode.
qint64 computedTotalFrames(const FeetFramesState &state);

// Brings every input into range: nothing negative, frames beyond one foot of the format carried
// into feet (the length stays the same), minutes and seconds 0 … 59, timecode frames below the
// nominal frame rate, the frame rate within kMinFps … kMaxFps (24 for NaN), and nothing above
// the limits of the supported range (frames carried past kMaxFeet end at its last frame).
void normaliseInputs(FeetFramesState &state);

// The four output texts.
QString totalFramesText(qint64 total);
QString feetFramesText(const FeetAndFrames &length); // "12+7"
QString timecodeText(const Timecode &timecode);      // "00:00:07:00", hours may grow past 99
QString metresText(double metres);                   // "3.20", a point in every locale

struct FeetFramesOutput {
    QString totalFrames;
    QString feetFrames;
    QString timecode;
    QString meters;
};

// All four outputs of the state's current length.
FeetFramesOutput outputOf(const FeetFramesState &state);

} // namespace hb
