#include "dadavezaruz-server/WebPadMessage.h"

#include "common/JsonEscape.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>

#include <cmath>

namespace hb {

namespace {

// Appends `text` as a quoted JSON string in UTF-8. Control characters, unpaired surrogates
// (which have no UTF-8 form), U+FEFF (a reader may drop it as a byte-order mark), U+2028 and
// U+2029 (line breaks to older script engines) and '<' (so no text can close a script element)
// are written as \uXXXX.
void appendString(QByteArray &out, const QString &text)
{
    out.append('"');
    const qsizetype size = text.size();
    const QChar *chars = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = chars[i].unicode();
        if (unit == u'"') {
            out.append("\\\"");
        } else if (unit == u'\\') {
            out.append("\\\\");
        } else if (unit == u'\n') {
            out.append("\\n");
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && chars[i + 1].isLowSurrogate()) {
            appendUtf8CodePoint(out, QChar::surrogateToUcs4(unit, chars[i + 1].unicode()));
            ++i;
        } else if (unit < 0x20 || QChar::isSurrogate(unit) || unit == 0xFEFF || unit == 0x2028 ||
                   unit == 0x2029 || unit == u'<') {
            appendJsonUnicodeEscape(out, unit);
        } else {
            appendUtf8CodePoint(out, unit);
        }
    }
    out.append('"');
}

void appendKey(QByteArray &out, const char *key)
{
    out.append('"').append(key).append("\":");
}

// An integer from min to max, written as a whole JSON number (1, 1.0 or 1e0).
std::optional<qint64> integerIn(const QJsonValue &value, qint64 min, qint64 max)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number || number < double(min) ||
        number > double(max))
        return std::nullopt;
    // A big integer is kept exactly and may round into range as a double: check it once more.
    const qint64 exact = value.toInteger(min - 1);
    if (exact < min || exact > max)
        return std::nullopt;
    return exact;
}

} // namespace

std::optional<WebPadRequest> WebPadMessage::decodeRequest(QByteArrayView text)
{
    if (text.size() > kMaxRequestBytes)
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromRawData(text.data(), text.size());
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();

    const QJsonValue stamp = object.value(QLatin1StringView("t"));
    if (!stamp.isDouble() || !std::isfinite(stamp.toDouble()))
        return std::nullopt;
    WebPadRequest request;
    request.pageMs = stamp.toDouble();

    const QJsonValue type = object.value(QLatin1StringView("type"));
    if (!type.isString())
        return std::nullopt;
    const QString kind = type.toString();
    if (kind == u"hello") {
        const QJsonValue secret = object.value(QLatin1StringView("secret"));
        if (!secret.isString())
            return std::nullopt;
        request.kind = WebPadRequest::Kind::Hello;
        request.secret = secret.toString();
        if (request.secret.size() > kMaxSecretLength)
            return std::nullopt;
        return request;
    }
    if (kind == u"press") {
        const std::optional<qint64> id =
            integerIn(object.value(QLatin1StringView("id")), 0, kMaxInteger);
        const std::optional<qint64> button =
            integerIn(object.value(QLatin1StringView("button")), 1, kMaxInteger);
        if (!id || !button)
            return std::nullopt;
        request.kind = WebPadRequest::Kind::Press;
        request.pressId = *id;
        request.button = *button;
        return request;
    }
    if (kind == u"ping") {
        request.kind = WebPadRequest::Kind::Ping;
        return request;
    }
    return std::nullopt;
}

QByteArray WebPadMessage::encodeStatus(const QString &state, const QString &message)
{
    QByteArray out("{\"type\":\"status\",");
    appendKey(out, "state");
    appendString(out, state);
    out.append(',');
    appendKey(out, "message");
    appendString(out, message);
    out.append('}');
    return out;
}

QByteArray WebPadMessage::encodeResult(qint64 pressId, bool ok, const QString &labelOrReason)
{
    QByteArray out("{\"type\":\"result\",");
    appendKey(out, "id");
    out.append(QByteArray::number(pressId)).append(',');
    appendKey(out, "ok");
    out.append(ok ? "true," : "false,");
    appendKey(out, ok ? "label" : "reason");
    appendString(out, labelOrReason);
    out.append('}');
    return out;
}

QByteArray WebPadMessage::encodePong()
{
    return QByteArrayLiteral("{\"type\":\"pong\"}");
}

QByteArray WebPadMessage::encodePages(const QList<WebPadPage> &pages)
{
    QByteArray out("{\"type\":\"pages\",\"pages\":[");
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const WebPadPage &page = pages[p];
        if (p > 0)
            out.append(',');
        out.append('{');
        appendKey(out, "id");
        out.append(QByteArray::number(page.id)).append(',');
        appendKey(out, "name");
        appendString(out, page.name);
        out.append(',');
        appendKey(out, "buttons");
        out.append('[');
        for (qsizetype b = 0; b < page.buttons.size(); ++b) {
            const WebPadButton &button = page.buttons[b];
            if (b > 0)
                out.append(',');
            out.append('{');
            appendKey(out, "id");
            out.append(QByteArray::number(button.id)).append(',');
            appendKey(out, "label");
            appendString(out, button.label);
            out.append(',');
            appendKey(out, "symbol");
            appendString(out, button.symbol);
            out.append(',');
            appendKey(out, "color");
            appendString(out, button.color);
            out.append(',');
            appendKey(out, "row");
            out.append(QByteArray::number(button.row)).append(',');
            appendKey(out, "col");
            out.append(QByteArray::number(button.col)).append(',');
            appendKey(out, "image");
            if (button.imageHash.isEmpty())
                out.append("null");
            else
                appendString(out, QStringLiteral("/images/") + button.imageHash);
            out.append(',');
            appendKey(out, "sendsKeys");
            out.append(button.sendsKeys ? "true" : "false");
            if (button.isToggle) { // only two-state buttons have a state to show
                out.append(',');
                appendKey(out, "on");
                out.append(button.on ? "true" : "false");
            }
            out.append('}');
        }
        out.append("]}");
    }
    out.append("]}");
    return out;
}

} // namespace hb
