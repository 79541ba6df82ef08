#include "calibration/MonitorCalibrationFullScreenWindow.h"
#include "calibration/MonitorCalibrationView.h"
#include "calibration/TestMeter.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
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
        QCOMPARE(window->step(), Step::Contrast);
        QTest::keyClick(window, Qt::Key_Right);
        QCOMPARE(m_view->step(), Step::Gamma);
        QTest::keyClick(window, Qt::Key_Left);
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!m_view->isFullScreen());
        QVERIFY(!window->isVisible());
        m_view->setFullScreen(true);
        QTest::mouseClick(window, Qt::LeftButton);
        QVERIFY(!m_view->isFullScreen());
        QCOMPARE(m_view->step(), Step::Contrast);

        for (int i = 0; i < 4; ++i)
            next->click();
        QCOMPARE(m_view->step(), Step::Uniformity);
        QVERIFY(!next->isEnabled());
        next->click(); // disabled: nothing happens
        find<QPushButton>(u"previousButton"_s)->click();
        QCOMPARE(m_view->step(), Step::Primaries);
        find<QPushButton>(u"sendButton"_s)->click();

        const QList<std::pair<QString, double>> expected{
            {u"Near Black"_s, 0.02}, {u"Near White"_s, 0.98}, {u"Mid Gray"_s, 0.18},
            {u"Near White"_s, 0.98}, {u"Mid Gray"_s, 0.18},   {u"50% Gray"_s, 0.5},
            {u"White"_s, 1.0},       {u"White"_s, 1.0},       {u"White"_s, 1.0},
            {u"White"_s, 1.0}};
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

    void readingsAreShownAndLogged()
    {
        connectMeter();
        m_meter->send(MonitorCalibrationMeasurementPayload{0.1234, 0.5, 1, 0.00215, 1.0 / 60, 400});
        QTRY_VERIFY(find<QLabel>(u"measurementLine0"_s)->isVisible());
        QCOMPARE(find<QLabel>(u"measurementLine0"_s)->text(), u"Mean RGB: 0.123 0.500 1.000"_s);
        QVERIFY(!find<QLabel>(u"noMeasurement"_s)->isVisible());

        find<QPushButton>(u"nextButton"_s)->click();
        m_meter->send(reading(0.9));
        QTRY_COMPARE(m_view->log().entries().size(), 2);
        QCOMPARE(m_view->log().entries().at(0).patch.name, u"Near Black"_s);
        QCOMPARE(m_view->log().entries().at(1).patch.name, u"Near White"_s);
        QVERIFY(find<QPushButton>(u"saveLogButton"_s)->isEnabled());

        QTemporaryDir folder;
        const QString path = folder.filePath(u"log.csv"_s);
        QVERIFY(m_view->saveLog(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_view->log().toCsv());
        QVERIFY(!m_view->saveLog(folder.filePath(u"missing/log.csv"_s)));
    }

private:
    template <typename T> T *find(const QString &name) const
    {
        return m_view->findChild<T *>(name);
    }

    // Connects a meter and presses "Send to Meter" once, so the meter knows the step on screen.
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
