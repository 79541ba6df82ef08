#pragma once

#include <QString>

#include <functional>

// Xlib's own types, declared so that this header needs no Xlib include.
struct _XDisplay; // NOLINT(bugprone-reserved-identifier): Xlib's name
union _XEvent;    // NOLINT(bugprone-reserved-identifier): Xlib's name

namespace hb {

// One Xlib connection to the X server, owned by one object and closed with it.
//
// Request errors. Xlib's default error handler prints the error and calls exit(). Windows of other
// programs can vanish at any moment between listing them and reading their properties or focusing
// them, so a BadWindow or BadMatch on such a request is an ordinary outcome, not a bug. Errors on
// a connection of this class are therefore recorded (see takeError) instead of ending the process;
// errors on any other connection still go to the handler that was installed before ours.
//
// Losing the server. When the X server goes away (it ended, or the connection broke), Xlib's
// default handling ends the process as well. On a connection of this class the loss is recorded
// instead: isLost() turns true, display() turns null (so that callers make no further request on
// the dead connection, on which Xlib misbehaves) and failureReason() says which display went away.
// Nothing tells the owner by itself: it checks isLost() after the Xlib calls it makes, or watches
// socket() from an event loop and calls discardEvents() when it turns readable. The handlers are
// process-wide in Xlib; each new connection puts ours in front again, so a handler that another
// library (Qt's xcb platform) installed after an earlier connection still serves its own
// connections but cannot end the process for ours.
//
// Threads: an Xlib connection belongs to one thread. Create, use and destroy it on the same one.
class X11Connection {
public:
    // `displayName` empty means $DISPLAY.
    explicit X11Connection(const QString &displayName);
    ~X11Connection();

    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    // Null when the connection could not be opened, was closed by close(), or was lost.
    _XDisplay *display() const { return m_lost ? nullptr : m_display; }
    // Why display() is null; empty while it is usable.
    QString failureReason() const { return m_failureReason; }
    // The X server went away after the connection was opened.
    bool isLost() const { return m_lost; }
    // The connection's socket, to watch for input; -1 when display() is null.
    int socket() const;

    // Closes the connection because it cannot serve its purpose, giving the reason.
    void close(const QString &reason);

    // Reads and drops the events queued up on the connection, so that the queue cannot grow
    // without bound; each is shown to `onEvent` first, when given. Keyboard-map changes reach
    // every client, and Xlib's copy of the map is refreshed for them. Reading is also what notices
    // a server that went away.
    void discardEvents(const std::function<void(const _XEvent &)> &onEvent = {});

    // Waits until the server has answered every request sent so far (XSync), then returns whether
    // any of them failed since the last call, and forgets it. False on a lost connection.
    bool takeError();

private:
    static void markLost(_XDisplay *display, void *connection);

    _XDisplay *m_display = nullptr;
    QString m_displayName; // as Xlib shows it, ":0"
    QString m_failureReason;
    bool m_lost = false;
};

} // namespace hb
