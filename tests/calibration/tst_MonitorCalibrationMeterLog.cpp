#include "calibration/MonitorCalibrationMeterLog.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;
using Step = MonitorCalibrationStep;

namespace {

MonitorCalibrationMeterLog::Entry entry(Step step, const QString &name, double level, double meanG)
{
    MonitorCalibrationPatch patch = MonitorCalibrationPatch::grey(name, level);
    return {QDateTime(QDate(2026, 12, 6), QTime(20, 1, 2, 345), Qt::UTC),
            step,
            patch,
            {meanG, meanG, meanG, 0.5, 1.0 / 60, 400}};
}

} // namespace

class TestMonitorCalibrationMeterLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsReadings();
    void writesCsv();
    void tracksTheLatestReadingPerGreyLevel();
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
    log.append(entry(Step::Grayscale, u"50% Gray"_s, 0.5, 0.21));
    log.append(entry(Step::Brightness, u"Near \"Black\", dim"_s, 0.02, 1e-05));
    QCOMPARE(log.toCsv(),
             QByteArray("receivedAt,step,patch,r,g,b,meanR,meanG,meanB,stddev,"
                        "exposureDurationSeconds,iso\r\n"
                        "2026-12-06T20:01:02.345Z,grayscale,50% Gray,0.5,0.5,0.5,0.21,0.21,0.21,"
                        "0.5,0.016666666666666666,400\r\n"
                        "2026-12-06T20:01:02.345Z,brightness,\"Near \"\"Black\"\", dim\",0.02,0.02,"
                        "0.02,1e-05,1e-05,1e-05,0.5,0.016666666666666666,400\r\n"));
}

void TestMonitorCalibrationMeterLog::tracksTheLatestReadingPerGreyLevel()
{
    MonitorCalibrationMeterLog log;
    log.append(entry(Step::Uniformity, u"White"_s, 1.0, 100));
    log.append(entry(Step::Gamma, u"Mid Gray"_s, 0.18, 3));
    log.append(entry(Step::Gamma, u"Mid Gray"_s, 0.18, 2.5)); // the later reading counts
    MonitorCalibrationMeterLog::Entry red = entry(Step::Primaries, u"Red"_s, 1, 50);
    red.patch.g = red.patch.b = 0; // not grey: left out
    log.append(red);
    QCOMPARE(log.greyTracking(), (QList<QPointF>{{0.18, 2.5}, {1.0, 100}}));
}

QTEST_APPLESS_MAIN(TestMonitorCalibrationMeterLog)
#include "tst_MonitorCalibrationMeterLog.moc"
