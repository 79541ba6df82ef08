#include "dadavezaruz-server/KeyCombo.h"
#include "platform/keyboard/X11AppActivator.h"
#include "platform/keyboard/X11KeyEventPoster.h"

#include <QTest>

// After every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <thread>

using namespace hb;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(hb::CommandKey)

namespace {

constexpr quint16 kEscape = 53; // posted after each press: the last events must be its own

template <typename Condition> bool waitFor(Condition condition) // up to 2 s
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

} // namespace

// Needs an X server with XTEST and, for the EWMH path, a window manager: scripts/test-env.
class TestX11Keyboard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void activatesAndTheKeysArrive_data();
    void activatesAndTheKeysArrive();
    void unmatchedClassChangesNothing_data();
    void unmatchedClassChangesNothing();
    void missingDisplayIsReported();

private:
    Window makeWindow(const char *instance, const char *windowClass);
    bool hasFocus(Window window);

    Display *m_display = nullptr;
    // "resolve" matches the first by its instance part only, "obs" the second by its class part.
    Window m_resolve = 0, m_obs = 0;
};

#define REQUIRE_DISPLAY()                                                                          \
    if (!m_display)                                                                                \
        QSKIP("No X display (DISPLAY unset or unreachable); run under scripts/test-env");

Window TestX11Keyboard::makeWindow(const char *instance, const char *windowClass)
{
    const Window window =
        XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 200, 100, 0, 0, 0);
    XClassHint hint{const_cast<char *>(instance), const_cast<char *>(windowClass)};
    XSetClassHint(m_display, window, &hint);
    XSelectInput(m_display, window, KeyPressMask | KeyReleaseMask);
    XMapWindow(m_display, window);
    return window;
}

bool TestX11Keyboard::hasFocus(Window window)
{
    Window focus = 0, root = 0, parent = 0, *children = nullptr;
    int revertTo = 0;
    unsigned int count = 0;
    XGetInputFocus(m_display, &focus, &revertTo);
    while (focus != window && focus > PointerRoot &&
           XQueryTree(m_display, focus, &root, &parent, &children, &count)) {
        XFree(children);
        focus = parent == root ? None : parent;
    }
    return focus == window;
}

void TestX11Keyboard::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !(m_display = XOpenDisplay(nullptr)))
        return;
    m_resolve = makeWindow("resolve", "ResolveMain");
    m_obs = makeWindow("obs-main", "obs");
    for (const Window window : {m_resolve, m_obs}) {
        QVERIFY(waitFor([&] {
            XWindowAttributes attributes{};
            XGetWindowAttributes(m_display, window, &attributes);
            return attributes.map_state == IsViewable;
        }));
    }
}

void TestX11Keyboard::cleanupTestCase()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void TestX11Keyboard::activatesAndTheKeysArrive_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<CommandKey>("commandKey");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<quint64>("modifiers");
    QTest::addColumn<QString>("events"); // at the target, before the Escape that follows
    QTest::addColumn<uint>("state");     // of the first key press that is not a modifier

    const auto control = CommandKey::Control;
    const quint64 cmdShift = kCommandModifier | kShiftModifier;
    QTest::newRow("cmd+shift+c") << u"resolve"_s << control << 8 << cmdShift
                                 << u"+Shift_L +Control_L +c -c -Control_L -Shift_L"_s
                                 << uint(ShiftMask | ControlMask);
    QTest::newRow("ctrl+alt+], upper-case target")
        << u"OBS"_s << control << 30 << (kControlModifier | kOptionModifier)
        << u"+Control_L +Alt_L +bracketright -bracketright -Alt_L -Control_L"_s
        << uint(ControlMask | Mod1Mask);
    QTest::newRow("command as Super")
        << u"Resolve"_s << CommandKey::Super << 8 << cmdShift
        << u"+Shift_L +Super_L +c -c -Super_L -Shift_L"_s << uint(ShiftMask | Mod4Mask);
    QTest::newRow("unknown code posts nothing")
        << u"resolve"_s << control << 117 << cmdShift << QString() << 0u;
}

void TestX11Keyboard::activatesAndTheKeysArrive()
{
    REQUIRE_DISPLAY();
    QFETCH(QString, target);
    QFETCH(CommandKey, commandKey);
    QFETCH(int, keyCode);
    QFETCH(quint64, modifiers);
    QFETCH(QString, events);
    QFETCH(uint, state);
    const bool toResolve = target.compare(u"resolve"_s, Qt::CaseInsensitive) == 0;
    const Window window = toResolve ? m_resolve : m_obs;

    X11AppActivator activator; // from the other window, so that the activation changes something
    QVERIFY(activator.activate(toResolve ? u"obs"_s : u"resolve"_s));
    QVERIFY(activator.activate(target));
    QVERIFY(hasFocus(window));

    X11KeyEventPoster poster(QString(), commandKey);
    QVERIFY2(poster.isAvailable(), qPrintable(poster.unavailableReason()));
    poster.postKeyPress(quint16(keyCode), modifiers);
    poster.postKeyPress(kEscape, 0);

    QStringList received;
    uint firstKeyState = ~0u;
    XEvent event;
    waitFor([&] {
        while (XCheckWindowEvent(m_display, window, KeyPressMask | KeyReleaseMask, &event)) {
            const KeySym keysym = XLookupKeysym(&event.xkey, 0);
            if (event.type == KeyPress && !IsModifierKey(keysym) && firstKeyState == ~0u)
                firstKeyState = event.xkey.state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
            received.append((event.type == KeyPress ? u'+' : u'-') +
                            QString::fromLatin1(XKeysymToString(keysym)));
        }
        return received.endsWith(u"-Escape"_s);
    });
    QCOMPARE(received.join(u' '), QString(events + u" +Escape -Escape"_s).trimmed());
    QCOMPARE(firstKeyState, state);
}

void TestX11Keyboard::unmatchedClassChangesNothing_data()
{
    QTest::addColumn<QString>("windowClass");
    QTest::newRow("not running") << u"missing"_s;
    QTest::newRow("prefix of an instance") << u"res"_s;
    QTest::newRow("pattern") << u"o.s"_s;
    QTest::newRow("match-anything pattern") << u".*"_s;
    QTest::newRow("empty") << QString();
}

void TestX11Keyboard::unmatchedClassChangesNothing()
{
    REQUIRE_DISPLAY();
    QFETCH(QString, windowClass);
    X11AppActivator activator;
    QVERIFY(activator.activate(u"obs"_s));
    QVERIFY(!activator.activate(windowClass));
    QVERIFY(hasFocus(m_obs));
}

void TestX11Keyboard::missingDisplayIsReported()
{
    X11KeyEventPoster poster(u":9999"_s);
    QVERIFY(!poster.isAvailable());
    QVERIFY(poster.unavailableReason().contains(u":9999"_s));
    poster.postKeyPress(8, kCommandModifier); // does nothing, safely
    X11AppActivator activator(u":9999"_s);
    QVERIFY(!activator.isAvailable());
    QVERIFY(!activator.activate(u"resolve"_s));
}

QTEST_APPLESS_MAIN(TestX11Keyboard)
#include "tst_X11Keyboard.moc"
