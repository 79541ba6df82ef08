#include "calibration/MonitorCalibrationMessage.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace hb;
using Code = MonitorCalibrationMessageError;
using Payload = MonitorCalibrationPayload;
using Hello = MonitorCalibrationHelloPayload;
using ShowPatch = MonitorCalibrationShowPatchPayload;
using Measurement = MonitorCalibrationMeasurementPayload;
using ErrorPayload = MonitorCalibrationErrorPayload;

namespace hb {
// Readable QCOMPARE failures; found through argument-dependent lookup.
char *toString(const MonitorCalibrationPayload &payload)
{
    const auto frame = encodeFrame(payload);
    return QTest::toString(frame ? *frame : frame.error().description.toUtf8());
}
} // namespace hb

namespace {

QByteArray frameOf(const char *type, const QByteArray &json, const char *end = "\n")
{
    return "{\"payload\":\"" + json.toBase64() + "\",\"type\":\"" + type + "\"}" + end;
}

Expected<Payload> decodeLine(QByteArrayView line)
{
    const auto envelope = decodeEnvelope(line);
    if (!envelope)
        return envelope.error();
    return decodePayload(envelope->type, envelope->payload);
}

template <typename T> QString failure(const Expected<T> &result)
{
    return result ? QString() : result.error().description;
}

const QString kId = u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s;

} // namespace

class TestMonitorCalibrationMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void encode_data();
    void encode();
    void encodeRefusesNonFinite();
    void refusals_data();
    void refusals();
    void accepted_data();
    void accepted();
};

void TestMonitorCalibrationMessage::encode_data()
{
    QTest::addColumn<Payload>("payload");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("json"); // inside the Base64

    QTest::newRow("hello") << Payload(Hello{MonitorCalibrationRole::Host, u"Mac"_s, u"2.1"_s})
                           << "hello"_ba
                           << R"({"role":"host","deviceName":"Mac","appVersion":"2.1"})"_ba;
    QTest::newRow("patch, solidus as is")
        << Payload(ShowPatch{{kId, u"grey / D65"_s, 0.5, 0.25, 1}}) << "showPatch"_ba
        << R"({"patch":{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"grey / D65",)"
           R"("r":0.5,"g":0.25,"b":1}})"_ba;
    QTest::newRow("measurement, shortest numbers")
        << Payload(Measurement{0.1234, 0.5, 1, 0.0021, 1.0 / 60, 400}) << "measurement"_ba
        << R"({"meanR":0.1234,"meanG":0.5,"meanB":1,"stddev":0.0021,)"
           R"("exposureDurationSeconds":0.016666666666666666,"iso":400})"_ba;
    // Qt's reader would drop a raw U+FEFF opening a string; a lone surrogate has no UTF-8.
    QTest::newRow("error, escapes and UTF-8")
        << Payload(ErrorPayload{u"\ufeff\"\\\t\x01 é😀"_s + QChar(0xD800)}) << "error"_ba
        << "{\"message\":\"\\ufeff\\\"\\\\\\t\\u0001 \xc3\xa9\xf0\x9f\x98\x80\\ud800\"}"_ba;
}

void TestMonitorCalibrationMessage::encode()
{
    QFETCH(Payload, payload);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, json);

    // The envelope's keys in order, the payload in standard Base64, one line feed.
    const QByteArray frame = frameOf(type.constData(), json);
    const auto encoded = encodeFrame(payload);
    QCOMPARE(failure(encoded), QString());
    QCOMPARE(*encoded, frame);
    const auto envelope = decodeEnvelope(frame);
    QCOMPARE(failure(envelope), QString());
    QCOMPARE(envelope->type, messageType(payload));
    QCOMPARE(envelope->payload, json);
    const auto decoded = decodePayload(envelope->type, envelope->payload);
    QCOMPARE(failure(decoded), QString());
    QCOMPARE(*decoded, payload);
}

void TestMonitorCalibrationMessage::encodeRefusesNonFinite()
{
    const auto nan = encodeFrame(Measurement{0, 0, 0, 0, 0, qQNaN()});
    QCOMPARE(failure(nan), u"\"iso\" in the measurement payload is not a finite number"_s);
    QVERIFY(nan.error().is(Code::NotEncodable));
    const auto infinity = encodeFrame(ShowPatch{{kId, {}, 0, -qInf(), 0}});
    QCOMPARE(failure(infinity), u"\"g\" in the patch is not a finite number"_s);
    QVERIFY(infinity.error().is(Code::NotEncodable));
}

void TestMonitorCalibrationMessage::refusals_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Code>("code");
    QTest::addColumn<QString>("mentions"); // in the description

    const auto row = [](const char *name, const QByteArray &line, Code code, const QString &text) {
        QTest::newRow(name) << line << code << text;
    };
    const auto badBase64 = [&](const char *name, const QByteArray &base64) {
        row(name, R"({"type":"error","payload":")" + base64 + "\"}", Code::InvalidBase64,
            u"Base64"_s);
    };
    const auto measurement = [](const QByteArray &iso) {
        return frameOf("measurement", R"({"meanR":1,"meanG":1,"meanB":1,"stddev":0,)"
                                      R"("exposureDurationSeconds":0.01)" +
                                          iso + "}");
    };
    const auto patch = [](const QByteArray &members) {
        return frameOf("showPatch", R"({"patch":{"name":"x","r":0,"g":0,)" + members + "}}");
    };
    row("empty line", "", Code::EmptyLine, u"empty"_s);
    row("bad JSON", R"({"type":"error","payload":)", Code::InvalidJson, u"offset 26"_s);
    row("array", R"([{"payload":"e30=","type":"error"}])", Code::NotAnObject, u"object"_s);
    row("no type", R"({"payload":"e30="})", Code::MissingKey, u"\"type\""_s);
    row("type a number", R"({"payload":"e30=","type":3})", Code::WrongType, u"\"type\""_s);
    row("unknown type", R"({"payload":"e30=","type":"foo"})", Code::UnknownType, u"\"foo\""_s);
    row("no payload", R"({"type":"error"})", Code::MissingKey, u"\"payload\""_s);
    badBase64("payload raw JSON", R"({\"message\":\"x\"})");
    badBase64("URL-safe alphabet", "eyJtZXNzYWdlIjoiPz8_In0=");
    badBase64("unused bits set", "e31=");
    row("payload not JSON", frameOf("error", "{"), Code::InvalidJson, u"error payload"_s);
    row("no iso", measurement(""), Code::MissingKey, u"\"iso\" in the measurement"_s);
    row("iso 1e400", measurement(R"(,"iso":1e400)"), Code::NonFiniteNumber, u"1e400"_s);
    row("unknown role, the first failure wins", frameOf("hello", R"({"role":"Host"})"),
        Code::UnknownType, u"\"Host\""_s);
    row("patch without b", patch(R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F")"),
        Code::MissingKey, u"\"b\" in the patch"_s);
    row("id not a UUID", patch(R"("b":0,"id":"E621E1F8C36C495A93FC0C247A3E6E5F")"), Code::InvalidId,
        u"\"id\""_s);
}

void TestMonitorCalibrationMessage::refusals()
{
    QFETCH(QByteArray, line);
    QFETCH(Code, code);
    QFETCH(QString, mentions);

    const auto decoded = decodeLine(line);
    QVERIFY(!decoded);
    QCOMPARE(decoded.error().domain, u"MonitorCalibrationMessage"_s);
    QVERIFY2(decoded.error().is(code), qPrintable(decoded.error().description));
    QVERIFY2(decoded.error().description.contains(mentions),
             qPrintable(decoded.error().description));
}

void TestMonitorCalibrationMessage::accepted_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Payload>("payload");

    const Payload x = ErrorPayload{u"x"_s};
    QTest::newRow("CRLF") << frameOf("error", R"({"message":"x"})", "\r\n") << x;
    QTest::newRow("spaced envelope, other order, extra keys")
        << "{ \"type\" : \"error\",\r\n\t\"v\": [1, {\"a\": null}], "
           "\"payload\": \"eyJtZXNzYWdlIjoieCJ9\" }\n"_ba
        << x;
    QTest::newRow("escaped solidus in the Base64")
        << R"({"payload":"eyJtZXNzYWdlIjoiPz8\/In0=","type":"error"})"_ba
        << Payload(ErrorPayload{u"???"_s});
    QTest::newRow("spaced payload, escapes, extra keys")
        << frameOf("hello", "{\n\t\"appVersion\" : \"1\\/2\",\r\n \"deviceName\":"
                            "\"\\u00e9\\ud83d\\ude00\", \"role\":\"meter\", \"battery\": 0.5 }")
        << Payload(Hello{MonitorCalibrationRole::Meter, u"é😀"_s, u"1/2"_s});
    QTest::newRow("lower-case id read as upper case")
        << frameOf("showPatch", R"({"patch":{"b":1,"g":0,"r":0,"name":"",)"
                                R"("id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"}})")
        << Payload(ShowPatch{{kId, {}, 0, 0, 1}});
}

void TestMonitorCalibrationMessage::accepted()
{
    QFETCH(QByteArray, line);
    QFETCH(Payload, payload);

    const auto decoded = decodeLine(line);
    QCOMPARE(failure(decoded), QString());
    QCOMPARE(*decoded, payload);
}

QTEST_APPLESS_MAIN(TestMonitorCalibrationMessage)
#include "tst_MonitorCalibrationMessage.moc"
