// Fuzzes the wire frame of a button press, both ways.
//
// Reading: any line gives exactly what a general JSON parser makes of it (the decoder has a fast
// path for the usual compact form), and a message read, written again, reads back the same.
// Writing: any two UTF-16 strings (lone surrogates and NULs included) make one frame of one line
// that reads back as exactly the same message.

#include "FuzzCheck.h"
#include "dadavezaruz/ShortcutMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using hb::fuzz::check;

namespace {

void checkFrame(const QByteArray &frame)
{
    check(frame.startsWith("{\"keyCombo\":\"") && frame.endsWith("\"}\n"),
          "a frame is a compact object and one line feed");
    // Outside escape sequences there is no solidus and no control character but the last LF.
    const qsizetype body = frame.size() - 1;
    for (qsizetype i = 0; i < body; ++i) {
        const auto c = static_cast<unsigned char>(frame.at(i));
        if (c == '\\')
            ++i;
        else
            check(c != '/' && c >= 0x20, "solidus and control characters are escaped");
    }
}

void roundTrip(const hb::ShortcutMessage &message)
{
    const QByteArray frame = message.encode();
    checkFrame(frame);
    const std::optional<hb::ShortcutMessage> again = hb::ShortcutMessage::decode(frame);
    check(again.has_value(), "an encoded message decodes");
    check(*again == message, "an encoded message decodes to itself");
}

// The plain reading: whatever QJsonDocument makes of the line.
std::optional<hb::ShortcutMessage> parsed(QByteArrayView line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray());
    const QJsonValue keyCombo = document.object().value(QLatin1StringView("keyCombo"));
    const QJsonValue appTarget = document.object().value(QLatin1StringView("appTarget"));
    if (!document.isObject() || !keyCombo.isString() || !appTarget.isString())
        return std::nullopt;
    return hb::ShortcutMessage{keyCombo.toString(), appTarget.toString()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);

    const QByteArrayView line(bytes, qsizetype(size));
    const auto message = hb::ShortcutMessage::decode(line);
    check(message == parsed(line), "the decoder reads a line as the JSON parser does");
    if (message)
        roundTrip(*message);

    // The same bytes as UTF-16 code units; the first unit chooses where keyCombo ends.
    const size_t unitCount = size / 2;
    if (unitCount >= 1) {
        QString units(qsizetype(unitCount), Qt::Uninitialized);
        std::memcpy(units.data(), data, unitCount * 2);
        const qsizetype split = units.at(0).unicode() % units.size();
        roundTrip({units.mid(1, split), units.mid(1 + split)});
    }
    return 0;
}
