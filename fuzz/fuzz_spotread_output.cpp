// Fuzzes the reader of the colorimeter program's output.
//
// The input is read as one line, then cut at line ends and read line by line as the meter does.
// Whatever reads as a reading must be finite, a reading only ever comes with the Result kind,
// and the text kept for messages is short and printable.

#include "FuzzCheck.h"
#include "calibration/SpotreadOutput.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

using hb::fuzz::check;

namespace {

void checkLine(QByteArrayView line)
{
    const auto parsed = hb::SpotreadOutput::classify(line);
    const auto reading = hb::SpotreadOutput::parseResult(line);
    check(parsed.reading.has_value() == (parsed.kind == hb::SpotreadOutput::Kind::Result),
          "a reading comes with the Result kind only");
    if (parsed.reading) {
        check(reading.has_value() && *reading == *parsed.reading,
              "classify and parseResult agree on a reading");
    }
    if (reading) {
        for (const double value : {reading->X, reading->Y, reading->Z, reading->x, reading->y})
            check(std::isfinite(value), "a reading is finite");
    }
    check(parsed.text.size() <= 201, "the text kept is short");
    for (const QChar c : parsed.text)
        check(c.unicode() >= 0x20 && c.unicode() != 0x7F, "the text kept is printable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    checkLine(input);

    qsizetype start = 0;
    for (qsizetype i = 0; i <= input.size(); ++i) {
        if (i == input.size() || input[i] == '\n' || input[i] == '\r') {
            checkLine(input.sliced(start, i - start));
            start = i + 1;
        }
    }
    return 0;
}
