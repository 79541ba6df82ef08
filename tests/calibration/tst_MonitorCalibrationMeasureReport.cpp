#include "calibration/MonitorCalibrationColour.h"
#include "calibration/MonitorCalibrationMeasureReport.h"
#include "calibration/MonitorCalibrationMeasureSequence.h"
#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <array>
#include <cmath>

using namespace hb;
using namespace Qt::StringLiterals;
using Colour = MonitorCalibrationColour;
using Entry = MonitorCalibrationMeterLog::Entry;
using Range = MonitorCalibrationPatternPainter::Range;
using Pair = std::array<double, 6>;

namespace {

// A display to measure: Rec. 709 primaries with a power-law response, a white of `white` cd/m²,
// a black floor of `black` cd/m² (at D65) and the blue channel's output scaled by `blueGain`.
struct SimulatedDisplay {
    double gamma = 2.2;
    double white = 100;
    double black = 0;
    double blueGain = 1;

    CieXyz show(const MonitorCalibrationPatch &patch) const
    {
        const CieXyz xyz = Colour::targetXyz(patch.r, patch.g, patch.b, gamma);
        const CieXyz blue = Colour::targetXyz(0, 0, patch.b, gamma);
        const double extra = blueGain - 1;
        return {(xyz.X + extra * blue.X) * white + black * Colour::kD65.X,
                (xyz.Y + extra * blue.Y) * white + black * Colour::kD65.Y,
                (xyz.Z + extra * blue.Z) * white + black * Colour::kD65.Z};
    }
};

// One reading of every patch of a measure run, from a colorimeter or from the network meter
// (whose readings have no colour, only the luminance of the patch).
QList<Entry> measure(const SimulatedDisplay &display, MonitorCalibrationMeterSource source,
                     int steps = 20)
{
    QList<Entry> entries;
    for (const MonitorCalibrationPatch &patch : MonitorCalibrationMeasureSequence::patches(steps)) {
        Entry entry;
        entry.patch = patch;
        entry.source = source;
        const CieXyz xyz = display.show(patch);
        if (source == MonitorCalibrationMeterSource::Colorimeter)
            entry.xyz = xyz;
        else
            entry.measurement = {xyz.Y, xyz.Y, xyz.Y, 0, 0, 0};
        entries.append(entry);
    }
    return entries;
}

} // namespace

Q_DECLARE_METATYPE(SimulatedDisplay)

class TestMonitorCalibrationMeasureReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sequence();
    void deltaE2000_data();
    void deltaE2000();
    void report_data();
    void report();
    void reportText();
    void patchPainting_data();
    void patchPainting();
};

void TestMonitorCalibrationMeasureReport::sequence()
{
    const QList<MonitorCalibrationPatch> patches = MonitorCalibrationMeasureSequence::patches(20);
    QCOMPARE(patches.size(), 21 + 12);
    QCOMPARE(patches.at(1).name, u"Grey 5%"_s);
    QCOMPARE(patches.at(1).r, 0.05);
    QCOMPARE(patches.at(20).name, u"Grey 100%"_s);
    QCOMPARE(patches.at(21).name, u"Red 100%"_s);
    QCOMPARE(patches.at(32).name, u"Yellow 75%"_s);
    QCOMPARE((std::array{patches.at(32).r, patches.at(32).g, patches.at(32).b}),
             (std::array{0.75, 0.75, 0.0}));
    QCOMPARE(MonitorCalibrationMeasureSequence::patches(3).at(1).name, u"Grey 33.33%"_s);
    QCOMPARE(MonitorCalibrationMeasureSequence::patches(0).size(), 3 + 12); // clamped to 2 steps

    // A new step count keeps the patch on screen when the new ramp has it.
    MonitorCalibrationMeasureSequence sequence;
    QCOMPARE(sequence.counter(), u"Patch 1 of 33"_s);
    QVERIFY(!sequence.hasPrevious());
    sequence.setIndex(10); // 50 %
    sequence.setGreySteps(4);
    QCOMPARE(sequence.current().name, u"Grey 50%"_s);
    sequence.setIndex(1); // 25 %
    sequence.setGreySteps(10);
    QCOMPARE(sequence.index(), 0);
    sequence.setIndex(1000);
    QCOMPARE(sequence.current().name, u"Yellow 75%"_s);
    QVERIFY(!sequence.hasNext());
    sequence.setGreySteps(20);
    QCOMPARE(sequence.current().name, u"Yellow 75%"_s);
    QVERIFY(sequence.current().id != sequence.current().id); // a new patch for each showing
}

// Pairs from the published CIEDE2000 test data, including the hue-angle wrap cases.
void TestMonitorCalibrationMeasureReport::deltaE2000_data()
{
    QTest::addColumn<Pair>("pair");
    QTest::addColumn<double>("expected");
    QTest::newRow("1") << std::array{50.0, 2.6772, -79.7751, 50.0, 0.0, -82.7485} << 2.0425;
    QTest::newRow("7 neutral") << std::array{50.0, 0.0, 0.0, 50.0, -1.0, 2.0} << 2.3669;
    QTest::newRow("13 hue wrap") << std::array{50.0, 2.49, -0.001, 50.0, -2.49, 0.0009} << 7.1792;
    QTest::newRow("16 hue wrap") << std::array{50.0, 2.49, -0.001, 50.0, -2.49, 0.0012} << 7.2195;
    QTest::newRow("17 hue wrap") << std::array{50.0, -0.001, 2.49, 50.0, 0.0009, -2.49} << 4.8045;
    QTest::newRow("18 large") << std::array{50.0, 2.5, 0.0, 73.0, 25.0, -18.0} << 27.1492;
    QTest::newRow("25") << std::array{60.2574, -34.0099, 36.2677, 60.4626, -34.1751, 39.4387}
                        << 1.2644;
    QTest::newRow("same") << std::array{40.0, 10.0, -20.0, 40.0, 10.0, -20.0} << 0.0;
}

void TestMonitorCalibrationMeasureReport::deltaE2000()
{
    QFETCH(Pair, pair);
    QFETCH(double, expected);
    const CieLab first{pair[0], pair[1], pair[2]};
    const CieLab second{pair[3], pair[4], pair[5]};
    QVERIFY(std::abs(Colour::deltaE2000(first, second) - expected) < 5e-5);
    QVERIFY(std::abs(Colour::deltaE2000(second, first) - expected) < 5e-5);
}

// Simulated displays measured patch by patch: the report finds the display's gamma (through a
// raised black too), its white, and its colour errors.
void TestMonitorCalibrationMeasureReport::report_data()
{
    QTest::addColumn<SimulatedDisplay>("display");
    QTest::addColumn<bool>("colorimeter");
    QTest::addColumn<double>("gamma");
    QTest::addColumn<double>("greyError"); // the largest; -1: none reported
    QTest::addColumn<double>("colourError");

    QTest::newRow("ideal, network meter") << SimulatedDisplay{} << false << 2.2 << -1.0 << -1.0;
    QTest::newRow("ideal, colorimeter") << SimulatedDisplay{} << true << 2.2 << 0.0 << 0.0;
    QTest::newRow("gamma 2.4") << SimulatedDisplay{2.4, 120} << true << 2.4 << 2.0 << 1.0;
    QTest::newRow("raised black") << SimulatedDisplay{2.2, 100, 0.5} << true << 2.2 << 2.0 << 1.0;
    QTest::newRow("blue white") << SimulatedDisplay{2.2, 100, 0, 1.15} << true << 2.2 << 2.0 << 2.0;
}

void TestMonitorCalibrationMeasureReport::report()
{
    QFETCH(SimulatedDisplay, display);
    QFETCH(bool, colorimeter);
    QFETCH(double, gamma);
    QFETCH(double, greyError);
    QFETCH(double, colourError);
    const auto source = colorimeter ? MonitorCalibrationMeterSource::Colorimeter
                                    : MonitorCalibrationMeterSource::Network;
    const MonitorCalibrationMeasureReport report(measure(display, source));

    QVERIFY(report.gammaFit());
    QVERIFY2(std::abs(*report.gammaFit() - gamma) < 1e-3,
             qPrintable(QString::number(*report.gammaFit())));
    QCOMPARE(report.greys().size(), 21);
    for (const auto &grey : report.greys()) {
        if (grey.level > 0 && grey.level < 1)
            QVERIFY(grey.gamma && std::abs(*grey.gamma - gamma) < 1e-3);
    }
    QVERIFY(report.whiteLuminance());
    QVERIFY(std::abs(*report.whiteLuminance() -
                     display.show(MonitorCalibrationPatch::grey({}, 1)).Y) < 1e-9);
    QCOMPARE(report.isAbsolute(), colorimeter);

    // A perfect display scores 0; a visible fault scores past `error` somewhere.
    const auto check = [](std::optional<double> largest, double error) {
        if (error < 0)
            return !largest.has_value();
        if (!largest)
            return false;
        return error == 0 ? *largest < 1e-3 : *largest > error;
    };
    std::optional<double> largestGrey;
    for (const auto &grey : report.greys()) {
        if (grey.deltaE)
            largestGrey = std::max(largestGrey.value_or(0), *grey.deltaE);
    }
    std::optional<double> largestColour;
    for (const auto &colour : report.colours())
        largestColour = std::max(largestColour.value_or(0), colour.deltaE);
    QVERIFY2(check(largestGrey, greyError), qPrintable(QString::number(largestGrey.value_or(-1))));
    QVERIFY2(check(largestColour, colourError),
             qPrintable(QString::number(largestColour.value_or(-1))));
}

void TestMonitorCalibrationMeasureReport::reportText()
{
    SimulatedDisplay display{2.4, 120};
    const MonitorCalibrationMeasureReport report(
        measure(display, MonitorCalibrationMeterSource::Colorimeter, 4));
    const QStringList summary = report.summary();
    QCOMPARE(summary.size(), 4);
    QCOMPARE(summary.at(0), u"Gamma 2.40 (fit 10%\u201390%)"_s);
    QCOMPARE(summary.at(1), u"White 120.0 cd/m\u00B2"_s);
    QVERIFY(summary.at(2).startsWith(u"\u0394E2000 greys: average "_s));
    QVERIFY2(summary.at(2).endsWith(u" (Grey 50%)"_s), qPrintable(summary.at(2)));
    QVERIFY(summary.at(3).startsWith(u"\u0394E2000 colours: average "_s));
    QCOMPARE(report.gammaByStep(), u"25% 2.40 \u00B7 50% 2.40 \u00B7 75% 2.40"_s);

    // Without white there is nothing to scale by: points only.
    QList<Entry> noWhite = measure(display, MonitorCalibrationMeterSource::Network, 4);
    noWhite.removeIf([](const Entry &entry) { return entry.patch.r == 1; });
    const MonitorCalibrationMeasureReport partial(noWhite);
    QCOMPARE(partial.greyPoints().size(), 4);
    QVERIFY(partial.summary().isEmpty());
    QVERIFY(partial.gammaByStep().isEmpty());
}

// A patch covers its share of the area, centred, on black of the chosen range.
void TestMonitorCalibrationMeasureReport::patchPainting_data()
{
    QTest::addColumn<MonitorCalibrationPatchArea>("area");
    QTest::addColumn<Range>("range");
    QTest::addColumn<int>("black");
    QTest::addColumn<int>("red");
    QTest::newRow("full field") << MonitorCalibrationPatchArea::Full << Range::Full << 0 << 191;
    QTest::newRow("18%, video") << MonitorCalibrationPatchArea::Window18 << Range::Video << 16
                                << 180;
    QTest::newRow("10%") << MonitorCalibrationPatchArea::Window10 << Range::Full << 0 << 191;
}

void TestMonitorCalibrationMeasureReport::patchPainting()
{
    QFETCH(MonitorCalibrationPatchArea, area);
    QFETCH(Range, range);
    QFETCH(int, black);
    QFETCH(int, red);
    QImage image(400, 200, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        MonitorCalibrationPatternPainter::paintPatch(
            painter, image.rect(), MonitorCalibrationPatch::make(u"Red 75%"_s, 0.75, 0, 0),
            MonitorCalibrationMeasureSequence::fraction(area), range);
    }
    qsizetype covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == QColor(red, black, black))
                ++covered;
            else
                QCOMPARE(pixel, QColor(black, black, black));
        }
    }
    const double share = double(covered) / double(image.width() * image.height());
    QVERIFY(std::abs(share - MonitorCalibrationMeasureSequence::fraction(area)) < 0.01);
    QCOMPARE(image.pixelColor(200, 100), QColor(red, black, black));
}

QTEST_MAIN(TestMonitorCalibrationMeasureReport)
#include "tst_MonitorCalibrationMeasureReport.moc"
