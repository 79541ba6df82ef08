#pragma once

#include "dadavezaruz-server/WebPadPages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace hb {

// One message from the web pad's page, read from a WebSocket text frame.
struct WebPadRequest {
    enum class Kind { Hello, Press, Ping };
    Kind kind = Kind::Ping;
    QString secret;     // Hello
    qint64 pressId = 0; // Press: the page's own running number, answered in the result
    qint64 button = 0;  // Press: the button's id
    double pageMs = 0;  // every kind: the page's performance.now() when it sent the message

    friend bool operator==(const WebPadRequest &, const WebPadRequest &) = default;
};

// The web pad's messages: one compact JSON object per WebSocket text frame, with a "type".
class WebPadMessage {
public:
    // Longer frames are refused unread.
    static constexpr qsizetype kMaxRequestBytes = 64 * 1024;
    static constexpr qsizetype kMaxSecretLength = 128;
    // The largest integer a page's number holds exactly (2^53).
    static constexpr qint64 kMaxInteger = qint64(1) << 53;

    // Reads {"type":"hello","secret":S,"t":T}, {"type":"press","id":I,"button":B,"t":T} or
    // {"type":"ping","t":T}: T a number, S a string of at most kMaxSecretLength characters, I an
    // integer 0 to kMaxInteger and B one 1 to kMaxInteger. Other keys are ignored. Anything
    // else, and text longer than kMaxRequestBytes, gives nothing.
    static std::optional<WebPadRequest> decodeRequest(QByteArrayView text);

    // {"type":"status","state":...,"message":...}
    static QByteArray encodeStatus(const QString &state, const QString &message);
    // {"type":"result","id":...,"ok":true,"label":...} or {... "ok":false,"reason":...}
    static QByteArray encodeResult(qint64 pressId, bool ok, const QString &labelOrReason);
    // {"type":"pong"}
    static QByteArray encodePong();
    // {"type":"pages","pages":[{"id":...,"name":...,"buttons":[...]}]}; a button's "image" is
    // "/images/<hash>" or null.
    static QByteArray encodePages(const QList<WebPadPage> &pages);
};

} // namespace hb
