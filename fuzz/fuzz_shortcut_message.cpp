// Fuzzes the wire frame of a button press, both ways.
//
// Reading: any line gives exactly what a general JSON parser makes of it (the decoder has a fast
// path for the usual compact form), and a message read, written again, reads back the same.
// Writing: any two UTF-16 strings (lone surrogates and NULs included) make one frame of one line
// that reads back as exactly the same message; so does a key sequence cut from the same strings.

#include "FuzzCheck.h"
#include "dadavezaruz/ShortcutMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using hb::fuzz::check;

namespace {

void checkFrame(const QByteArray &frame)
{
    check((frame.startsWith("{\"keyCombo\":\"") || frame.startsWith("{\"keySequence\":[\"")) &&
              frame.endsWith("\"}\n"),
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
    const QJsonObject object = document.object();
    const QJsonValue keyCombo = object.value(QLatin1StringView("keyCombo"));
    const QJsonValue sequence = object.value(QLatin1StringView("keySequence"));
    const QJsonValue appTarget = object.value(QLatin1StringView("appTarget"));
    const QJsonValue delay = object.value(QLatin1StringView("delayMs"));
    if (!document.isObject() || !appTarget.isString())
        return std::nullopt;
    if (sequence.isUndefined()) {
        if (!keyCombo.isString())
            return std::nullopt;
        return hb::ShortcutMessage{keyCombo.toString(), appTarget.toString()};
    }
    const QJsonArray combos = sequence.toArray();
    if (!keyCombo.isUndefined() || !sequence.isArray() || combos.isEmpty() ||
        combos.size() > hb::ShortcutMessage::kMaxSequence)
        return std::nullopt;
    int delayMs = 0;
    if (!delay.isUndefined()) {
        const double ms = delay.toDouble(-1);
        if (!delay.isDouble() || ms != std::trunc(ms) || ms < 0 ||
            ms > hb::ShortcutMessage::kMaxDelayMs)
            return std::nullopt;
        delayMs = int(ms);
    }
    QStringList texts;
    for (const auto &combo : combos) {
        if (!combo.isString())
            return std::nullopt;
        texts.append(combo.toString());
    }
    const QString first = texts.takeFirst();
    return hb::ShortcutMessage{first, appTarget.toString(), texts, delayMs};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);

    const QByteArrayView line(bytes, qsizetype(size));
    QString refusal;
    const auto message = hb::ShortcutMessage::decode(line, &refusal);
    check(message == parsed(line), "the decoder reads a line as the JSON parser does");
    check(!message || refusal.isEmpty(), "a message read gives no reason for a refusal");
    check(refusal.isEmpty() || QJsonDocument::fromJson(line.toByteArray()).isObject(),
          "only an object is refused with a reason");
    if (message)
        roundTrip(*message);

    // The same bytes as UTF-16 code units; the first unit chooses where keyCombo ends.
    const size_t unitCount = size / 2;
    if (unitCount >= 1) {
        QString units(qsizetype(unitCount), Qt::Uninitialized);
        std::memcpy(units.data(), data, unitCount * 2);
        const qsizetype split = units.at(0).unicode() % units.size();
        roundTrip({units.mid(1, split), units.mid(1 + split)});
        // The rest of the units cut into a sequence of up to 8 combinations.
        const QString rest = units.mid(1 + split);
        hb::ShortcutMessage sequence{units.mid(1, split), {}, {}, units.at(0).unicode() % 2001};
        const qsizetype piece = std::max<qsizetype>(1, rest.size() / 7);
        for (qsizetype at = 0; at < rest.size() && sequence.thenKeyCombos.size() < 7; at += piece)
            sequence.thenKeyCombos.append(rest.mid(at, piece));
        if (!sequence.thenKeyCombos.isEmpty())
            roundTrip(sequence);
    }
    return 0;
}
