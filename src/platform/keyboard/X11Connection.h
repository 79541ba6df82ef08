#pragma once

#include <QString>

struct _XDisplay;

namespace hb {

// One Xlib connection to the X server, owned by one object and closed with it.
//
// Xlib's default error handler prints the error and calls exit(). Windows of other programs can
// vanish at any moment between listing them and reading their properties or focusing them, so a
// BadWindow or BadMatch on such a request is an ordinary outcome, not a bug. Errors on a
// connection of this class are therefore recorded (see takeError) instead of ending the process;
// errors on any other connection still go to the handler installed before ours, which is
// installed once per process and chains to it.
//
// Threads: an Xlib connection belongs to one thread. Create, use and destroy it on the same one.
class X11Connection {
public:
    // `displayName` empty means $DISPLAY.
    explicit X11Connection(const QString &displayName);
    ~X11Connection();

    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    // Null when the connection could not be opened, or was closed by close().
    _XDisplay *display() const { return m_display; }
    // Why display() is null; empty while it is open.
    QString failureReason() const { return m_failureReason; }

    // Closes the connection because it cannot serve its purpose, giving the reason.
    void close(const QString &reason);

    // Reads and drops the events queued up on the connection, so that the queue cannot grow
    // without bound. The connection selects none, but keyboard-map changes reach every client;
    // Xlib's copy of the map is refreshed for them.
    void discardEvents();

    // Waits until the server has answered every request sent so far (XSync), then returns whether
    // any of them failed since the last call, and forgets it.
    bool takeError();

private:
    _XDisplay *m_display = nullptr;
    QString m_failureReason;
};

} // namespace hb
