#include "dadavezaruz/ShortcutMessage.h"

#include "common/JsonEscape.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>

#include <algorithm>
#include <cmath>

namespace hb {

namespace {

constexpr QLatin1StringView kKeyComboKey{"keyCombo"};
constexpr QLatin1StringView kAppTargetKey{"appTarget"};
constexpr QLatin1StringView kKeySequenceKey{ShortcutMessage::kKeySequence};
constexpr QLatin1StringView kDelayKey{"delayMs"};

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

// Sets `refusal`, when asked for, and gives nothing.
std::optional<ShortcutMessage> refused(QString *refusal, const char *why)
{
    if (refusal)
        *refusal = QString::fromLatin1(why);
    return std::nullopt;
}

// The parser's reading of an object: a single combination, or a sequence (see decode()).
std::optional<ShortcutMessage> decodeObject(const QJsonObject &object, QString *refusal)
{
    const QJsonValue keyCombo = object.value(kKeyComboKey);
    const QJsonValue sequence = object.value(kKeySequenceKey);
    const QJsonValue appTarget = object.value(kAppTargetKey);
    if (!keyCombo.isUndefined() && !sequence.isUndefined())
        return refused(refusal, "the press names both a key combination and a key sequence");
    if (!appTarget.isString())
        return refused(refusal, "the press names no application as text");
    if (!sequence.isUndefined()) {
        if (!sequence.isArray())
            return refused(refusal, "the key sequence is not a list");
        const QJsonArray combos = sequence.toArray();
        if (combos.isEmpty())
            return refused(refusal, "the key sequence is empty");
        if (combos.size() > ShortcutMessage::kMaxSequence)
            return refused(refusal, "the key sequence has more than 8 key combinations");
        ShortcutMessage message{{}, appTarget.toString()};
        for (const auto &combo : combos) {
            if (!combo.isString())
                return refused(refusal, "the key sequence holds something other than text");
            message.thenKeyCombos.append(combo.toString());
        }
        message.keyCombo = message.thenKeyCombos.takeFirst();
        const QJsonValue delay = object.value(kDelayKey);
        if (!delay.isUndefined()) {
            const double ms = delay.toDouble(-1);
            if (!delay.isDouble() || std::trunc(ms) != ms || ms < 0 ||
                ms > ShortcutMessage::kMaxDelayMs)
                return refused(refusal, "the pause in the key sequence is not a whole number of "
                                        "milliseconds from 0 to 2000");
            message.delayMs = int(ms);
        }
        return message;
    }
    if (!keyCombo.isString())
        return refused(refusal, "the press names no key combination as text");
    return ShortcutMessage{keyCombo.toString(), appTarget.toString()};
}

} // namespace

QStringList ShortcutMessage::keyCombos() const
{
    return QStringList{keyCombo} + thenKeyCombos;
}

QByteArray ShortcutMessage::encode() const
{
    if (!thenKeyCombos.isEmpty()) {
        QByteArray frame("{\"keySequence\":[");
        appendJsonString(frame, keyCombo);
        for (const QString &combo : thenKeyCombos) {
            frame.append(',');
            appendJsonString(frame, combo);
        }
        frame.append("],\"delayMs\":");
        frame.append(QByteArray::number(std::clamp(delayMs, 0, kMaxDelayMs)));
        frame.append(",\"appTarget\":");
        appendJsonString(frame, appTarget);
        frame.append("}\n");
        return frame;
    }
    QByteArray frame;
    frame.reserve(32 + keyCombo.size() + appTarget.size());
    frame.append("{\"keyCombo\":");
    appendJsonString(frame, keyCombo);
    frame.append(",\"appTarget\":");
    appendJsonString(frame, appTarget);
    frame.append("}\n");
    return frame;
}

std::optional<ShortcutMessage> ShortcutMessage::decode(QByteArrayView line, QString *refusal)
{
    if (std::optional<ShortcutMessage> compact = decodeCompact(line))
        return compact;
    // The parser is bounded by the size, so the bytes need not be copied or terminated.
    const QByteArray bytes = QByteArray::fromRawData(line.data(), line.size());
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    return decodeObject(document.object(), refusal);
}

} // namespace hb
