#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMeterLink.h"
#include "calibration/TestMeter.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<hb::MonitorCalibrationMeasurementPayload>)
Q_DECLARE_METATYPE(hb::AddressScope::Kind)

namespace {

const QString kReady = u"Connection: ready"_s;

QByteArray frame(const MonitorCalibrationPayload &payload)
{
    QByteArray bytes = encodeFrame(payload).value();
    bytes.chop(1);
    return bytes;
}

QString decodeFailure(const QByteArray &line)
{
    const auto envelope = decodeEnvelope(line);
    if (!envelope)
        return u"Decode failed: "_s + envelope.error().description;
    return u"Decode failed: "_s +
           decodePayload(envelope->type, envelope->payload).error().description;
}

} // namespace

// A real host on a loopback port and a meter talking to it.
class TestMonitorCalibrationHostNetworking : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsOnceAndReportsListening_data();
    void startsOnceAndReportsListening();
    void handlesMeterLines_data();
    void handlesMeterLines();
    void newMeterReplacesTheOld();
    void servesOnlyLocalMeters_data();
    void servesOnlyLocalMeters();
};

void TestMonitorCalibrationHostNetworking::startsOnceAndReportsListening_data()
{
    QTest::addColumn<std::optional<QString>>("address");
    QTest::addColumn<QString>("target");
    QTest::newRow("address") << std::optional<QString>(u"198.51.100.7"_s) << u"198.51.100.7"_s;
    QTest::newRow("no address") << std::optional<QString>() << u"this device"_s;
}

void TestMonitorCalibrationHostNetworking::startsOnceAndReportsListening()
{
    QFETCH(std::optional<QString>, address);
    QFETCH(QString, target);
    MonitorCalibrationHostNetworking host(loopbackOptions(address));
    QSignalSpy status(&host, &MonitorCalibrationHostNetworking::statusTextChanged);

    host.start();
    host.start();
    QTRY_COMPARE(host.statusText(), u"Listener: ready"_s);
    const QString port = QString::number(host.listeningPort());
    QCOMPARE(status.size(), 2);
    QCOMPARE(status.at(0).at(0).toString(), u"Listening on port "_s + port +
                                                u" \u2014 meter connects to: "_s + target + u':' +
                                                port);
    QCOMPARE(host.targetAddress(), address);
    QTest::qWait(50);
    QCOMPARE(status.size(), 2); // the second start made no listener of its own

    host.stop();
    QTRY_COMPARE(host.statusText(), u"Stopped"_s);
    QTest::qWait(50);
    QCOMPARE(host.statusText(), u"Stopped"_s); // the listener's last report came before
    TestMeter meter;
    QVERIFY(!meter.connectTo(port.toUShort()));

    host.start(); // listens again after a stop
    QTRY_COMPARE(host.statusText(), u"Listener: ready"_s);
}

void TestMonitorCalibrationHostNetworking::handlesMeterLines_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<std::optional<QString>>("deviceName");
    QTest::addColumn<std::optional<MonitorCalibrationMeasurementPayload>>("measurement");

    const QByteArray noIso = R"({"type":"measurement","payload":")" +
                             QByteArray(R"({"meanR":1,"meanG":1,"meanB":1,"stddev":0,)"
                                        R"("exposureDurationSeconds":0.01})")
                                 .toBase64() +
                             "\"}";
    const QByteArray rawPayload = R"({"type":"hello","payload":{"role":"meter"}})";
    const std::optional<QString> noName;
    const std::optional<MonitorCalibrationMeasurementPayload> noReading;

    QTest::newRow("a reading replaces the last, one without iso leaves it")
        << QByteArrayList{frame(reading(0.1)), frame(reading(0.3)), noIso}
        << QStringList{decodeFailure(noIso)} << noName << std::optional(reading(0.3));
    QTest::newRow("meter error") << QByteArrayList{frame(
                                        MonitorCalibrationErrorPayload{u"Too dark"_s})}
                                 << QStringList{u"Meter error: Too dark"_s} << noName << noReading;
    QTest::newRow("bad lines keep the connection")
        << QByteArrayList{"", "not json", "\r", rawPayload, frame(hello(u"Later"_s))}
        << QStringList{decodeFailure(""), decodeFailure("not json"), decodeFailure("\r"),
                       decodeFailure(rawPayload)}
        << std::optional<QString>(u"Later"_s) << noReading;
    QTest::newRow("over-long line is dropped")
        << QByteArrayList{QByteArray(MonitorCalibrationMeterLink::kMaxLineLength + 1, 'x'),
                          frame(hello(u"After"_s))}
        << QStringList{u"Decode failed: "_s + MonitorCalibrationMeterLink::lineTooLongDescription()}
        << std::optional<QString>(u"After"_s) << noReading;
}

void TestMonitorCalibrationHostNetworking::handlesMeterLines()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QStringList, statuses);
    QFETCH(std::optional<QString>, deviceName);
    QFETCH(std::optional<MonitorCalibrationMeasurementPayload>, measurement);

    MonitorCalibrationHostNetworking host(loopbackOptions());
    host.start();
    QTRY_VERIFY(host.listeningPort() != 0);
    TestMeter meter;
    QVERIFY(meter.connectTo(host.listeningPort()));
    QTRY_COMPARE(host.statusText(), kReady);

    QStringList seen;
    connect(&host, &MonitorCalibrationHostNetworking::statusTextChanged, this,
            [&seen](const QString &text) { seen.append(text); });
    for (const QByteArray &line : lines)
        meter.sendLine(line);
    // A last message whose status marks the end of the lines.
    meter.send(MonitorCalibrationErrorPayload{u"end"_s});
    QTRY_COMPARE(host.statusText(), u"Meter error: end"_s);

    QCOMPARE(seen, statuses + QStringList{u"Meter error: end"_s});
    QCOMPARE(host.connectedDeviceName(), deviceName);
    QCOMPARE(host.lastMeasurement(), measurement);
    QVERIFY(meter.isConnected());
}

void TestMonitorCalibrationHostNetworking::newMeterReplacesTheOld()
{
    MonitorCalibrationHostNetworking host(loopbackOptions());
    host.start();
    QTRY_VERIFY(host.listeningPort() != 0);
    TestMeter first;
    QVERIFY(first.connectTo(host.listeningPort()));
    QTRY_COMPARE(host.statusText(), kReady);

    QStringList seen;
    connect(&host, &MonitorCalibrationHostNetworking::statusTextChanged, this,
            [&seen](const QString &text) { seen.append(text); });
    TestMeter second;
    QVERIFY(second.connectTo(host.listeningPort()));
    QTRY_COMPARE(seen, (QStringList{u"Connection: cancelled"_s, kReady}));
    QTRY_VERIFY(!first.isConnected());

    const MonitorCalibrationPatch patch = MonitorCalibrationPatch::grey(u"Mid Gray"_s, 0.18);
    host.sendShowPatch(patch);
    QTRY_COMPARE(second.patches(), QList{patch});
    QVERIFY(!second.receivedGarbage());
}

void TestMonitorCalibrationHostNetworking::servesOnlyLocalMeters_data()
{
    QTest::addColumn<AddressScope::Kind>("kind");
    QTest::addColumn<QString>("refusal"); // empty: served
    using Kind = AddressScope::Kind;
    QTest::newRow("this machine") << Kind::Loopback << QString();
    QTest::newRow("local network") << Kind::LocalNetwork << QString();
    QTest::newRow("carrier or VPN")
        << Kind::SharedAddressSpace
        << u"Refused a meter at 127.0.0.1: carrier and VPN addresses (100.64.0.0/10) are not "
           u"served"_s;
    QTest::newRow("public") << Kind::Elsewhere
                            << u"Refused a meter at 127.0.0.1: only meters on the local network "
                               u"are served"_s;
}

// The second meter's address is classified as `kind` (it really connects over loopback).
void TestMonitorCalibrationHostNetworking::servesOnlyLocalMeters()
{
    QFETCH(AddressScope::Kind, kind);
    QFETCH(QString, refusal);
    auto seenKind = std::make_shared<std::atomic<AddressScope::Kind>>(AddressScope::Kind::Loopback);
    MonitorCalibrationHostNetworking::Options options = loopbackOptions();
    options.classifyPeer = [seenKind](const QHostAddress &) { return seenKind->load(); };
    MonitorCalibrationHostNetworking host(options);
    host.start();
    QTRY_VERIFY(host.listeningPort() != 0);
    TestMeter first;
    QVERIFY(first.connectTo(host.listeningPort()));
    QTRY_COMPARE(host.statusText(), kReady);
    QCOMPARE(host.connectedAddress(), std::optional(u"127.0.0.1"_s));
    first.send(hello(u"First"_s));
    QTRY_COMPARE(host.connectedDeviceName(), std::optional(u"First"_s));

    seenKind->store(kind);
    QStringList seen;
    connect(&host, &MonitorCalibrationHostNetworking::statusTextChanged, this,
            [&seen](const QString &text) { seen.append(text); });
    TestMeter second;
    QVERIFY(second.connectTo(host.listeningPort()));
    const MonitorCalibrationPatch patch = MonitorCalibrationPatch::grey(u"Mid Gray"_s, 0.18);
    if (refusal.isEmpty()) {
        QTRY_COMPARE(seen, (QStringList{u"Connection: cancelled"_s, kReady}));
        QTRY_VERIFY(!first.isConnected());
        host.sendShowPatch(patch);
        QTRY_COMPARE(second.patches(), QList{patch});
    } else {
        QTRY_COMPARE(seen, QStringList{refusal});
        QTRY_VERIFY(!second.isConnected());
        // The meter that was there keeps the link.
        host.sendShowPatch(patch);
        QTRY_COMPARE(first.patches(), QList{patch});
        QVERIFY(second.patches().isEmpty());
    }
    QCOMPARE(host.connectedDeviceName(), std::optional(u"First"_s));
    QCOMPARE(host.connectedAddress(), std::optional(u"127.0.0.1"_s));

    host.stop();
    QTRY_COMPARE(host.statusText(), u"Stopped"_s);
    QCOMPARE(host.connectedAddress(), std::nullopt);
}

QTEST_GUILESS_MAIN(TestMonitorCalibrationHostNetworking)
#include "tst_MonitorCalibrationHostNetworking.moc"
