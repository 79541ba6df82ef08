#include "games/BouncingMonitorsGameView.h"

#include "common/Settings.h"

#include "BouncingMonitorsTestRandom.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

// The screen with a random source that always gives the low end of a range: every monitor is
// red and sits at (40, 40) of the scene and the Target is red, so a click there always matches
// (10 points at the starting difficulty). A stopped clock keeps the monitors where they are.
class TestBouncingMonitorsGameView : public QObject {
    Q_OBJECT

    // A top-level window that can be given a new native window while it is shown.
    class RecreatableWindow : public QWidget {
    public:
        using QWidget::create;
        using QWidget::destroy;
    };

    QTemporaryDir m_folder;
    // A window put over the game's window, as another application's window would be.
    std::unique_ptr<QWidget> m_cover;

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

    enum class Concealment {
        screenHidden,
        windowMinimised,
        windowUnmapped,
        coveredByWindow,
        coveredByUnmanagedWindow,
    };

    static xcb_connection_t *xcbConnection()
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }

    // Where the window's own area is on the screen, as the X server has it now: the window
    // manager places it and its frame behind the application's back.
    static QRect placeOnScreen(QWidget &window)
    {
        xcb_connection_t *connection = xcbConnection();
        const auto id = static_cast<xcb_window_t>(window.winId());
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
            xcb_translate_coordinates_reply(
                connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr),
            &std::free);
        if (!origin)
            return {};
        const qreal ratio = window.devicePixelRatioF();
        return {QPoint(origin->dst_x, origin->dst_y) / ratio, window.size()};
    }

    static quint32 eventMask(QWidget &window)
    {
        xcb_connection_t *connection = xcbConnection();
        const auto id = static_cast<xcb_window_t>(window.winId());
        const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id),
                                            nullptr),
            &std::free);
        return attributes ? attributes->your_event_mask : 0;
    }

    // A plain window of the application, or one that the window manager leaves alone and that
    // lies above every managed window (override-redirect), at exactly the given place.
    void showCover(bool managed, const QRect &place = {})
    {
        m_cover = std::make_unique<QWidget>(nullptr, managed ? Qt::Window
                                                             : Qt::Window |
                                                                   Qt::X11BypassWindowManagerHint |
                                                                   Qt::FramelessWindowHint);
        m_cover->setAutoFillBackground(true);
        QPalette palette = m_cover->palette();
        palette.setColor(QPalette::Window, Qt::darkCyan);
        m_cover->setPalette(palette);
        if (managed) {
            m_cover->showFullScreen();
        } else {
            m_cover->setGeometry(place);
            m_cover->show();
        }
        QVERIFY(QTest::qWaitForWindowExposed(m_cover.get()));
    }

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

    void conceal(Concealment how, QWidget &window, BouncingMonitorsGameView &view, bool concealed)
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
        case Concealment::coveredByWindow:
            // Full screen: above the game's window, wherever the window manager puts either.
            if (concealed)
                showCover(true);
            else
                m_cover->hide();
            break;
        case Concealment::coveredByUnmanagedWindow: {
            const QRect place = placeOnScreen(window);
            if (concealed)
                showCover(false, place.adjusted(-8, -8, 8, 8));
            else // moved aside, still shown, just off the window's right edge
                m_cover->move(place.right() + 1, place.top());
            break;
        }
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
        QTest::newRow("window covered by another") << Concealment::coveredByWindow;
        QTest::newRow("window covered by an unmanaged one")
            << Concealment::coveredByUnmanagedWindow;
    }

    void cleanup() { m_cover.reset(); }

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

    void coverDecidesWhetherItRuns_data()
    {
        // The cover's place in the coordinates of the game's 900 × 700 window.
        QTest::addColumn<QRect>("cover");
        QTest::addColumn<X11VisibilityWatcher::Visibility>("visibility");
        QTest::addColumn<bool>("running");
        QTest::newRow("left half") << QRect(-20, -20, 470, 740)
                                   << X11VisibilityWatcher::Visibility::partiallyObscured << true;
        QTest::newRow("all but the bottom row")
            << QRect(-20, -20, 940, 719) << X11VisibilityWatcher::Visibility::partiallyObscured
            << true;
        QTest::newRow("all but the right column")
            << QRect(-20, -20, 919, 740) << X11VisibilityWatcher::Visibility::partiallyObscured
            << true;
        QTest::newRow("exactly all")
            << QRect(0, 0, 900, 700) << X11VisibilityWatcher::Visibility::fullyObscured << false;
        QTest::newRow("beside it")
            << QRect(900, 0, 300, 700) << X11VisibilityWatcher::Visibility::unobscured << true;
    }

    // A window that leaves any part of the game's window to be seen keeps the game running;
    // taking the cover away reports the window as unobscured again.
    void coverDecidesWhetherItRuns()
    {
        QFETCH(QRect, cover);
        QFETCH(X11VisibilityWatcher::Visibility, visibility);
        QFETCH(bool, running);

        auto view = showView();
        QTRY_COMPARE(view->windowVisibility().visibility(),
                     X11VisibilityWatcher::Visibility::unobscured);
        QTRY_COMPARE(placeOnScreen(*view).size(), QSize(900, 700));
        const QRect place = placeOnScreen(*view);
        showCover(false, cover.translated(place.topLeft()));
        if (visibility == X11VisibilityWatcher::Visibility::unobscured)
            QTest::qWait(200); // nothing to report: give a wrong report the time to come
        QTRY_COMPARE(view->windowVisibility().visibility(), visibility);
        QCOMPARE(view->isRunning(), running);

        m_cover->hide();
        QTRY_COMPARE(view->windowVisibility().visibility(),
                     X11VisibilityWatcher::Visibility::unobscured);
        QVERIFY(view->isRunning());
    }

    // Qt selects the events it needs on its native window; watching the visibility adds to that
    // selection rather than replacing it.
    void keepsTheWindowsEventSelection()
    {
        QWidget window;
        auto *view = new BouncingMonitorsGameView;
        (new QVBoxLayout(&window))->addWidget(view);
        window.resize(400, 300);
        const quint32 before = eventMask(window);
        QVERIFY(before & XCB_EVENT_MASK_EXPOSURE);
        QVERIFY(before & XCB_EVENT_MASK_BUTTON_PRESS);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const quint32 after = eventMask(window);
        QCOMPARE(after & before, before);
        QVERIFY(after & XCB_EVENT_MASK_VISIBILITY_CHANGE);
    }

    void followsANewNativeWindow_data()
    {
        QTest::addColumn<bool>("newHandle");
        QTest::newRow("the widget makes a new window") << true;
        QTest::newRow("its window makes a new native window") << false;
    }

    // The window may destroy its native window and make a new one while the game is shown: the
    // game still learns when the new one is covered.
    void followsANewNativeWindow()
    {
        QFETCH(bool, newHandle);

        RecreatableWindow window;
        auto *view = new BouncingMonitorsGameView;
        (new QVBoxLayout(&window))->addWidget(view);
        window.resize(900, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(view->isRunning());
        const WId first = window.winId();
        if (newHandle) {
            window.destroy();
            window.create();
        } else {
            QWindow *handle = window.windowHandle();
            handle->destroy();
            handle->create();
            handle->setVisible(true);
            QCOMPARE(window.windowHandle(), handle);
        }
        QVERIFY(window.winId() != first);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(view->isRunning());
        QTRY_COMPARE(view->windowVisibility().visibility(),
                     X11VisibilityWatcher::Visibility::unobscured);

        showCover(false, window.screen()->geometry());
        QTRY_VERIFY(!view->isRunning());
        m_cover->hide();
        QTRY_VERIFY(view->isRunning());
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
