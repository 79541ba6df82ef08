// Fuzzes the web pad's reader of page messages with arbitrary frames.
//
// A request that reads has the limits the server relies on: a hello's secret of at most 128
// characters, a press's id and button whole numbers in range (button at least 1), a finite stamp.
// Whatever a hello's secret holds, the server's messages write it as JSON that reads back as it.

#include "FuzzCheck.h"
#include "dadavezaruz-server/WebPadMessage.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstddef>
#include <cstdint>

using hb::WebPadMessage;
using hb::WebPadRequest;
using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<WebPadRequest> request = WebPadMessage::decodeRequest(text);
    if (!request)
        return 0;

    check(text.size() <= WebPadMessage::kMaxRequestBytes, "longer frames are refused");
    check(std::isfinite(request->pageMs), "the stamp is a finite number");
    switch (request->kind) {
    case WebPadRequest::Kind::Hello: {
        check(request->secret.size() <= WebPadMessage::kMaxSecretLength, "the secret is short");
        const QByteArray status = WebPadMessage::encodeStatus(request->secret, request->secret);
        const QJsonDocument document = QJsonDocument::fromJson(status);
        check(document.isObject(), "a status is a JSON object");
        check(document.object().value(QLatin1StringView("message")).toString() == request->secret,
              "text written into a status reads back as it was");
        break;
    }
    case WebPadRequest::Kind::Press:
        check(request->button >= 1 && request->button <= WebPadMessage::kMaxInteger,
              "a button id is 1 to 2^53");
        check(request->pressId >= 0 && request->pressId <= WebPadMessage::kMaxInteger,
              "a press id is 0 to 2^53");
        break;
    case WebPadRequest::Kind::Ping:
        check(request->secret.isEmpty(), "only a hello carries a secret");
        break;
    }
    return 0;
}
