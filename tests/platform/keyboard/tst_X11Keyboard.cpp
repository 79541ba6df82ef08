#include "dadavezaruz/KeyCodeMap.h"
#include "dadavezaruz/KeyCombo.h"
#include "platform/keyboard/MacKeyCodeToX11.h"
#include "platform/keyboard/X11AppActivator.h"
#include "platform/keyboard/X11KeyEventPoster.h"

#include <QProcess>
#include <QTest>

#include <bit>
#include <map>
#include <memory>

// After every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include "support/X11TestWindow.h"

#include <X11/keysym.h>

using namespace hb;
using namespace Qt::StringLiterals;
using Activation = AppActivator::Activation;

namespace {

constexpr unsigned kModifierBits =
    ShiftMask | LockMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

struct Press {
    KeySym keysym;
    unsigned state;
};

QString keysymName(KeySym keysym)
{
    const char *name = XKeysymToString(keysym);
    return name ? QString::fromLatin1(name) : u"0x%1"_s.arg(keysym, 0, 16);
}

// A private X server on a display of its own, as ":N"; empty when it did not start.
QString startXvfb(QProcess &xvfb)
{
    xvfb.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-nolisten"_s,
                           u"unix-abstract"_s, u"-screen"_s, u"0"_s, u"320x200x24"_s});
    QByteArray number;
    while (!number.contains('\n') && xvfb.waitForReadyRead(10000))
        number += xvfb.readAllStandardOutput();
    return number.contains('\n') ? u':' + QString::fromLatin1(number.trimmed()) : QString();
}

} // namespace

// Key posting and activation on the X display and window manager of scripts/test-env, read back
// by an X client of its own as an application would.
class TestX11Keyboard : public QObject {
    Q_OBJECT

    Display *m_display = nullptr;
    Window m_resolve = 0;
    Window m_resolveChild = 0;
    Window m_obs = 0;
    QString m_layout = u"us"_s;
    std::map<CommandKey, std::unique_ptr<X11KeyEventPoster>> m_posters; // kept across layouts
    QList<Press> m_presses;       // at the resolve window, in order
    int m_mapChanges = 0;         // keyboard-map notifications
    int m_activationRequests = 0; // _NET_ACTIVE_WINDOW messages to the window manager

    bool setLayout(const QString &layout)
    {
        if (QProcess::execute(u"setxkbmap"_s, {layout}) != 0)
            return false;
        m_layout = layout;
        return true;
    }

    Window focus() const
    {
        Window window = 0;
        int revertTo = 0;
        XGetInputFocus(m_display, &window, &revertTo);
        return window;
    }

    // Handles what reached this client so far, as an application does: keysyms are looked up
    // when the event is handled, with the keyboard map as it is then.
    void readEvents()
    {
        XSync(m_display, False);
        const Atom activeWindow = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
        XEvent event;
        while (XPending(m_display) > 0) {
            XNextEvent(m_display, &event);
            if (event.type == MappingNotify) {
                XRefreshKeyboardMapping(&event.xmapping);
                ++m_mapChanges;
            } else if (event.type == KeyPress && event.xkey.window == m_resolve) {
                m_presses.append({XLookupKeysym(&event.xkey, 0), event.xkey.state});
            } else if (event.type == ClientMessage && event.xclient.message_type == activeWindow) {
                ++m_activationRequests;
            }
        }
    }

    void forgetEvents()
    {
        readEvents();
        m_presses.clear();
        m_mapChanges = m_activationRequests = 0;
    }

    // The presses at the resolve window after posting, once there are `count` of them.
    QList<Press> post(KeyEventPoster &poster, quint16 keyCode, quint64 modifiers,
                      qsizetype count = 1)
    {
        forgetEvents();
        poster.postKeyPress(keyCode, modifiers);
        (void)QTest::qWaitFor([&] { return readEvents(), m_presses.size() >= count; }, 5000);
        return m_presses;
    }

    X11KeyEventPoster &poster(CommandKey commandKey)
    {
        auto &poster = m_posters[commandKey];
        if (!poster)
            poster = std::make_unique<X11KeyEventPoster>(QString(), commandKey);
        return *poster;
    }

    QList<KeySym> keyboardMap() const
    {
        int first = 0, last = 0, perKey = 0;
        XDisplayKeycodes(m_display, &first, &last);
        KeySym *symbols = XGetKeyboardMapping(m_display, KeyCode(first), last - first + 1, &perKey);
        QList<KeySym> map(symbols, symbols + (last - first + 1) * perKey);
        XFree(symbols);
        return map;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("Needs the X display of scripts/test-env");
        QVERIFY((m_display = XOpenDisplay(nullptr)));
        m_resolve = makeX11TestWindow(m_display, "resolve", "ResolveMain");
        m_resolveChild = XCreateSimpleWindow(m_display, m_resolve, 10, 10, 20, 20, 0, 0, 0);
        XMapWindow(m_display, m_resolveChild);
        m_obs = makeX11TestWindow(m_display, "obs-main", "obs");
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
        for (const QString &name : {u"resolve"_s, u"obs"_s}) // once the window manager has both
            QTRY_VERIFY((X11AppActivator().activate(name) != Activation::NotRunning));
    }

    void cleanupTestCase()
    {
        m_posters.clear(); // undoes their bindings
        if (m_layout != u"us"_s)
            QVERIFY(setLayout(u"us"_s));
        if (m_display)
            XCloseDisplay(m_display);
    }

    void keysArriveAsNamedOnEveryLayout_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint16>("keyCode");
        QTest::addColumn<quint64>("modifiers");
        QTest::addColumn<CommandKey>("commandKey");
        QTest::addColumn<uint>("state");

        // None of these is a key binding of the window manager (Alt+Tab, Super+F1, ...).
        const struct {
            const char *name;
            quint64 modifiers;
            CommandKey commandKey;
            uint state;
        } modifierSets[] = {
            {"", 0, CommandKey::Control, 0},
            {"cmd+shift+", kCommandModifier | kShiftModifier, CommandKey::Control,
             ControlMask | ShiftMask},
            {"cmd+ctrl+alt+shift+", kAllModifiers, CommandKey::Control,
             ControlMask | Mod1Mask | ShiftMask},
            {"cmd-as-super+alt+", kCommandModifier | kOptionModifier, CommandKey::Super,
             Mod4Mask | Mod1Mask},
        };
        auto names = keyCodeMap().keys();
        names.sort();
        for (const QString &layout : {u"us"_s, u"de"_s, u"fr"_s}) {
            for (const QString &name : std::as_const(names)) {
                for (const auto &set : modifierSets)
                    QTest::addRow("%s %s%s", qPrintable(layout), set.name, qPrintable(name))
                        << layout << keyCodeMap().value(name) << set.modifiers << set.commandKey
                        << set.state;
            }
        }
    }

    // The unshifted symbol of the press is the named one, and its state holds exactly the named
    // modifiers: no Shift or AltGr added to reach a symbol the layout has on another level. The
    // posters live on from layout to layout, as the server's do while the user switches.
    void keysArriveAsNamedOnEveryLayout()
    {
        QFETCH(QString, layout);
        QFETCH(quint16, keyCode);
        QFETCH(quint64, modifiers);
        QFETCH(CommandKey, commandKey);
        QFETCH(uint, state);
        if (m_layout != layout)
            QVERIFY(setLayout(layout));
        QVERIFY((X11AppActivator().activate(u"resolve"_s) != Activation::NotRunning));

        const qsizetype count = std::popcount(state) + 1; // each modifier, then the key
        const QList<Press> presses = post(poster(commandKey), keyCode, modifiers, count);
        QCOMPARE(presses.size(), count);
        QCOMPARE(keysymName(presses.last().keysym), keysymName(keysymForMacKeyCode(keyCode)));
        QCOMPARE(presses.last().state & kModifierBits, state);
    }

    void bindingsLastUntilThePosterGoes_data()
    {
        QTest::addColumn<std::size_t>("maxBoundKeys");
        QTest::newRow("spares enough") << X11KeyEventPoster::kDefaultMaxBoundKeys;
        QTest::newRow("one spare, rebound") << std::size_t(1);
    }

    // A French layout has its digits on the shifted level, so each needs a binding.
    void bindingsLastUntilThePosterGoes()
    {
        QFETCH(std::size_t, maxBoundKeys);
        if (m_layout != u"fr"_s)
            QVERIFY(setLayout(u"fr"_s));
        QVERIFY((X11AppActivator().activate(u"resolve"_s) != Activation::NotRunning));
        m_posters.clear();
        const QList<KeySym> before = keyboardMap();
        {
            X11KeyEventPoster poster(QString(), CommandKey::Control, maxBoundKeys);
            for (const quint16 digit : {quint16(18), quint16(19), quint16(18)}) { // 1 2 1
                const QList<Press> presses = post(poster, digit, 0);
                QCOMPARE(presses.size(), 1);
                QCOMPARE(keysymName(presses[0].keysym), keysymName(keysymForMacKeyCode(digit)));
            }
            QCOMPARE(post(poster, 18, 0).size(), 1);
            QCOMPARE(m_mapChanges, 0); // the binding of the last press was used again
            QVERIFY(keyboardMap() != before);
        }
        XSync(m_display, False);
        QCOMPARE(keyboardMap(), before);
    }

    void activation_data()
    {
        QTest::addColumn<QString>("focused"); // where the focus is first
        QTest::addColumn<int>("expected");

        QTest::newRow("resolve in front") << u"resolve"_s << int(Activation::AlreadyActive);
        QTest::newRow("inside resolve") << u"resolve child"_s << int(Activation::AlreadyActive);
        QTest::newRow("obs in front") << u"obs"_s << int(Activation::Activated);
    }

    // Only an activation that changed something tells the server to give the application time.
    void activation()
    {
        QFETCH(QString, focused);
        QFETCH(int, expected);
        // Also waits for the window manager to catch up with the keyboard-map changes before.
        QTRY_VERIFY(
            (X11AppActivator().activate(focused.section(u' ', 0, 0)) != Activation::NotRunning));
        if (focused.endsWith(u" child"_s)) {
            XSetInputFocus(m_display, m_resolveChild, RevertToParent, CurrentTime);
            QTRY_COMPARE(focus(), m_resolveChild);
        }
        const Window before = focus();
        forgetEvents();

        X11AppActivator activator;
        QCOMPARE(int(activator.activate(u"Resolve"_s)), expected);
        readEvents();
        if (expected == int(Activation::AlreadyActive)) {
            QCOMPARE(m_activationRequests, 0);
            QCOMPARE(focus(), before);
        } else {
            QCOMPARE(m_activationRequests, 1);
            QCOMPARE(focus(), m_resolve);
        }
    }

    void namesThatMatchNothingLeaveTheFocus()
    {
        X11AppActivator activator;
        QVERIFY((activator.activate(u"obs"_s) != Activation::NotRunning));
        const Window before = focus();
        for (const QString &name : {u"res"_s, u".*"_s, QString()}) { // part, pattern, empty
            QVERIFY2((activator.activate(name) == Activation::NotRunning), qPrintable(name));
            QCOMPARE(focus(), before);
        }
    }

    void nothingIsPostedWithoutADisplayOrAKeysym()
    {
        X11KeyEventPoster absent(u":9999"_s);
        QVERIFY2(!absent.isAvailable() && absent.unavailableReason().contains(u":9999"_s),
                 qPrintable(absent.unavailableReason()));
        QVERIFY((X11AppActivator(u":9999"_s).activate(u"resolve"_s) == Activation::NotRunning));

        QVERIFY((X11AppActivator().activate(u"resolve"_s) != Activation::NotRunning));
        absent.postKeyPress(8, kCommandModifier);
        X11KeyEventPoster poster;
        poster.postKeyPress(117, kCommandModifier | kShiftModifier); // no keysym
        const QList<Press> presses = post(poster, 53, 0);            // Escape
        QCOMPARE(presses.size(), 1);
        QCOMPARE(presses[0].keysym, KeySym(XK_Escape));
    }

    void losingTheDisplayEndsNothing_data()
    {
        QTest::addColumn<bool>("posting");
        QTest::newRow("while idle") << false;
        QTest::newRow("while posting") << true;
    }

    // The X server ends under a poster and an activator: Xlib's default would end this process.
    void losingTheDisplayEndsNothing()
    {
        QFETCH(bool, posting);
        QProcess xvfb;
        const QString display = startXvfb(xvfb);
        QVERIFY2(!display.isEmpty(), xvfb.readAllStandardError().constData());
        X11KeyEventPoster poster(display);
        X11AppActivator activator(display);
        QVERIFY2(poster.isAvailable(), qPrintable(poster.unavailableReason()));
        QStringList reasons;
        poster.setLostHandler([&reasons](const QString &reason) { reasons.append(reason); });

        xvfb.terminate();
        QVERIFY(xvfb.waitForFinished(10000));
        if (posting)
            poster.postKeyPress(8, kCommandModifier);
        QTRY_COMPARE(reasons.size(), 1);
        QVERIFY2(reasons[0].contains(display), qPrintable(reasons[0]));
        QVERIFY(!poster.isAvailable());
        QCOMPARE(poster.unavailableReason(), reasons[0]);

        QVERIFY((activator.activate(u"resolve"_s) == Activation::NotRunning));
        QVERIFY(!activator.isAvailable());
        poster.postKeyPress(8, kCommandModifier);
        QCoreApplication::processEvents();
        QCOMPARE(reasons.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestX11Keyboard)
#include "tst_X11Keyboard.moc"
