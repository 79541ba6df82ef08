#include "games/BouncingMonitorsGameView.h"

#include "common/Settings.h"

#include "BouncingMonitorsTestRandom.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cmath>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

// The screen with a random source that always gives the low end of a range: every monitor is
// red and sits at (40, 40) of the scene and the Target is red, so a click there always matches
// (10 points at the starting difficulty). A stopped clock keeps the monitors where they are.
class TestBouncingMonitorsGameView : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    QString settingsFile() const { return m_folder.filePath(u"settings.ini"_s); }

    std::unique_ptr<BouncingMonitorsGameView> showView()
    {
        BouncingMonitorsGameView::Options options;
        options.random = ScriptedRandom().source();
        options.clock = [] { return 0.0; };
        options.settingsFile = settingsFile();
        auto view = std::make_unique<BouncingMonitorsGameView>(std::move(options));
        view->resize(900, 700);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("the screen did not show");
        return view;
    }

    static void clickMonitors(BouncingMonitorsGameView &view)
    {
        auto *field = view.findChild<QWidget *>(u"playField"_s);
        // Far enough apart for the scene to take each click.
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(40, field->height() - 40), 200);
    }

    enum class Concealment { screenHidden, windowMinimised, windowUnmapped };

    // Takes the window from the screen the way the window system does behind the application's
    // back, as a compositor or a window manager may: the widgets still count as shown.
    static void mapWindow(QWidget &window, bool mapped)
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY(x11);
        const auto id = static_cast<xcb_window_t>(window.winId());
        if (mapped)
            xcb_map_window(x11->connection(), id);
        else
            xcb_unmap_window(x11->connection(), id);
        xcb_flush(x11->connection());
    }

    static void conceal(Concealment how, QWidget &window, BouncingMonitorsGameView &view,
                        bool concealed)
    {
        switch (how) {
        case Concealment::screenHidden:
            view.setVisible(!concealed);
            break;
        case Concealment::windowMinimised:
            if (concealed)
                window.showMinimized();
            else
                window.showNormal();
            break;
        case Concealment::windowUnmapped:
            mapWindow(window, !concealed);
            break;
        }
    }

    static QList<QPointF> positions(const BouncingMonitorsGameView &view)
    {
        QList<QPointF> result;
        for (const BouncingMonitorsNode &monitor : view.scene().monitorNodes())
            result.append(monitor.position);
        return result;
    }

private Q_SLOTS:
    void pausesWhileItCannotBeSeen_data()
    {
        QTest::addColumn<Concealment>("how");
        QTest::newRow("screen hidden") << Concealment::screenHidden;
        QTest::newRow("window minimised") << Concealment::windowMinimised;
        QTest::newRow("window not exposed") << Concealment::windowUnmapped;
    }

    // The frames stop while the field cannot be seen and start again when it can; the first
    // frame after that plays only the time since then, not the time away.
    void pausesWhileItCannotBeSeen()
    {
        QFETCH(Concealment, how);

        auto now = std::make_shared<double>(0);
        BouncingMonitorsGameView::Options options;
        options.random = [random = std::make_shared<QRandomGenerator>(5U)](double low,
                                                                           double high) {
            return low + (high - low) * random->generateDouble();
        };
        options.clock = [now] { return *now; };
        options.settingsFile = settingsFile();
        // In a window of its own, as in the application.
        QWidget window;
        auto *view = new BouncingMonitorsGameView(std::move(options));
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        window.resize(900, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(view->isRunning());

        conceal(how, window, *view, true);
        QTRY_VERIFY(!view->isRunning());
        const QList<QPointF> still = positions(*view);
        *now = 60;
        QTest::qWait(100);
        QCOMPARE(positions(*view), still);

        conceal(how, window, *view, false);
        QTRY_VERIFY(view->isRunning());
        const QList<QPointF> back = positions(*view);
        // Back from a minimised or covered window, the round goes on as it was; a screen that
        // appears again starts a new round.
        if (how != Concealment::screenHidden)
            QCOMPARE(back, still);
        *now += 0.05; // the display's next frames come 0.05 s after the return
        QTest::qWait(150);
        const QList<QPointF> moved = positions(*view);
        double farthest = 0;
        for (qsizetype i = 0; i < moved.size(); ++i)
            farthest = std::max(farthest,
                                std::hypot(moved[i].x() - back[i].x(), moved[i].y() - back[i].y()));
        // The fastest monitor covers at most 0.05 s × 280 points per second (14 points).
        QVERIFY2(farthest > 0 && farthest < 16, qPrintable(QString::number(farthest)));
    }

    void bestScoreOutlivesTheScreen()
    {
        {
            auto view = showView();
            QTRY_COMPARE(view->targetHue(), 0.0);
            clickMonitors(*view);
            clickMonitors(*view);
            QTRY_COMPARE(view->score(), qint64(20));
            view->findChild<QPushButton *>(u"restartButton"_s)->click();
            QTRY_COMPARE(view->score(), qint64(0));
            QCOMPARE(view->bestScore(), qint64(20));
        }
        QCOMPARE(Settings(settingsFile()).integer(SettingsKey::gamesBouncingMonitorsBestScore),
                 qint64(20));
        auto view = showView();
        QCOMPARE(view->findChild<QLabel *>(u"bestScoreLabel"_s)->text(), u"Best: 20"_s);
        clickMonitors(*view);
        QTRY_COMPARE(view->score(), qint64(10));
        QCOMPARE(view->bestScore(), qint64(20));
    }
};

QTEST_MAIN(TestBouncingMonitorsGameView)
#include "tst_BouncingMonitorsGameView.moc"
