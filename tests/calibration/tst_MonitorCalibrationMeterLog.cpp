#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMeasureReport.h"
#include "calibration/MonitorCalibrationMeterCard.h"
#include "calibration/MonitorCalibrationMeterLog.h"
#include "calibration/MonitorCalibrationTrackingChart.h"
#include "calibration/TestMeter.h"

#include <QLabel>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::chrono::milliseconds)

namespace {

MonitorCalibrationMeterLog::Entry entry(const QString &name, double level, double meanG)
{
    MonitorCalibrationMeterLog::Entry entry;
    entry.receivedAt = QDateTime(QDate(2026, 12, 6), QTime(20, 1, 2, 345), Qt::UTC);
    entry.patch = MonitorCalibrationPatch::grey(name, level);
    entry.measurement = {meanG, meanG, meanG, 0.5, 1.0 / 60, 400};
    return entry;
}

QList<QPointF> greyPoints(const MonitorCalibrationMeterLog &log)
{
    return MonitorCalibrationMeasureReport(log.latest()).greyPoints();
}

} // namespace

class TestMonitorCalibrationMeterLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsReadings();
    void writesCsv();
    void tracksTheLatestReadingOfEachPatch();
    void keepsTheLatestReadingsOfEachPatch();
    void cardCoalescesRefreshes_data();
    void cardCoalescesRefreshes();
    void cardShowsTheMeterAndItsAddress_data();
    void cardShowsTheMeterAndItsAddress();
};

void TestMonitorCalibrationMeterLog::formatsReadings()
{
    // Large and negative values; the ISO rounds half to even.
    QCOMPARE(measurementLines({-0.0004, 255, 1e6, 12, 2, 3200.5}),
             (QStringList{u"Mean RGB: -0.000 255.000 1000000.000"_s, u"Stddev: 12.0000"_s,
                          u"Exposure: 2.0000s ISO 3200"_s}));
}

void TestMonitorCalibrationMeterLog::writesCsv()
{
    MonitorCalibrationMeterLog log;
    log.append(entry(u"Grey 50%"_s, 0.5, 0.21));
    MonitorCalibrationMeterLog::Entry quoted = entry(u"Near \"Black\", dim"_s, 0.02, 1e-05);
    quoted.area = MonitorCalibrationPatchArea::Window18;
    log.append(quoted);
    MonitorCalibrationMeterLog::Entry colorimeter = entry(u"Red 75%"_s, 0.75, 0);
    colorimeter.patch.g = colorimeter.patch.b = 0;
    colorimeter.source = MonitorCalibrationMeterSource::Colorimeter;
    colorimeter.xyz = {20.5, 10.25, 1.5};
    log.append(colorimeter);
    QCOMPARE(
        log.toCsv(),
        QByteArray("receivedAt,source,patch,patchAreaPercent,r,g,b,meanR,meanG,meanB,stddev,"
                   "exposureDurationSeconds,iso,X,Y,Z\r\n"
                   "2026-12-06T20:01:02.345Z,network,Grey 50%,100,0.5,0.5,0.5,0.21,0.21,0.21,"
                   "0.5,0.016666666666666666,400,,,\r\n"
                   "2026-12-06T20:01:02.345Z,network,\"Near \"\"Black\"\", dim\",18,0.02,0.02,"
                   "0.02,1e-05,1e-05,1e-05,0.5,0.016666666666666666,400,,,\r\n"
                   "2026-12-06T20:01:02.345Z,colorimeter,Red 75%,100,0.75,0,0,,,,,,,20.5,10.25,"
                   "1.5\r\n"));
}

// The latest reading of each patch counts, from the meter that read last: readings of another
// meter are in a scale of their own.
void TestMonitorCalibrationMeterLog::tracksTheLatestReadingOfEachPatch()
{
    MonitorCalibrationMeterLog log;
    log.append(entry(u"White"_s, 1.0, 100));
    log.append(entry(u"Mid Gray"_s, 0.18, 3));
    log.append(entry(u"Mid Gray"_s, 0.18, 2.5)); // the later reading counts
    MonitorCalibrationMeterLog::Entry red = entry(u"Red"_s, 1, 50);
    red.patch.g = red.patch.b = 0; // not grey: no point on the grey chart
    log.append(red);
    QCOMPARE(greyPoints(log), (QList<QPointF>{{0.18, 2.5}, {1.0, 100}}));
    QCOMPARE(log.latest().size(), 3);

    MonitorCalibrationMeterLog::Entry colorimeter = entry(u"Mid Gray"_s, 0.18, 0);
    colorimeter.source = MonitorCalibrationMeterSource::Colorimeter;
    colorimeter.xyz = {1, 2, 3};
    log.append(colorimeter);
    QCOMPARE(greyPoints(log), (QList<QPointF>{{0.18, 2}}));
    log.append(entry(u"Mid Gray"_s, 0.18, 4));
    QCOMPARE(greyPoints(log), (QList<QPointF>{{0.18, 4}, {1.0, 100}}));
}

void TestMonitorCalibrationMeterLog::keepsTheLatestReadingsOfEachPatch()
{
    // A meter streaming on white long after the one mid-grey reading of an earlier step.
    constexpr qsizetype kMax = MonitorCalibrationMeterLog::kMaxEntriesPerPatch;
    QList<MonitorCalibrationMeterLog::Entry> sent;
    sent.append(entry(u"Mid Gray"_s, 0.18, 3));
    for (qsizetype i = 0; i < kMax + 5; ++i)
        sent.append(entry(u"White"_s, 1.0, double(i)));
    sent.insert(10, entry(u"Mid Gray"_s, 0.18, 2.5));
    MonitorCalibrationMeterLog log;
    for (const auto &reading : sent)
        log.append(reading);

    // What is kept: every mid-grey reading and the last kMax white ones, in arrival order.
    QList<MonitorCalibrationMeterLog::Entry> kept;
    qsizetype whitesToDrop = 5;
    for (const auto &reading : sent) {
        if (reading.patch.name == u"White"_s && whitesToDrop > 0)
            --whitesToDrop;
        else
            kept.append(reading);
    }
    MonitorCalibrationMeterLog expected;
    for (const auto &reading : kept)
        expected.append(reading);
    QCOMPARE(log.size(), kMax + 2);
    QCOMPARE(log.entries().size(), log.size());
    QCOMPARE(log.entries().at(1).measurement.meanG, 5.0); // the first white one kept
    QCOMPARE(log.toCsv(), expected.toCsv());
    QCOMPARE(greyPoints(log), (QList<QPointF>{{0.18, 2.5}, {1.0, double(kMax + 4)}}));
}

void TestMonitorCalibrationMeterLog::cardCoalescesRefreshes_data()
{
    QTest::addColumn<std::chrono::milliseconds>("since");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("same moment") << 0ms << false;
    QTest::newRow("just inside the interval") << 99ms << false;
    QTest::newRow("interval over") << 100ms << true;
    QTest::newRow("long after") << 5000ms << true;
}

void TestMonitorCalibrationMeterLog::cardCoalescesRefreshes()
{
    QFETCH(std::chrono::milliseconds, since);
    QFETCH(bool, atOnce);
    auto now = std::chrono::steady_clock::time_point{};
    MonitorCalibrationHostNetworking host(test::loopbackOptions());
    MonitorCalibrationMeterLog log;
    MonitorCalibrationMeterCard card(host, log, nullptr, [&now] { return now; });
    auto *count = card.findChild<QLabel *>(u"logCount"_s);
    auto *chart = card.findChild<MonitorCalibrationTrackingChart *>(u"trackingChart"_s);

    // A burst: the first reading is shown, the rest wait for the interval to end.
    now += since;
    for (int i = 1; i <= 1000; ++i) {
        log.append(entry(u"Gray "_s + QString::number(i % 10), (i % 10) / 10.0, i));
        card.refresh();
    }
    QCOMPARE(count->text(), atOnce ? u"1 reading this session"_s : u"0 readings this session"_s);
    now += 1s;
    QTRY_COMPARE(count->text(), u"1000 readings this session"_s);
    QCOMPARE(chart->points(), greyPoints(log));
    QCOMPARE(chart->points().size(), 10);
}

void TestMonitorCalibrationMeterLog::cardShowsTheMeterAndItsAddress_data()
{
    QTest::addColumn<std::optional<QString>>("name");
    QTest::addColumn<std::optional<QString>>("address");
    QTest::addColumn<QString>("shown");
    const std::optional<QString> none;
    QTest::newRow("named") << std::optional(u"Desk Meter"_s) << std::optional(u"192.0.2.7"_s)
                           << u"Desk Meter (192.0.2.7)"_s;
    QTest::newRow("no hello yet") << none << std::optional(u"fe80::1"_s)
                                  << u"Unnamed meter (fe80::1)"_s;
    QTest::newRow("no meter") << none << none << u"No meter"_s;
    QTest::newRow("long name") << std::optional(QString(300, u'x')) << std::optional(u"::1"_s)
                               << QString(240, u'x') + u"\u2026 (::1)"_s;
}

void TestMonitorCalibrationMeterLog::cardShowsTheMeterAndItsAddress()
{
    QFETCH(std::optional<QString>, name);
    QFETCH(std::optional<QString>, address);
    QFETCH(QString, shown);
    QCOMPARE(MonitorCalibrationMeterCard::connectedText(name, address), shown);
}

QTEST_MAIN(TestMonitorCalibrationMeterLog)
#include "tst_MonitorCalibrationMeterLog.moc"
