#include "dadavezaruz/ShortcutMessage.h"

#include "common/JsonEscape.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>

namespace hb {

namespace {

constexpr QLatin1StringView kKeyComboKey{"keyCombo"};
constexpr QLatin1StringView kAppTargetKey{"appTarget"};

// The two-character escape JSON has for `unit`, or nullptr. The solidus is escaped too.
const char *shortEscape(char16_t unit)
{
    switch (unit) {
    case u'"':
        return "\\\"";
    case u'\\':
        return "\\\\";
    case u'/':
        return "\\/";
    case u'\b':
        return "\\b";
    case u'\f':
        return "\\f";
    case u'\n':
        return "\\n";
    case u'\r':
        return "\\r";
    case u'\t':
        return "\\t";
    default:
        return nullptr;
    }
}

// Appends `text` as a quoted JSON string.
void appendJsonString(QByteArray &out, const QString &text)
{
    out.append('"');
    const qsizetype size = text.size();
    const QChar *chars = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = chars[i].unicode();
        if (const char *escape = shortEscape(unit)) {
            out.append(escape, 2);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && chars[i + 1].isLowSurrogate()) {
            appendUtf8CodePoint(out, QChar::surrogateToUcs4(unit, chars[i + 1].unicode()));
            ++i;
        } else if (unit < 0x20 || QChar::isSurrogate(unit) || unit == 0xFEFF) {
            // JSON has no raw control characters, an unpaired surrogate has no UTF-8 form, and Qt's
            // reader drops a raw U+FEFF at the start of a string as a byte-order mark: the escape
            // keeps all of them intact.
            appendJsonUnicodeEscape(out, unit);
        } else {
            appendUtf8CodePoint(out, unit);
        }
    }
    out.append('"');
}

// A string value that needs no unescaping: printable ASCII without quote or backslash. Moves
// `at` past the closing quote.
std::optional<QString> plainString(QByteArrayView line, qsizetype &at)
{
    if (at >= line.size() || line[at] != '"')
        return std::nullopt;
    const qsizetype start = ++at;
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '"')
            return QString::fromLatin1(line.sliced(start, at++ - start));
        if (c < 0x20 || c > 0x7E || c == '\\')
            return std::nullopt;
    }
    return std::nullopt;
}

bool skip(QByteArrayView line, qsizetype &at, QByteArrayView literal)
{
    if (!line.sliced(at).startsWith(literal))
        return false;
    at += literal.size();
    return true;
}

// The form every pad writes, {"keyCombo":"...","appTarget":"..."} in either order with plain
// strings, read without a general JSON parser; anything else is left to the parser. Lines the
// fast path takes are exactly the ones the parser would read the same way.
std::optional<ShortcutMessage> decodeCompact(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.chop(1);
    const bool appTargetFirst = line.startsWith(R"({"appTarget":)");
    ShortcutMessage message;
    QString &first = appTargetFirst ? message.appTarget : message.keyCombo;
    QString &second = appTargetFirst ? message.keyCombo : message.appTarget;
    qsizetype at = 0;
    std::optional<QString> value;
    if (!skip(line, at, appTargetFirst ? R"({"appTarget":)" : R"({"keyCombo":)") ||
        !(value = plainString(line, at)))
        return std::nullopt;
    first = std::move(*value);
    if (!skip(line, at, appTargetFirst ? R"(,"keyCombo":)" : R"(,"appTarget":)") ||
        !(value = plainString(line, at)))
        return std::nullopt;
    second = std::move(*value);
    if (at != line.size() - 1 || line[at] != '}')
        return std::nullopt;
    return message;
}

} // namespace

QByteArray ShortcutMessage::encode() const
{
    QByteArray frame;
    frame.reserve(32 + keyCombo.size() + appTarget.size());
    frame.append("{\"keyCombo\":");
    appendJsonString(frame, keyCombo);
    frame.append(",\"appTarget\":");
    appendJsonString(frame, appTarget);
    frame.append("}\n");
    return frame;
}

std::optional<ShortcutMessage> ShortcutMessage::decode(QByteArrayView line)
{
    if (std::optional<ShortcutMessage> compact = decodeCompact(line))
        return compact;
    // The parser is bounded by the size, so the bytes need not be copied or terminated.
    const QByteArray bytes = QByteArray::fromRawData(line.data(), line.size());
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue keyCombo = object.value(kKeyComboKey);
    const QJsonValue appTarget = object.value(kAppTargetKey);
    if (!keyCombo.isString() || !appTarget.isString())
        return std::nullopt;
    return ShortcutMessage{keyCombo.toString(), appTarget.toString()};
}

} // namespace hb
