#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace hb {

// Reads what the colorimeter command-line program prints, one line at a time. Pure functions:
// the meter that runs the program decides what to do with each kind of line.
//
// A reading looks like
//   Result is XYZ: 95.060479 100.000000 108.870624, Yxy: 100.000000 0.312727 0.329023
// (with "D50 Lab:" instead of "Yxy:" when the program is not asked for Yxy). Numbers written
// with a decimal comma ("95,06") are read too.
class SpotreadOutput {
public:
    struct Reading {
        double X = 0;
        double Y = 0;
        double Z = 0;
        // CIE 1931 chromaticity, from the program's Yxy or worked out from XYZ.
        double x = 0;
        double y = 0;
        friend bool operator==(const Reading &, const Reading &) = default;
    };

    enum class Kind {
        Other,             // progress, banners, blank lines
        Result,            // a reading (see `reading`)
        MeasurePrompt,     // waits for a key to take the reading
        CalibrationPrompt, // wants the instrument calibrated first, by hand
        NoInstrument,      // no colorimeter is connected or it cannot be opened
        Error,             // any other error the program reports
    };

    struct Line {
        Kind kind = Kind::Other;
        std::optional<Reading> reading; // only for Result
        QString text;                   // the line, trimmed, as printable text
    };

    // Classifies one line (without its line end; a trailing carriage return is ignored). A
    // result line whose numbers do not read or are not finite is an Error.
    static Line classify(QByteArrayView line);

    // Reads "Result is XYZ: ..." alone; nothing when the line is anything else.
    static std::optional<Reading> parseResult(QByteArrayView line);
};

} // namespace hb
