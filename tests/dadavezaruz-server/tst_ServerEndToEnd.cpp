#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/keyboard/X11AppActivator.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

#include <functional>

// After every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// Instance name and address of each resolved _huebench._tcp service, by port, as avahi-browse
// (a client we did not write) lists them; asked again for ~10 s until `done` holds.
using Listing = QMap<int, std::pair<QString, QString>>;
Listing browseUntil(const std::function<bool(const Listing &)> &done)
{
    const QDeadlineTimer deadline(10000);
    for (;;) {
        QProcess browser;
        browser.start(u"avahi-browse"_s, {u"-rtp"_s, u"_huebench._tcp"_s});
        browser.waitForFinished(5000);
        Listing seen;
        for (const QByteArray &line : browser.readAllStandardOutput().split('\n')) {
            // +|-|=;iface;proto;name;type;domain[;host;address;port;txt]
            const QList<QByteArray> f = line.split(';');
            const QString name = QString::fromUtf8(f.value(3));
            if (f.value(0) == "-")
                seen.removeIf([&](const auto &entry) { return entry.value().first == name; });
            else if (f.value(0) == "=" && f.size() >= 9)
                seen.insert(f[8].toInt(), {name, QString::fromUtf8(f[7])});
        }
        if (done(seen) || deadline.hasExpired())
            return seen;
        QTest::qWait(200);
    }
}

} // namespace

// The server on the real system: X11 key posting and activation on the display of
// scripts/test-env, DNS-SD through its confined Avahi daemon, a controller over loopback.
class TestServerEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void advertisesItselfOnLoopback();
    void framesReachTheirWindows_data();
    void framesReachTheirWindows();
    void stopWithdrawsTheAdvertisement();

private:
    // Key presses other than modifiers that reached the windows so far, as "window keysym state".
    QStringList takePresses();

    Display *m_display = nullptr;
    QMap<QString, Window> m_windows; // by the name the activator finds them by
    std::unique_ptr<DadavezaRuzServer> m_server;
};

void TestServerEndToEnd::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
        QSKIP("Needs the X display and the confined Avahi daemon of scripts/test-env");
    QVERIFY((m_display = XOpenDisplay(nullptr)));
    const auto makeWindow = [this](const char *instance, const char *windowClass) {
        const Window window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0,
                                                  200, 100, 0, 0, 0);
        XClassHint hint{const_cast<char *>(instance), const_cast<char *>(windowClass)};
        XSetClassHint(m_display, window, &hint);
        XSelectInput(m_display, window, KeyPressMask);
        XMapWindow(m_display, window);
        return window;
    };
    m_windows = {{u"resolve"_s, makeWindow("resolve", "ResolveMain")},
                 {u"obs"_s, makeWindow("obs-main", "obs")},
                 {u"bystander"_s, makeWindow("bystander", "Bystander")}};
    for (const Window window : std::as_const(m_windows)) {
        QVERIFY(QTest::qWaitFor([&] {
            XWindowAttributes attributes{};
            XGetWindowAttributes(m_display, window, &attributes);
            return attributes.map_state == IsViewable;
        }));
    }

    DadavezaRuzServerPlatform platform = systemServerPlatform(CommandKey::Control);
    platform.listenAddress = QHostAddress::LocalHost;
    m_server = std::make_unique<DadavezaRuzServer>(std::move(platform),
                                                   new TrustedControllers({}, {}), quint16(0));
    m_server->start();
    QTRY_VERIFY(m_server->isRunning());
}

void TestServerEndToEnd::cleanupTestCase()
{
    m_server.reset();
    if (m_display)
        XCloseDisplay(m_display);
}

QStringList TestServerEndToEnd::takePresses()
{
    QStringList presses;
    XEvent event;
    for (auto window = m_windows.cbegin(); window != m_windows.cend(); ++window) {
        while (XCheckWindowEvent(m_display, window.value(), KeyPressMask, &event)) {
            const KeySym keysym = XLookupKeysym(&event.xkey, 0);
            const uint state = event.xkey.state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
            if (!IsModifierKey(keysym))
                presses.append(window.key() + u' ' + QString::fromLatin1(XKeysymToString(keysym)) +
                               u' ' + QString::number(state));
        }
    }
    return presses;
}

void TestServerEndToEnd::advertisesItselfOnLoopback()
{
    const int port = m_server->port();
    const Listing seen = browseUntil([&](const Listing &listing) { return listing.contains(port); });
    QVERIFY2(seen.contains(port), "avahi-browse did not resolve the server's service");
    // "Huebench", or the name Avahi chose instead when another service holds it ("Huebench #2").
    QVERIFY2(seen[port].first.startsWith(u"Huebench"_s), qPrintable(seen[port].first));
    QCOMPARE(seen[port].second, u"127.0.0.1"_s);
}

void TestServerEndToEnd::framesReachTheirWindows_data()
{
    QTest::addColumn<QString>("focused"); // before the frame
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("receiver"); // of the key, and of the Escape that follows it
    QTest::addColumn<QString>("keysym");
    QTest::addColumn<uint>("state");

    QTest::newRow("cmd+shift+c activates Resolve")
        << u"obs"_s << R"({"keyCombo":"cmd+shift+c","appTarget":"resolve"})"_ba << u"resolve"_s
        << u"c"_s << uint(ShiftMask | ControlMask);
    QTest::newRow("global leaves the focus where it is")
        << u"bystander"_s << R"({"keyCombo":"k","appTarget":"global"})"_ba << u"bystander"_s
        << u"k"_s << 0u;
    QTest::newRow("unknown key activates OBS and types a")
        << u"bystander"_s << R"({"keyCombo":"f13","appTarget":"OBS"})"_ba << u"obs"_s << u"a"_s
        << 0u;
}

void TestServerEndToEnd::framesReachTheirWindows()
{
    QFETCH(QString, focused);
    QFETCH(QByteArray, frame);
    QFETCH(QString, receiver);
    QFETCH(QString, keysym);
    QFETCH(uint, state);
    QVERIFY(X11AppActivator().activate(focused));
    XSync(m_display, False);
    takePresses(); // from earlier rows

    QTcpSocket controller;
    controller.connectToHost(QHostAddress::LocalHost, m_server->port());
    QVERIFY(controller.waitForConnected(5000));
    // The Escape goes wherever the focus is afterwards: it ends the row.
    controller.write(frame + "\n" R"({"keyCombo":"esc","appTarget":"global"})" "\n");
    const QString escape = receiver + u" Escape 0"_s;
    QStringList presses;
    (void)QTest::qWaitFor([&] { return (presses += takePresses()).contains(escape); }, 5000);
    QCOMPARE(presses, QStringList({receiver + u' ' + keysym + u' ' + QString::number(state), escape}));
}

void TestServerEndToEnd::stopWithdrawsTheAdvertisement()
{
    const int port = m_server->port();
    m_server->stop();
    QVERIFY(!m_server->isRunning());
    QVERIFY(!browseUntil([&](const Listing &listing) { return !listing.contains(port); })
                 .contains(port));
}

QTEST_GUILESS_MAIN(TestServerEndToEnd)
#include "tst_ServerEndToEnd.moc"
