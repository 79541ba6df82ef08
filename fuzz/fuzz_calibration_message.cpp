// Fuzzes the calibration link codec.
//
// The input is read twice: as a whole received line, and as a payload object of its own (the
// first byte picks the message type) so that the fuzzer reaches the payload reader without
// having to find its way through Base64. Whatever decodes is written again, and that frame must
// be one ASCII line that decodes to the same payload and writes back to the same bytes.

#include "FuzzCheck.h"
#include "calibration/MonitorCalibrationMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using hb::fuzz::check;

namespace {

void roundTrip(const hb::MonitorCalibrationPayload &payload)
{
    const auto frame = hb::encodeFrame(payload);
    check(frame.has_value(), "a decoded payload encodes");
    check(frame->endsWith('\n'), "a frame ends with a line feed");
    for (qsizetype i = 0; i + 1 < frame->size(); ++i) {
        const auto c = static_cast<unsigned char>(frame->at(i));
        check(c >= 0x20 && c < 0x7F, "a frame is printable ASCII up to its line feed");
    }

    const auto envelope = hb::decodeEnvelope(*frame);
    check(envelope.has_value(), "a frame decodes");
    check(envelope->type == hb::messageType(payload), "a frame keeps the message type");
    const auto again = hb::decodePayload(envelope->type, envelope->payload);
    check(again.has_value(), "the payload of a frame decodes");
    check(*again == payload, "a frame decodes to the payload written");

    const auto frameAgain = hb::encodeFrame(*again);
    check(frameAgain.has_value() && *frameAgain == *frame, "writing is stable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const auto envelope = hb::decodeEnvelope(input)) {
        if (const auto payload = hb::decodePayload(envelope->type, envelope->payload))
            roundTrip(*payload);
    }

    if (!input.isEmpty()) {
        const auto type = static_cast<hb::MonitorCalibrationMessageType>(data[0] % 4);
        if (const auto payload = hb::decodePayload(type, input.sliced(1)))
            roundTrip(*payload);
    }
    return 0;
}
