// Fuzzes the status line a server sends to a pad, as the pad reads it.
//
// A line gives exactly what a general JSON parser makes of it when it is short enough, and
// nothing when it is longer than a status line may be; a status read, written again, is one
// compact line that reads back the same. The bytes are also fed, cut into pieces, through the
// line splitter the pad reads with: no line it hands over is longer than a status line, and it
// never holds more than one.

#include "FuzzCheck.h"
#include "common/LineSplitter.h"
#include "dadavezaruz/ServerStatusMessage.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using hb::ServerStatusMessage;
using hb::fuzz::check;

namespace {

// The plain reading: whatever QJsonDocument makes of the line.
std::optional<ServerStatusMessage> parsed(QByteArrayView line)
{
    if (line.size() > ServerStatusMessage::kMaxLineLength)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray());
    const QJsonValue status = document.object().value(QLatin1StringView("status"));
    if (!document.isObject() || !status.isString())
        return std::nullopt;
    for (const auto value :
         {ServerStatusMessage::Status::Ready, ServerStatusMessage::Status::WaitingForApproval,
          ServerStatusMessage::Status::Refused}) {
        if (status.toString() == ServerStatusMessage::wireValue(value))
            return ServerStatusMessage{value};
    }
    return std::nullopt;
}

void checkLine(QByteArrayView line)
{
    const std::optional<ServerStatusMessage> message = ServerStatusMessage::decode(line);
    check(message == parsed(line), "the decoder reads a line as the JSON parser does");
    if (!message)
        return;
    const QByteArray encoded = message->encode();
    check(encoded == "{\"status\":\"" + ServerStatusMessage::wireValue(message->status).toLatin1() +
                         "\"}\n",
          "a status is written as a compact object and one line feed");
    check(ServerStatusMessage::decode(QByteArrayView(encoded).chopped(1)) == message,
          "a written status reads back the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    checkLine(QByteArrayView(bytes, qsizetype(size)));

    if (size == 0)
        return 0;
    // The first byte chooses the size of the pieces the rest arrives in.
    const qsizetype piece = qsizetype(data[0]) * 16 + 1;
    const QByteArrayView stream(bytes + 1, qsizetype(size - 1));
    hb::LineSplitter lines(ServerStatusMessage::kMaxLineLength);
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        lines.append(stream.sliced(at, std::min(piece, stream.size() - at)),
                     [](const QByteArray &line) {
                         check(line.size() <= ServerStatusMessage::kMaxLineLength,
                               "no line longer than a status line is handed over");
                         checkLine(line);
                     });
        check(lines.pending() <= ServerStatusMessage::kMaxLineLength,
              "the splitter holds no more than one status line");
    }
    return 0;
}
