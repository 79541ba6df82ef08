#include "calibration/SpotreadMeter.h"
#include "calibration/SpotreadOutput.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using hb::SpotreadMeter;
using hb::SpotreadOutput;
using Kind = SpotreadOutput::Kind;
using Reading = SpotreadOutput::Reading;
using OptionalReading = std::optional<Reading>;

Q_DECLARE_METATYPE(OptionalReading)

namespace {

// A failure guard only: every outcome the tests wait for comes long before it.
constexpr int kGuardMs = 60000;

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b));
}

bool near(const Reading &a, const Reading &b)
{
    return near(a.X, b.X) && near(a.Y, b.Y) && near(a.Z, b.Z) && near(a.x, b.x) && near(a.y, b.y);
}

QByteArray describe(const OptionalReading &reading)
{
    if (!reading)
        return "no reading";
    return QByteArray::number(reading->X) + ' ' + QByteArray::number(reading->Y) + ' ' +
           QByteArray::number(reading->Z) + " x=" + QByteArray::number(reading->x) +
           " y=" + QByteArray::number(reading->y);
}

} // namespace

class tst_SpotreadMeter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void parseResult_data();
    void parseResult();
    void classify_data();
    void classify();
    void arguments_data();
    void arguments();
    void measure_data();
    void measure();
    void secondMeasureIsRefusedAndCancelIsSilent();

private:
    SpotreadMeter::Settings settingsFor(const QString &mode) const;

    QTemporaryDir m_dir;
    QString m_program;
};

void tst_SpotreadMeter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A copy, so that the stand-in is executable whatever the checkout did to file modes.
    m_program = m_dir.filePath(u"fake-spotread"_s);
    QVERIFY(QFile::copy(QStringLiteral(FAKE_SPOTREAD), m_program));
    QVERIFY(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner));
}

SpotreadMeter::Settings tst_SpotreadMeter::settingsFor(const QString &mode) const
{
    qputenv("FAKE_SPOTREAD_MODE", mode.toUtf8());
    SpotreadMeter::Settings settings;
    settings.program = m_program;
    settings.timeout = 10min; // only a guard: the outcome under test must come first
    return settings;
}

void tst_SpotreadMeter::parseResult_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<OptionalReading>("expected");

    const Reading white{95.060479, 100.0, 108.870624, 0.312727, 0.329023};
    QTest::newRow("XYZ and Yxy")
        << "Result is XYZ: 95.060479 100.000000 108.870624, Yxy: 100.000000 0.312727 0.329023"_ba
        << OptionalReading(white);
    QTest::newRow("CRLF and leading blanks")
        << "  Result is XYZ: 95.060479 100.000000 108.870624, Yxy: 100 0.312727 0.329023\r"_ba
        << OptionalReading(white);
    QTest::newRow("decimal commas")
        << "Result is XYZ: 95,060479 100,000000 108,870624, Yxy: 100,0 0,312727 0,329023"_ba
        << OptionalReading(white);
    QTest::newRow("Lab instead of Yxy: chromaticity from XYZ")
        << "Result is XYZ: 1.5 2.5 3.5, D50 Lab: 17.6 -4.1 2.8"_ba
        << OptionalReading(Reading{1.5, 2.5, 3.5, 0.2, 2.5 / 7.5});
    QTest::newRow("exponents and a black a hair below zero")
        << "Result is XYZ: 1.2e-03 -0.000100 2E-3, Yxy: -0.0001 0.3 0.3"_ba
        << OptionalReading(Reading{0.0012, -0.0001, 0.002, 0.3, 0.3});
    QTest::newRow("all zero") << "Result is XYZ: 0 0 0"_ba
                              << OptionalReading(Reading{0, 0, 0, 0, 0});
    QTest::newRow("not a number") << "Result is XYZ: nan nan nan, Yxy: nan nan nan"_ba
                                  << OptionalReading();
    QTest::newRow("overflow") << "Result is XYZ: 1e999 1 1"_ba << OptionalReading();
    QTest::newRow("two values") << "Result is XYZ: 1.0 2.0"_ba << OptionalReading();
    QTest::newRow("broken Yxy") << "Result is XYZ: 1 2 3, Yxy: 2 x y"_ba << OptionalReading();
    QTest::newRow("no label") << "95.06 100.00 108.87"_ba << OptionalReading();
    QTest::newRow("label later in the line") << "echo Result is XYZ: 1 2 3"_ba << OptionalReading();
    QTest::newRow("garbage") << "\x01\xff\x80Result\0is"_ba << OptionalReading();
}

void tst_SpotreadMeter::parseResult()
{
    QFETCH(QByteArray, line);
    QFETCH(OptionalReading, expected);

    const auto reading = SpotreadOutput::parseResult(line);
    QVERIFY2(reading.has_value() == expected.has_value() && (!reading || near(*reading, *expected)),
             describe(reading).constData());
}

void tst_SpotreadMeter::classify_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Kind>("kind");

    QTest::newRow("result") << "Result is XYZ: 1 2 3, Yxy: 2 0.16 0.33"_ba << Kind::Result;
    QTest::newRow("unreadable result") << "Result is XYZ: -nan 1 2"_ba << Kind::Error;
    QTest::newRow("reading prompt")
        << "Hit ESC or Q to exit, any other key to take a reading: "_ba << Kind::MeasurePrompt;
    QTest::newRow("key help naming calibration")
        << "'h' to toggle high res., 'k' to do a calibration"_ba << Kind::Other;
    QTest::newRow("place on spot") << "Place instrument on spot to be measured,"_ba << Kind::Other;
    QTest::newRow("calibration position")
        << "Set instrument sensor to calibration position, (and then hit any key to continue"_ba
        << Kind::CalibrationPrompt;
    QTest::newRow("white reference")
        << "Place the instrument on its reflective white reference, then hit a key"_ba
        << Kind::CalibrationPrompt;
    QTest::newRow("cap") << "Place cap on the instrument, or on the white calibration tile"_ba
                         << Kind::CalibrationPrompt;
    QTest::newRow("no instrument") << "No instruments found"_ba << Kind::NoInstrument;
    QTest::newRow("no ports") << "    ** No ports found **\r"_ba << Kind::NoInstrument;
    QTest::newRow("port will not open")
        << "Error - Opening communications failed with 'USB open failed'"_ba << Kind::NoInstrument;
    QTest::newRow("calibration failed")
        << "Calibration failed with 'Sensor saturated'"_ba << Kind::Error;
    QTest::newRow("error") << "Error - Instrument read failed"_ba << Kind::Error;
    QTest::newRow("diagnostic") << "Diagnostic: Unknown flag 'Z'"_ba << Kind::Error;
    QTest::newRow("banner") << "Instrument type: colorimeter"_ba << Kind::Other;
    QTest::newRow("empty") << QByteArray() << Kind::Other;
    QTest::newRow("binary") << "\x1b[2J\x07\xfe\xff"_ba << Kind::Other;
}

void tst_SpotreadMeter::classify()
{
    QFETCH(QByteArray, line);
    QFETCH(Kind, kind);

    const auto parsed = SpotreadOutput::classify(line);
    QCOMPARE(parsed.kind, kind);
    QCOMPARE(parsed.reading.has_value(), kind == Kind::Result);
    for (const QChar c : parsed.text)
        QVERIFY2(c.isPrint(), qPrintable(parsed.text));
}

void tst_SpotreadMeter::arguments_data()
{
    QTest::addColumn<SpotreadMeter::Mode>("mode");
    QTest::addColumn<QString>("displayType");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("skipCalibration");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QStringList>("expected");

    using M = SpotreadMeter::Mode;
    QTest::newRow("defaults") << M::Display << QString() << 0 << false << QStringList()
                              << QStringList{u"-e"_s, u"-x"_s, u"-O"_s};
    QTest::newRow("everything") << M::Projector << u"l"_s << 2 << true
                                << QStringList{u"-X"_s, u"/tmp/a b.ccmx"_s}
                                << QStringList{
                                       u"-c"_s, u"2"_s,  u"-p"_s, u"-y"_s, u"l"_s,
                                       u"-N"_s, u"-x"_s, u"-O"_s, u"-X"_s, u"/tmp/a b.ccmx"_s};
    QTest::newRow("ambient") << M::Ambient << QString() << 0 << false << QStringList()
                             << QStringList{u"-a"_s, u"-x"_s, u"-O"_s};
}

void tst_SpotreadMeter::arguments()
{
    QFETCH(SpotreadMeter::Mode, mode);
    QFETCH(QString, displayType);
    QFETCH(int, port);
    QFETCH(bool, skipCalibration);
    QFETCH(QStringList, extra);
    QFETCH(QStringList, expected);

    auto settings = settingsFor(u"reading"_s);
    settings.mode = mode;
    settings.displayType = displayType;
    settings.port = port;
    settings.skipCalibration = skipCalibration;
    settings.extraArguments = extra;
    QCOMPARE(SpotreadMeter::argumentsFor(settings), expected);

    // The program gets them as they are, one argument each.
    const QString argsFile = m_dir.filePath(u"args"_s);
    qputenv("FAKE_SPOTREAD_ARGS", argsFile.toUtf8());
    SpotreadMeter meter;
    meter.setSettings(settings);
    QSignalSpy measured(&meter, &SpotreadMeter::measured);
    QVERIFY(meter.measure());
    QTRY_COMPARE_WITH_TIMEOUT(measured.size(), 1, kGuardMs);
    qunsetenv("FAKE_SPOTREAD_ARGS");
    QFile file(argsFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), expected.join(u'\n') + u'\n');
}

void tst_SpotreadMeter::measure_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("program"); // empty: the stand-in
    QTest::addColumn<int>("timeoutMs");   // 0: the long guard
    QTest::addColumn<OptionalReading>("reading");
    QTest::addColumn<QStringList>("failureParts");

    const QStringList none;
    const OptionalReading fails;
    QTest::newRow("one-shot reading")
        << u"reading"_s << QString() << 0
        << OptionalReading(Reading{95.060479, 100.0, 108.870624, 0.312727, 0.329023}) << none;
    QTest::newRow("waits for a key")
        << u"prompt"_s << QString() << 0 << OptionalReading(Reading{1.5, 2.5, 3.5, 0.2, 2.5 / 7.5})
        << none;
    QTest::newRow("last line without line end")
        << u"unfinished"_s << QString() << 0 << OptionalReading(Reading{10, 20, 30, 0.1667, 0.3333})
        << none;
    QTest::newRow("needs calibration: reported, not answered")
        << u"calibrate"_s << QString() << 0 << fails
        << QStringList{u"calibrated"_s, u"Set instrument sensor to calibration position"_s};
    QTest::newRow("no instrument")
        << u"no-instrument"_s << QString() << 0 << fails << QStringList{u"No colorimeter found"_s};
    QTest::newRow("error exit") << u"error"_s << QString() << 0 << fails
                                << QStringList{u"exit code 1"_s, u"Instrument read failed"_s};
    QTest::newRow("no reading") << u"silent"_s << QString() << 0 << fails
                                << QStringList{u"without a reading"_s};
    QTest::newRow("unreadable reading")
        << u"bad-result"_s << QString() << 0 << fails
        << QStringList{u"without a reading"_s, u"Result is XYZ: nan"_s};
    QTest::newRow("timeout") << u"hang"_s << QString() << 200 << fails
                             << QStringList{u"No reading within 0.2 s"_s};
    QTest::newRow("crash") << u"crash"_s << QString() << 0 << fails << QStringList{u"crashed"_s};
    QTest::newRow("flood") << u"flood"_s << QString() << 0 << fails
                           << QStringList{u"more than 64 kB"_s};
    QTest::newRow("missing path") << u"reading"_s << m_dir.filePath(u"nothing/spotread"_s) << 0
                                  << fails << QStringList{SpotreadMeter::notInstalledMessage()};
    QTest::newRow("not on PATH") << u"reading"_s << u"hb-no-such-colorimeter-program"_s << 0
                                 << fails << QStringList{SpotreadMeter::notInstalledMessage()};
}

void tst_SpotreadMeter::measure()
{
    QFETCH(QString, mode);
    QFETCH(QString, program);
    QFETCH(int, timeoutMs);
    QFETCH(OptionalReading, reading);
    QFETCH(QStringList, failureParts);

    auto settings = settingsFor(mode);
    if (!program.isEmpty())
        settings.program = program;
    if (timeoutMs > 0)
        settings.timeout = std::chrono::milliseconds(timeoutMs);
    SpotreadMeter meter;
    meter.setSettings(settings);
    QSignalSpy measured(&meter, &SpotreadMeter::measured);
    QSignalSpy failed(&meter, &SpotreadMeter::failed);

    QVERIFY(meter.measure());
    QCOMPARE(measured.size() + failed.size(), 0); // never from inside measure()
    QVERIFY(meter.isMeasuring());
    QTRY_COMPARE_WITH_TIMEOUT(measured.size() + failed.size(), 1, kGuardMs);
    QVERIFY(!meter.isMeasuring());

    if (reading) {
        QCOMPARE(measured.size(), 1);
        const auto got = measured.at(0).at(0).value<Reading>();
        QVERIFY2(near(got, *reading), describe(got).constData());
    } else {
        QCOMPARE(failed.size(), 1);
        const QString message = failed.at(0).at(0).toString();
        for (const QString &part : failureParts)
            QVERIFY2(message.contains(part), qPrintable(message));
    }
}

void tst_SpotreadMeter::secondMeasureIsRefusedAndCancelIsSilent()
{
    SpotreadMeter meter;
    meter.setSettings(settingsFor(u"hang"_s));
    QSignalSpy measured(&meter, &SpotreadMeter::measured);
    QSignalSpy failed(&meter, &SpotreadMeter::failed);

    QVERIFY(meter.measure());
    QVERIFY(!meter.measure());
    meter.cancel();
    QVERIFY(!meter.isMeasuring());

    // The next reading runs, and the cancelled one never reports.
    meter.setSettings(settingsFor(u"reading"_s));
    QVERIFY(meter.measure());
    QTRY_COMPARE_WITH_TIMEOUT(measured.size(), 1, kGuardMs);
    QTest::qWait(100);
    QCOMPARE(measured.size(), 1);
    QCOMPARE(failed.size(), 0);
}

QTEST_GUILESS_MAIN(tst_SpotreadMeter)
#include "tst_SpotreadMeter.moc"
