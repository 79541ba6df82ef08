#include "dadavezaruz/KeyCombo.h"
#include "platform/keyboard/X11AppActivator.h"
#include "platform/keyboard/X11KeyEventPoster.h"

#include <QTest>

// After every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include "support/X11TestWindow.h"

using namespace hb;
using namespace Qt::StringLiterals;

// What tst_ServerEndToEnd does not reach through the server: the Super command key, names that
// match nothing, a display that cannot be opened, a key code without a keysym.
// Needs the X display and window manager of scripts/test-env.
class TestX11Keyboard : public QObject {
    Q_OBJECT

    Display *m_display = nullptr;
    Window m_resolve = 0;

    Window focus() const
    {
        Window window = 0;
        int revertTo = 0;
        XGetInputFocus(m_display, &window, &revertTo);
        return window;
    }

    // Posts Escape, then returns the key presses at the resolve window up to it as "keysym state".
    QStringList pressesUpToEscape(X11KeyEventPoster &poster)
    {
        poster.postKeyPress(53, 0);
        QStringList presses;
        XEvent event;
        const auto escaped = [&] {
            while (XCheckWindowEvent(m_display, m_resolve, KeyPressMask, &event))
                presses.append(u"%1 %2"_s.arg(
                    QLatin1StringView(XKeysymToString(XLookupKeysym(&event.xkey, 0))),
                    QString::number(event.xkey.state & (ShiftMask | ControlMask | Mod4Mask))));
            return !presses.isEmpty() && presses.constLast().startsWith(u"Escape "_s);
        };
        (void)QTest::qWaitFor(escaped, 2000);
        return presses;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("Needs the X display of scripts/test-env");
        QVERIFY((m_display = XOpenDisplay(nullptr)));
        m_resolve = makeX11TestWindow(m_display, "resolve", "ResolveMain");
        makeX11TestWindow(m_display, "obs-main", "obs");
        XSync(m_display, False);
        for (const QString &name : {u"resolve"_s, u"obs"_s}) // once the window manager has both
            QTRY_VERIFY((X11AppActivator().activate(name) != AppActivator::Activation::NotRunning));
    }

    void cleanupTestCase()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    void commandAsSuperIsMod4()
    {
        QVERIFY((X11AppActivator().activate(u"resolve"_s) != AppActivator::Activation::NotRunning));
        X11KeyEventPoster poster(QString(), CommandKey::Super);
        QVERIFY2(poster.isAvailable(), qPrintable(poster.unavailableReason()));
        poster.postKeyPress(8, kCommandModifier | kShiftModifier); // c
        QCOMPARE(pressesUpToEscape(poster),
                 QStringList({u"Shift_L 0"_s, u"Super_L %1"_s.arg(ShiftMask),
                              u"c %1"_s.arg(ShiftMask | Mod4Mask), u"Escape 0"_s}));
    }

    void namesThatMatchNothingLeaveTheFocus()
    {
        X11AppActivator activator;
        QVERIFY((activator.activate(u"obs"_s) != AppActivator::Activation::NotRunning));
        const Window before = focus();
        for (const QString &name : {u"res"_s, u".*"_s, QString()}) { // part, pattern, empty
            QVERIFY2((activator.activate(name) == AppActivator::Activation::NotRunning), qPrintable(name));
            QCOMPARE(focus(), before);
        }
    }

    void nothingIsPostedWithoutADisplayOrAKeysym()
    {
        X11KeyEventPoster absent(u":9999"_s);
        QVERIFY2(!absent.isAvailable() && absent.unavailableReason().contains(u":9999"_s),
                 qPrintable(absent.unavailableReason()));
        QVERIFY((X11AppActivator(u":9999"_s).activate(u"resolve"_s) == AppActivator::Activation::NotRunning));

        QVERIFY((X11AppActivator().activate(u"resolve"_s) != AppActivator::Activation::NotRunning));
        absent.postKeyPress(8, kCommandModifier);
        X11KeyEventPoster poster;
        poster.postKeyPress(117, kCommandModifier | kShiftModifier); // no keysym
        QCOMPARE(pressesUpToEscape(poster), QStringList({u"Escape 0"_s}));
    }
};

QTEST_GUILESS_MAIN(TestX11Keyboard)
#include "tst_X11Keyboard.moc"
