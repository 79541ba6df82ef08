#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/keyboard/X11AppActivator.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

// After every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include "support/X11TestWindow.h"

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// The instance name and address that avahi-browse (a client we did not write) resolves for the
// service on `port`; asked again for ~10 s until it is listed or, with `gone`, until it is not.
QStringList browse(int port, bool gone = false)
{
    const QDeadlineTimer deadline(10000);
    for (;;) {
        QProcess browser;
        browser.start(u"avahi-browse"_s, {u"-rtp"_s, u"_huebench._tcp"_s});
        browser.waitForFinished(5000);
        QStringList found;
        for (const QByteArray &line : browser.readAllStandardOutput().split('\n')) {
            // +|-|=;iface;proto;name;type;domain[;host;address;port;txt]
            const QList<QByteArray> f = line.split(';');
            if (f.value(0) == "=" && f.value(8).toInt() == port)
                found = {QString::fromUtf8(f[3]), QString::fromUtf8(f[7])};
            else if (f.value(0) == "-" && found.value(0) == QString::fromUtf8(f.value(3)))
                found.clear(); // withdrawn while the listing was made
        }
        if (found.isEmpty() == gone || deadline.hasExpired())
            return found;
        QTest::qWait(200);
    }
}

} // namespace

// The server on the real system: X11 key posting and activation on the display of
// scripts/test-env, DNS-SD through its confined Avahi daemon, a controller over loopback.
class TestServerEndToEnd : public QObject {
    Q_OBJECT

    Display *m_display = nullptr;
    QMap<QString, Window> m_windows; // by the name the activator finds them by
    std::unique_ptr<DadavezaRuzServer> m_server;

    // Key presses other than modifiers that reached the windows so far, as "window keysym state".
    QStringList takePresses()
    {
        QStringList presses;
        XEvent event;
        for (auto window = m_windows.cbegin(); window != m_windows.cend(); ++window) {
            while (XCheckTypedEvent(m_display, MappingNotify, &event))
                XRefreshKeyboardMapping(&event.xmapping);
            while (XCheckWindowEvent(m_display, window.value(), KeyPressMask, &event)) {
                const KeySym keysym = XLookupKeysym(&event.xkey, 0);
                const uint state =
                    event.xkey.state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
                if (!IsModifierKey(keysym))
                    presses.append(u"%1 %2 %3"_s.arg(window.key(),
                                                     QLatin1StringView(XKeysymToString(keysym)),
                                                     QString::number(state)));
            }
        }
        return presses;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
            QSKIP("Needs the X display and the confined Avahi daemon of scripts/test-env");
        QVERIFY((m_display = XOpenDisplay(nullptr)));
        m_windows = {{u"resolve"_s, makeX11TestWindow(m_display, "resolve", "ResolveMain")},
                     {u"obs"_s, makeX11TestWindow(m_display, "obs-main", "obs")},
                     {u"bystander"_s, makeX11TestWindow(m_display, "bystander", "Bystander")}};
        XSync(m_display, False);
        for (const QString &name : m_windows.keys()) // once the window manager has them all
            QTRY_VERIFY((X11AppActivator().activate(name) != AppActivator::Activation::NotRunning));
        DadavezaRuzServerPlatform platform = systemServerPlatform(CommandKey::Control);
        platform.listenAddress = QHostAddress::LocalHost;
        m_server = std::make_unique<DadavezaRuzServer>(std::move(platform),
                                                       new TrustedControllers({}, {}), quint16(0));
        m_server->start();
        QTRY_VERIFY(m_server->isRunning());
    }

    void cleanupTestCase()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    void advertisesItselfOnLoopback()
    {
        const QStringList seen = browse(m_server->port());
        // "Huebench", or the name Avahi chose instead when another service holds it.
        QVERIFY2(seen.value(0).startsWith(u"Huebench"_s), qPrintable(seen.join(u' ')));
        QCOMPARE(seen.value(1), u"127.0.0.1"_s);
    }

    void framesReachTheirWindows_data()
    {
        QTest::addColumn<QString>("focused"); // before the frame
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("presses"); // the key presses seen, the Escape's last

        QTest::newRow("cmd+shift+c activates Resolve")
            << u"obs"_s << R"({"keyCombo":"cmd+shift+c","appTarget":"resolve"})"_ba
            << QStringList{u"resolve c %1"_s.arg(ShiftMask | ControlMask), u"resolve Escape 0"_s};
        QTest::newRow("global leaves the focus where it is")
            << u"bystander"_s << R"({"keyCombo":"k","appTarget":"global"})"_ba
            << QStringList{u"bystander k 0"_s, u"bystander Escape 0"_s};
        QTest::newRow("an unknown key is not typed and brings nothing forward")
            << u"bystander"_s << R"({"keyCombo":"f13","appTarget":"OBS"})"_ba
            << QStringList{u"bystander Escape 0"_s};
    }

    void framesReachTheirWindows()
    {
        QFETCH(QString, focused);
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, presses);
        QVERIFY((X11AppActivator().activate(focused) != AppActivator::Activation::NotRunning));
        XSync(m_display, False);
        takePresses(); // from earlier rows

        QTcpSocket controller;
        controller.connectToHost(QHostAddress::LocalHost, m_server->port());
        QVERIFY(controller.waitForConnected(5000));
        // The Escape goes wherever the focus is afterwards, so it must land beside the key.
        controller.write(frame + "\n{\"keyCombo\":\"esc\",\"appTarget\":\"global\"}\n");
        QStringList seen;
        (void)QTest::qWaitFor([&] { return (seen += takePresses()).contains(presses.constLast()); },
                              5000);
        QCOMPARE(seen, presses);
    }

    void stopWithdrawsTheAdvertisement()
    {
        m_server->stop();
        QVERIFY(!m_server->isRunning());
        QCOMPARE(browse(m_server->port(), true), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestServerEndToEnd)
#include "tst_ServerEndToEnd.moc"
