#include "calibration/MonitorCalibrationMessage.h"

#include "common/JsonEscape.h"
#include "common/TextHelpers.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

using Code = MonitorCalibrationMessageError;
using Type = MonitorCalibrationMessageType;

constexpr std::array kTypes{Type::Hello, Type::ShowPatch, Type::Measurement, Type::Error};
constexpr std::array kRoles{MonitorCalibrationRole::Host, MonitorCalibrationRole::Meter};

Error codecError(Code code, const QString &description)
{
    return Error::make(code, description);
}

// Received text quoted in a description, cut short so that a huge value cannot flood the screen.
QString quoted(QStringView text)
{
    constexpr qsizetype kMaxShown = 40;
    if (text.size() <= kMaxShown)
        return u'"' + text.toString() + u'"';
    return u'"' + text.first(kMaxShown).toString() + u"\"..."_s;
}

QString payloadPlace(Type type)
{
    return u"the "_s + wireValue(type) + u" payload"_s;
}

// ---- Writing

// `text` as a quoted JSON string in UTF-8. Only what JSON demands is escaped ("/" is not), plus
// lone surrogates, which have no UTF-8 form, and U+FEFF, which Qt's reader drops from the start
// of a string when it comes raw.
void appendJsonString(QByteArray &out, QStringView text)
{
    out.append('"');
    qsizetype plainFrom = 0;
    const auto flushPlain = [&](qsizetype end) {
        out.append(text.sliced(plainFrom, end - plainFrom).toUtf8());
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        constexpr std::u16string_view kShortEscapes = u"\"\\\b\f\n\r\t";
        const size_t shortEscape = kShortEscapes.find(unit);
        const bool needsEscape = shortEscape != std::u16string_view::npos || unit < 0x20 ||
                                 unit == 0xFEFF || QChar::isSurrogate(unit);
        if (!needsEscape)
            continue;
        flushPlain(i);
        plainFrom = i + 1;
        if (shortEscape != std::u16string_view::npos)
            out.append('\\').append("\"\\bfnrt"[shortEscape]);
        else
            appendJsonUnicodeEscape(out, unit);
    }
    flushPlain(text.size());
    out.append('"');
}

// Compact JSON objects, members in the order written. Remembers the first number that JSON
// cannot hold, and where it was, instead of writing it.
struct JsonWriter {
    QByteArray bytes;
    QString place;
    std::optional<QString> nonFinite; // a description of the number left out

    void open(const QString &what)
    {
        bytes.append('{');
        place = what;
    }
    void close() { bytes.append('}'); }
    void key(const char *name)
    {
        if (!bytes.endsWith('{'))
            bytes.append(',');
        bytes.append('"').append(name).append("\":");
    }
    void member(const char *name, const QString &text)
    {
        key(name);
        appendJsonString(bytes, text);
    }
    void member(const char *name, double number)
    {
        if (!std::isfinite(number)) {
            if (!nonFinite)
                nonFinite =
                    u"\"%1\" in %2 is not a finite number"_s.arg(QLatin1StringView(name), place);
            return;
        }
        key(name);
        // std::to_chars without a format gives the shortest text that reads back the same.
        std::array<char, 32> text{};
        const auto result = std::to_chars(text.data(), text.data() + text.size(), number);
        bytes.append(text.data(), result.ptr - text.data());
    }
};

void write(JsonWriter &out, const MonitorCalibrationHelloPayload &hello)
{
    out.open(payloadPlace(Type::Hello));
    out.member("role", wireValue(hello.role));
    out.member("deviceName", hello.deviceName);
    out.member("appVersion", hello.appVersion);
    out.close();
}

void write(JsonWriter &out, const MonitorCalibrationShowPatchPayload &showPatch)
{
    out.open(payloadPlace(Type::ShowPatch));
    out.key("patch");
    out.open(u"the patch"_s);
    out.member("id", showPatch.patch.id);
    out.member("name", showPatch.patch.name);
    out.member("r", showPatch.patch.r);
    out.member("g", showPatch.patch.g);
    out.member("b", showPatch.patch.b);
    out.close();
    out.close();
}

void write(JsonWriter &out, const MonitorCalibrationMeasurementPayload &measurement)
{
    out.open(payloadPlace(Type::Measurement));
    out.member("meanR", measurement.meanR);
    out.member("meanG", measurement.meanG);
    out.member("meanB", measurement.meanB);
    out.member("stddev", measurement.stddev);
    out.member("exposureDurationSeconds", measurement.exposureDurationSeconds);
    out.member("iso", measurement.iso);
    out.close();
}

void write(JsonWriter &out, const MonitorCalibrationErrorPayload &error)
{
    out.open(payloadPlace(Type::Error));
    out.member("message", error.message);
    out.close();
}

// ---- Reading

bool isNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// Qt's parser reports "illegal number" for a well-formed number that a double cannot hold, with
// the offset just past it. The text of that number when it is too large to be finite.
std::optional<QString> overflowingNumber(QByteArrayView json, qsizetype errorOffset)
{
    const qsizetype end = std::clamp<qsizetype>(errorOffset, 0, json.size());
    qsizetype start = end;
    while (start > 0 && isNumberChar(json[start - 1]))
        --start;
    const QString number = QString::fromLatin1(json.sliced(start, end - start));
    // QLocale gives an infinity for a number too large, unlike QByteArray::toDouble.
    if (number.isEmpty() || !std::isinf(QLocale::c().toDouble(number)))
        return std::nullopt;
    return number;
}

Expected<QJsonObject> parseObject(QByteArrayView json, const QString &place)
{
    // The parser is bounded by the size, so the bytes need not be copied or terminated.
    const QByteArray bytes = QByteArray::fromRawData(json.data(), json.size());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error == QJsonParseError::IllegalNumber) {
        if (const auto number = overflowingNumber(json, parseError.offset))
            return codecError(Code::NonFiniteNumber,
                              u"the number %1 in %2 is out of range"_s.arg(quoted(*number), place));
    }
    if (parseError.error != QJsonParseError::NoError)
        return codecError(Code::InvalidJson, u"%1 is not valid JSON: %2 at offset %3"_s
                                                 .arg(place, parseError.errorString())
                                                 .arg(parseError.offset));
    if (!document.isObject())
        return codecError(Code::NotAnObject, place + u" is not a JSON object"_s);
    return document.object();
}

// Takes the members of one object in turn. After the first failure, shared by the readers of
// nested objects, every read gives an empty value and the failure stays the one reported.
class ObjectReader {
public:
    ObjectReader(QJsonObject object, QString place, std::optional<Error> &error)
        : m_object(std::move(object)), m_place(std::move(place)), m_error(error)
    {
    }

    QString string(const char *key)
    {
        return take(key, &QJsonValue::isString, "a string").toString();
    }
    // A reader of the object under `key`, sharing this one's failure.
    ObjectReader nested(const char *key, QString place)
    {
        return ObjectReader(take(key, &QJsonValue::isObject, "an object").toObject(),
                            std::move(place), m_error);
    }
    double number(const char *key)
    {
        const double value = take(key, &QJsonValue::isDouble, "a number").toDouble();
        if (!std::isfinite(value)) // Qt refuses such numbers already; this keeps the promise
            fail(Code::NonFiniteNumber,
                 u"\"%1\" in %2 is not a finite number"_s.arg(QLatin1StringView(key), m_place));
        return value;
    }

    void fail(Code code, const QString &description)
    {
        if (!m_error)
            m_error = codecError(code, description);
    }
    const QString &place() const { return m_place; }

private:
    QJsonValue take(const char *key, bool (QJsonValue::*hasType)() const, const char *typeName)
    {
        if (m_error)
            return {};
        const auto found = m_object.constFind(QLatin1StringView(key));
        if (found == m_object.constEnd()) {
            fail(Code::MissingKey,
                 u"missing key \"%1\" in %2"_s.arg(QLatin1StringView(key), m_place));
            return {};
        }
        QJsonValue value = found.value();
        if (!(value.*hasType)()) {
            fail(Code::WrongType, u"\"%1\" in %2 is not %3"_s.arg(QLatin1StringView(key), m_place,
                                                                  QLatin1StringView(typeName)));
            return {};
        }
        return value;
    }

    QJsonObject m_object;
    QString m_place;
    std::optional<Error> &m_error;
};

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// 8-4-4-4-12 hexadecimal digits, either case, no braces.
bool isCanonicalUuid(QStringView text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? c != u'-' : !isHexDigit(c))
            return false;
    }
    return true;
}

MonitorCalibrationPayload readPayload(Type type, ObjectReader &in)
{
    switch (type) {
    case Type::Hello: {
        MonitorCalibrationHelloPayload hello;
        const QString role = in.string("role");
        const auto known = std::find_if(kRoles.begin(), kRoles.end(), [&](auto candidate) {
            return wireValue(candidate) == role;
        });
        if (known == kRoles.end())
            in.fail(Code::UnknownType, u"unknown role %1 in %2"_s.arg(quoted(role), in.place()));
        else
            hello.role = *known;
        hello.deviceName = in.string("deviceName");
        hello.appVersion = in.string("appVersion");
        return hello;
    }
    case Type::ShowPatch: {
        ObjectReader patchIn = in.nested("patch", u"the patch"_s);
        MonitorCalibrationPatch patch;
        patch.id = patchIn.string("id");
        if (!isCanonicalUuid(patch.id))
            patchIn.fail(Code::InvalidId, u"\"id\" in the patch is not a UUID"_s);
        patch.id = patch.id.toUpper();
        patch.name = patchIn.string("name");
        patch.r = patchIn.number("r");
        patch.g = patchIn.number("g");
        patch.b = patchIn.number("b");
        return MonitorCalibrationShowPatchPayload{patch};
    }
    case Type::Measurement: {
        MonitorCalibrationMeasurementPayload measurement;
        measurement.meanR = in.number("meanR");
        measurement.meanG = in.number("meanG");
        measurement.meanB = in.number("meanB");
        measurement.stddev = in.number("stddev");
        measurement.exposureDurationSeconds = in.number("exposureDurationSeconds");
        measurement.iso = in.number("iso");
        return measurement;
    }
    case Type::Error:
        return MonitorCalibrationErrorPayload{in.string("message")};
    }
    Q_UNREACHABLE();
    return {};
}

int base64Value(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return -1;
}

// Standard Base64 exactly as written: whole quanta, "=" padding only at the end, no white space,
// and the bits the padding leaves unused all zero, so that each byte string has one text.
std::optional<QByteArray> decodeStrictBase64(QStringView text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    qsizetype dataSize = text.size();
    while (dataSize > 0 && text.size() - dataSize < 2 && text[dataSize - 1] == u'=')
        --dataSize;
    for (qsizetype i = 0; i < dataSize; ++i) {
        if (base64Value(text[i].unicode()) < 0)
            return std::nullopt;
    }
    const qsizetype padding = text.size() - dataSize;
    if (padding > 0) {
        const int unusedMask = padding == 1 ? 0x3 : 0xF;
        if ((base64Value(text[dataSize - 1].unicode()) & unusedMask) != 0)
            return std::nullopt;
    }
    return QByteArray::fromBase64(text.toLatin1());
}

} // namespace

QString wireValue(MonitorCalibrationMessageType type)
{
    switch (type) {
    case Type::Hello:
        return u"hello"_s;
    case Type::ShowPatch:
        return u"showPatch"_s;
    case Type::Measurement:
        return u"measurement"_s;
    case Type::Error:
        return u"error"_s;
    }
    Q_UNREACHABLE();
    return {};
}

QString wireValue(MonitorCalibrationRole role)
{
    switch (role) {
    case MonitorCalibrationRole::Host:
        return u"host"_s;
    case MonitorCalibrationRole::Meter:
        return u"meter"_s;
    }
    Q_UNREACHABLE();
    return {};
}

MonitorCalibrationPatch MonitorCalibrationPatch::make(const QString &name, double r, double g,
                                                      double b)
{
    return MonitorCalibrationPatch{newUuidText(), name, r, g, b};
}

MonitorCalibrationMessageType messageType(const MonitorCalibrationPayload &payload)
{
    return kTypes[payload.index()];
}

Expected<QByteArray> encodeFrame(const MonitorCalibrationPayload &payload)
{
    JsonWriter json;
    std::visit([&](const auto &alternative) { write(json, alternative); }, payload);
    if (json.nonFinite)
        return codecError(Code::NotEncodable, *json.nonFinite);
    // Base64 and the wire values need no escaping.
    return QByteArray("{\"payload\":\"" + json.bytes.toBase64() + "\",\"type\":\"" +
                      wireValue(messageType(payload)).toLatin1() + "\"}\n");
}

Expected<MonitorCalibrationMessageEnvelope> decodeEnvelope(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    if (line.isEmpty())
        return codecError(Code::EmptyLine, u"the line is empty"_s);
    const QString place = u"the message"_s;
    const Expected<QJsonObject> object = parseObject(line, place);
    if (!object)
        return object.error();

    std::optional<Error> error;
    ObjectReader in(*object, place, error);
    MonitorCalibrationMessageEnvelope envelope;
    const QString type = in.string("type");
    const auto known = std::find_if(kTypes.begin(), kTypes.end(),
                                    [&](Type candidate) { return wireValue(candidate) == type; });
    if (known == kTypes.end())
        in.fail(Code::UnknownType, u"unknown message type %1"_s.arg(quoted(type)));
    else
        envelope.type = *known;
    const QString base64 = in.string("payload");
    if (error)
        return *error;
    std::optional<QByteArray> payload = decodeStrictBase64(base64);
    if (!payload)
        return codecError(Code::InvalidBase64, u"the payload is not valid Base64"_s);
    envelope.payload = std::move(*payload);
    return envelope;
}

Expected<MonitorCalibrationPayload> decodePayload(MonitorCalibrationMessageType type,
                                                  QByteArrayView bytes)
{
    const QString place = payloadPlace(type);
    const Expected<QJsonObject> object = parseObject(bytes, place);
    if (!object)
        return object.error();
    std::optional<Error> error;
    ObjectReader in(*object, place, error);
    MonitorCalibrationPayload payload = readPayload(type, in);
    if (error)
        return *error;
    return payload;
}

} // namespace hb
