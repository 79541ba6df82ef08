#pragma once

#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/X11Connection.h"

#include <QString>

#include <chrono>

namespace hb {

// Brings an application's window to the front on an X display and gives it the keyboard focus.
//
// The window is the first top-level client window whose WM_CLASS instance or class part equals
// the given class as a whole, ignoring case: "resolve" matches a window of class "Resolve";
// "res" or "o.s" match nothing (the class is never read as a pattern). Clients are read from the
// window manager's _NET_CLIENT_LIST when it keeps one, otherwise from the viewable windows of the
// window tree.
// With an EWMH window manager the window is activated through _NET_ACTIVE_WINDOW (the window
// manager also restores it when minimised and, as a rule, switches to its desktop); without one,
// it is raised and given the input focus directly.
//
// activate() first looks at the client window that holds the keyboard focus (the focus window, or
// the window it lies inside that carries a WM_CLASS): when that one has the class, it returns
// AlreadyActive at once, having asked nothing of the window manager and changed nothing (two round
// trips in the usual case, so that a press to the application in front stays quick). Otherwise it
// activates the first matching client and returns Activated once that window (or one inside it)
// holds the keyboard focus, so that keys posted next reach it; it gives up after focusTimeout and
// then returns NotRunning, as it does when no window matches.
//
// A display that cannot be opened makes every call return NotRunning. So does one that goes away:
// the loss never ends the process (see X11Connection), nothing more is sent on the connection,
// and isAvailable() turns false.
//
// Threads: an Xlib connection belongs to one thread. Create, use and destroy an activator on the
// same worker thread (the server's queue thread); do not share it.
class X11AppActivator final : public AppActivator {
public:
    static constexpr std::chrono::milliseconds kDefaultFocusTimeout{500};

    // `displayName` empty means $DISPLAY.
    explicit X11AppActivator(const QString &displayName = QString(),
                             std::chrono::milliseconds focusTimeout = kDefaultFocusTimeout);
    ~X11AppActivator() override;

    X11AppActivator(const X11AppActivator &) = delete;
    X11AppActivator &operator=(const X11AppActivator &) = delete;

    bool isAvailable() const;
    QString unavailableReason() const;

    Activation activate(const QString &windowClass) override;

private:
    bool focusedClientMatches(const QString &windowClass);

    X11Connection m_connection;
    std::chrono::milliseconds m_focusTimeout;
};

} // namespace hb
