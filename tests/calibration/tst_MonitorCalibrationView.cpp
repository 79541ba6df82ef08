#include "calibration/MonitorCalibrationFullScreenWindow.h"
#include "calibration/MonitorCalibrationPatternView.h"
#include "calibration/MonitorCalibrationTrackingChart.h"
#include "calibration/MonitorCalibrationView.h"
#include "calibration/TestMeter.h"
#include "common/Settings.h"
#include "common/ToggleSwitch.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;
using Step = MonitorCalibrationStep;

// The screen with a loopback host and a meter connected to it.
class TestMonitorCalibrationView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        // Each test starts from the default meter and measure patches.
        Settings settings;
        settings.setInteger(SettingsKey::calibrationColorimeter, 0);
        settings.setInteger(SettingsKey::calibrationGreySteps,
                            MonitorCalibrationMeasureSequence::kDefaultGreySteps);
        settings.setInteger(SettingsKey::calibrationPatchArea, 0);
        m_view = std::make_unique<MonitorCalibrationView>(loopbackOptions());
        m_view->resize(1000, 700);
        m_view->show();
        QTRY_COMPARE(m_view->networking().statusText(), u"Listener: ready"_s);
    }

    void cleanup()
    {
        m_meter.reset();
        m_view.reset();
    }

    // One patch per step change, from the buttons or the full-screen display's keys, and none for
    // turning full screen on or off.
    void stepWalkSendsOnePatchPerChange()
    {
        QCOMPARE(connectMeter().size(), 1);
        auto *next = find<QPushButton>(u"nextButton"_s);
        next->click();
        m_view->setFullScreen(true);
        MonitorCalibrationFullScreenWindow *window = m_view->fullScreenWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->step(), Step::Pluge);
        QTest::keyClick(window, Qt::Key_Right);
        QCOMPARE(m_view->step(), Step::Contrast);
        QTest::keyClick(window, Qt::Key_Left);
        QTest::keyClick(window, Qt::Key_Space); // sends the step's patch again
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!m_view->isFullScreen());
        QVERIFY(!window->isVisible());
        m_view->setFullScreen(true);
        QTest::mouseClick(window, Qt::LeftButton);
        QVERIFY(!m_view->isFullScreen());
        QCOMPARE(m_view->step(), Step::Pluge);

        for (int i = 0; i < 5; ++i)
            next->click();
        QCOMPARE(m_view->step(), Step::Uniformity);
        QVERIFY(!next->isEnabled());
        next->click(); // disabled: nothing happens
        find<QPushButton>(u"previousButton"_s)->click();
        QCOMPARE(m_view->step(), Step::Primaries);
        find<QPushButton>(u"sendButton"_s)->click();

        // The PLUGE is judged against black, so its patch is black.
        const QList<std::pair<QString, double>> expected{
            {u"Near Black"_s, 0.02}, {u"Black"_s, 0.0},    {u"Near White"_s, 0.98},
            {u"Black"_s, 0.0},       {u"Black"_s, 0.0},    {u"Near White"_s, 0.98},
            {u"Mid Gray"_s, 0.18},   {u"50% Gray"_s, 0.5}, {u"White"_s, 1.0},
            {u"White"_s, 1.0},       {u"White"_s, 1.0},    {u"White"_s, 1.0}};
        QTRY_COMPARE(m_meter->patches().size(), expected.size());
        const QList<MonitorCalibrationPatch> patches = m_meter->patches();
        QSet<QString> ids;
        for (qsizetype i = 0; i < patches.size(); ++i) {
            QCOMPARE(patches[i].name, expected[i].first);
            QCOMPARE(patches[i].r, expected[i].second);
            QCOMPARE(patches[i].b, expected[i].second);
            ids.insert(patches[i].id);
        }
        QCOMPARE(ids.size(), patches.size());
        QVERIFY(!m_meter->receivedGarbage());
    }

    // Readings are shown always, and logged in measure mode only, against the patch on screen.
    void readingsAreShownAndLogged()
    {
        connectMeter();
        m_meter->send(MonitorCalibrationMeasurementPayload{0.1234, 0.5, 1, 0.00215, 1.0 / 60, 400});
        QTRY_VERIFY(find<QLabel>(u"measurementLine0"_s)->isVisible());
        QCOMPARE(find<QLabel>(u"measurementLine0"_s)->text(), u"Mean RGB: 0.123 0.500 1.000"_s);
        QVERIFY(!find<QLabel>(u"noMeasurement"_s)->isVisible());
        QVERIFY(m_view->log().isEmpty());
        QVERIFY(!find<QPushButton>(u"saveLogButton"_s)->isEnabled());

        find<ToggleSwitch>(u"measureModeSwitch"_s)->click();
        QVERIFY(m_view->isMeasuring());
        QCOMPARE(find<QPushButton>(u"sendButton"_s)->text(), u"Measure"_s);
        m_meter->send(reading(0.1));
        QTRY_COMPARE(m_view->log().size(), 1);
        find<QPushButton>(u"nextButton"_s)->click();
        m_meter->send(reading(0.9));
        QTRY_COMPARE(m_view->log().entries().size(), 2);
        QCOMPARE(m_view->log().entries().at(0).patch.name, u"Grey 0%"_s);
        QCOMPARE(m_view->log().entries().at(1).patch.name, u"Grey 5%"_s);
        // Two patches sent before the meter answers: its first answer is of the earlier patch
        // and is not logged against the one on screen.
        find<QPushButton>(u"nextButton"_s)->click();
        find<QPushButton>(u"nextButton"_s)->click();
        m_meter->send(reading(0.3));
        m_meter->send(reading(0.4));
        QTRY_COMPARE(m_view->log().entries().size(), 3);
        QCOMPARE(m_view->log().entries().at(2).patch.name, u"Grey 15%"_s);
        QCOMPARE(m_view->log().entries().at(2).measurement.meanR, 0.4);
        QTRY_VERIFY(find<QPushButton>(u"saveLogButton"_s)->isEnabled()); // at the next refresh
        // The meter was sent each patch shown, and is back on the step's patch afterwards.
        find<ToggleSwitch>(u"measureModeSwitch"_s)->click();
        QTRY_COMPARE(m_meter->patches().size(), 6);
        QCOMPARE(m_meter->patches().at(1).name, u"Grey 0%"_s);
        QCOMPARE(m_meter->patches().at(2).name, u"Grey 5%"_s);
        QCOMPARE(m_meter->patches().at(5).name, u"Near Black"_s);

        QTemporaryDir folder;
        const QString path = folder.filePath(u"log.csv"_s);
        QVERIFY(m_view->saveLog(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_view->log().toCsv());
        QVERIFY(!m_view->saveLog(folder.filePath(u"missing/log.csv"_s)));
    }

    // Walking the steps at a given width: the counter follows, the buttons do not move however
    // the instruction wraps, and the bar patterns' captions stay clear of the bars.
    void stepCardIsStable_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("wide") << QSize(1000, 700);
        QTest::newRow("cards stacked") << QSize(520, 640);
        QTest::newRow("narrow and low") << QSize(420, 580);
    }

    void stepCardIsStable()
    {
        QFETCH(QSize, size);
        // Twice: the cards stack only once the window is narrow, and only then may it narrow
        // further.
        for (int i = 0; i < 2; ++i) {
            m_view->resize(size);
            settle();
        }
        QCOMPARE(m_view->size(), size);
        auto *next = find<QPushButton>(u"nextButton"_s);
        const QList<QWidget *> buttons{find<QPushButton>(u"previousButton"_s), next,
                                       find<QPushButton>(u"sendButton"_s)};
        const auto places = [&] {
            QList<QRect> rects;
            for (const QWidget *button : buttons)
                rects.append(QRect(button->mapTo(m_view.get(), QPoint()), button->size()));
            return rects;
        };
        const QList<QRect> first = places();
        auto *pattern = find<MonitorCalibrationPatternView>(u"patternView"_s);
        QSet<int> instructionHeights;
        for (qsizetype i = 0; i < qsizetype(kMonitorCalibrationSteps.size()); ++i) {
            QCOMPARE(find<QLabel>(u"stepCounter"_s)->text(), u"Step %1 of 7"_s.arg(i + 1));
            // What the instruction would need on its own at this width.
            const QLabel *instruction = find<QLabel>(u"stepInstruction"_s);
            QLabel alone(instruction->text());
            alone.setFont(instruction->font());
            alone.setWordWrap(true);
            instructionHeights.insert(alone.heightForWidth(instruction->width()));
            QVERIFY(instruction->height() >=
                    *std::max_element(instructionHeights.begin(), instructionHeights.end()));
            QCOMPARE(places(), first);
            const QRectF area = pattern->rect();
            for (const QRectF &bar :
                 MonitorCalibrationPatternPainter::barRects(area, m_view->step()))
                QVERIFY(!bar.intersects(
                    MonitorCalibrationPatternPainter::captionRect(area, m_view->step())));
            next->click();
            settle();
        }
        QCOMPARE(m_view->step(), Step::Uniformity);
        // Otherwise the check above proves nothing.
        QVERIFY(instructionHeights.size() > 1);
    }

    // The switch redraws the patterns in the window and full screen, says so above them, and is
    // remembered for the next time the screen opens.
    void videoLevelsSwitch()
    {
        auto *pattern = find<MonitorCalibrationPatternView>(u"patternView"_s);
        const auto backgroundOf = [](QWidget *widget) {
            return widget->grab().toImage().pixelColor(widget->width() / 2, 30);
        };
        QCOMPARE(m_view->step(), Step::Brightness);
        QCOMPARE(backgroundOf(pattern), QColor(0, 0, 0));
        QCOMPARE(find<QLabel>(u"rangeCaption"_s)->text(), u"Patterns in full range (0\u2013255)"_s);

        find<ToggleSwitch>(u"videoLevelsSwitch"_s)->click();
        QVERIFY(m_view->videoLevels());
        QCOMPARE(backgroundOf(pattern), QColor(16, 16, 16));
        QCOMPARE(find<QLabel>(u"rangeCaption"_s)->text(),
                 u"Patterns in video levels (16\u2013235)"_s);
        m_view->setFullScreen(true);
        QCOMPARE(backgroundOf(m_view->fullScreenWindow()), QColor(16, 16, 16));
        m_view->setFullScreen(false);

        m_view = std::make_unique<MonitorCalibrationView>(loopbackOptions());
        QVERIFY(m_view->videoLevels());
        QVERIFY(find<ToggleSwitch>(u"videoLevelsSwitch"_s)->isChecked());
        find<ToggleSwitch>(u"videoLevelsSwitch"_s)->click();
        QVERIFY(!MonitorCalibrationView(loopbackOptions()).videoLevels());
    }

    // Measure All on a simulated ideal display: a meter that reports, for each patch it is sent,
    // the luminance of that patch through a gamma 2.2 curve. Every patch is read once, in order,
    // and the chart's points lie on the gamma 2.2 reference.
    void measureAllOnAnIdealDisplay()
    {
        find<QSpinBox>(u"greySteps"_s)->setValue(10);
        // Measure mode before the meter connects: nothing is sent, so no answer is awaited.
        find<ToggleSwitch>(u"measureModeSwitch"_s)->click();
        auto *pattern = find<MonitorCalibrationPatternView>(u"patternView"_s);
        QCOMPARE(pattern->measurePatch()->name, u"Grey 0%"_s);
        QCOMPARE(connectMeter().size(), 1); // Measure sends the patch on screen
        m_meter->send(reading(0));          // the meter answers it before the run
        QTRY_COMPARE(m_view->log().size(), 1);
        find<QPushButton>(u"measureAllButton"_s)->click();
        QCOMPARE(find<QPushButton>(u"measureAllButton"_s)->text(), u"Stop"_s);

        qsizetype answered = 1;
        const qsizetype count = m_view->measureRun().sequence().patches().size();
        QCOMPARE(count, 11 + 12);
        QStringList shown;
        while (m_view->measureRun().isRunning()) {
            QVERIFY(QTest::qWaitFor([&] { return m_meter->patches().size() > answered; }));
            const MonitorCalibrationPatch patch = m_meter->patches().at(answered++);
            QCOMPARE(pattern->measurePatch()->name, patch.name);
            shown.append(patch.name);
            const auto linear = [](double level) { return std::pow(level, 2.2); };
            m_meter->send(MonitorCalibrationMeasurementPayload{
                linear(patch.r), linear(patch.g), linear(patch.b), 0.001, 1.0 / 60, 100});
            QVERIFY(QTest::qWaitFor([&] {
                return m_view->log().size() == shown.size() + 1 ||
                       !m_view->measureRun().isRunning();
            }));
        }
        QCOMPARE(find<QPushButton>(u"measureAllButton"_s)->text(), u"Measure All"_s);
        QCOMPARE(m_view->log().size(), count + 1);
        QStringList logged;
        for (const auto &entry : m_view->log().entries().mid(1))
            logged.append(entry.patch.name);
        QCOMPARE(logged, shown);
        QCOMPARE(logged.first(), u"Grey 0%"_s);
        QCOMPARE(logged.last(), u"Yellow 75%"_s);

        auto *chart = find<MonitorCalibrationTrackingChart>(u"trackingChart"_s);
        QTRY_COMPARE(chart->points().size(), 11);
        for (const QPointF &point : chart->points()) {
            const double expected = *MonitorCalibrationTrackingChart::referenceLuminance(
                point.x(), chart->points().last());
            QVERIFY(std::abs(point.y() - expected) < 1e-9);
        }
        QVERIFY(find<QLabel>(u"measureReport"_s)->text().startsWith(u"Gamma 2.20 (fit"_s));
    }

    // The colorimeter takes one reading per Measure, logged with its XYZ; a failure is shown as
    // the meter's status, stops Measure All and logs nothing.
    void colorimeterReadings_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QString>("status");
        QTest::newRow("reading") << QByteArray("reading") << u"Measured Grey 100%"_s;
        QTest::newRow("no instrument")
            << QByteArray("no-instrument") << u"No colorimeter found: connect the instrument"_s;
    }

    void colorimeterReadings()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QString, status);
        qputenv("FAKE_SPOTREAD_MODE", mode);
        MonitorCalibrationMeasureRun &run = m_view->measureRun();
        SpotreadMeter::Settings settings;
        settings.program = QStringLiteral(FAKE_SPOTREAD);
        run.colorimeter().setSettings(settings);
        run.setSettleTime(std::chrono::milliseconds(0));
        auto *source = find<QComboBox>(u"meterSource"_s);
        source->setCurrentIndex(1);
        Q_EMIT source->activated(1);
        QCOMPARE(run.source(), MonitorCalibrationMeterSource::Colorimeter);
        QVERIFY(!find<QLabel>(u"meterStatus"_s)->isVisibleTo(m_view.get()));

        find<ToggleSwitch>(u"measureModeSwitch"_s)->click();
        run.showPatch(run.sequence().greySteps()); // white
        find<QPushButton>(u"sendButton"_s)->click();
        auto *statusLabel = find<QLabel>(u"colorimeterStatus"_s);
        QTRY_VERIFY(statusLabel->text().startsWith(status));
        if (mode == "reading") {
            QCOMPARE(m_view->log().size(), 1);
            const auto entry = m_view->log().entries().constFirst();
            QCOMPARE(entry.source, MonitorCalibrationMeterSource::Colorimeter);
            QCOMPARE(entry.patch.name, u"Grey 100%"_s);
            QCOMPARE(entry.xyz, (CieXyz{95.060479, 100, 108.870624}));
            QTRY_VERIFY(
                find<QLabel>(u"measureReport"_s)->text().contains(u"White 100.0 cd/m\u00B2"_s));
            QCOMPARE(find<QLabel>(u"measurementLine0"_s)->text(), u"XYZ: 95.06 100.00 108.87"_s);
            return;
        }
        find<QPushButton>(u"measureAllButton"_s)->click();
        QTRY_VERIFY(!run.isRunning());
        QVERIFY(statusLabel->text().startsWith(status));
        QVERIFY(m_view->log().isEmpty());
    }

private:
    // Lets pending layout requests run, as the event loop would between two frames.
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCoreApplication::processEvents();
        }
    }

    template <typename T> T *find(const QString &name) const
    {
        return m_view->findChild<T *>(name);
    }

    // Connects a meter and presses "Send to Meter" (or "Measure") once, so the meter knows what
    // is on screen.
    QList<MonitorCalibrationPatch> connectMeter()
    {
        m_meter = std::make_unique<TestMeter>();
        const bool ready =
            m_meter->connectTo(m_view->networking().listeningPort()) && QTest::qWaitFor([this] {
                return m_view->networking().statusText() == u"Connection: ready"_s;
            });
        if (!ready)
            return {};
        find<QPushButton>(u"sendButton"_s)->click();
        return QTest::qWaitFor([this] { return !m_meter->patches().isEmpty(); })
                   ? m_meter->patches()
                   : QList<MonitorCalibrationPatch>{};
    }

    std::unique_ptr<MonitorCalibrationView> m_view;
    std::unique_ptr<TestMeter> m_meter;
};

QTEST_MAIN(TestMonitorCalibrationView)
#include "tst_MonitorCalibrationView.moc"
