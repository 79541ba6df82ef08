#include "platform/keyboard/X11Connection.h"

#include <QStringBuilder>

// Xlib after every Qt header: it defines Bool, Status, None, ... as macros.
#include <X11/Xlib.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

struct OwnConnection {
    Display *display;
    bool failed;
};

// All guarded by s_mutex. Xlib calls the handlers without holding a lock of its own, so taking
// s_mutex in them cannot deadlock; no Xlib request is made while it is held.
std::mutex s_mutex;
std::vector<OwnConnection> s_connections;
XErrorHandler s_previousHandler = nullptr;
XIOErrorHandler s_previousIOHandler = nullptr;

OwnConnection *findOwn(Display *display)
{
    const auto it = std::ranges::find(s_connections, display, &OwnConnection::display);
    return it == s_connections.end() ? nullptr : &*it;
}

int handleError(Display *display, XErrorEvent *event)
{
    XErrorHandler previous = nullptr;
    {
        const std::lock_guard lock(s_mutex);
        if (OwnConnection *own = findOwn(display)) {
            own->failed = true;
            return 0;
        }
        previous = s_previousHandler;
    }
    return previous ? previous(display, event) : 0;
}

// Xlib calls this first when a connection breaks, then the connection's exit handler. The
// default one ends the process, so for our connections it must return.
int handleIOError(Display *display)
{
    XIOErrorHandler previous = nullptr;
    {
        const std::lock_guard lock(s_mutex);
        if (findOwn(display))
            return 0;
        previous = s_previousIOHandler;
    }
    return previous ? previous(display) : 0;
}

// Puts our handlers in front of whatever was installed since the last connection was opened.
void installHandlers()
{
    const XErrorHandler previous = XSetErrorHandler(handleError);
    if (previous != handleError)
        s_previousHandler = previous;
    const XIOErrorHandler previousIO = XSetIOErrorHandler(handleIOError);
    if (previousIO != handleIOError)
        s_previousIOHandler = previousIO;
}

} // namespace

X11Connection::X11Connection(const QString &displayName)
{
    const QByteArray name = displayName.toLocal8Bit();
    m_display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    if (!m_display) {
        const QString shown = displayName.isEmpty() ? qEnvironmentVariable("DISPLAY") : displayName;
        m_failureReason = shown.isEmpty() ? u"no X display could be opened: DISPLAY is not set"_s
                                          : u"no X display could be opened at \"" % shown % u'"';
        return;
    }
    m_displayName = QString::fromLocal8Bit(DisplayString(m_display));
    XSetIOErrorExitHandler(m_display, &X11Connection::markLost, this);
    const std::lock_guard lock(s_mutex);
    installHandlers();
    s_connections.push_back({m_display, false});
}

X11Connection::~X11Connection()
{
    close(QString());
}

void X11Connection::markLost(Display *display, void *connection)
{
    auto *self = static_cast<X11Connection *>(connection);
    if (self->m_display != display || self->m_lost)
        return;
    self->m_lost = true;
    self->m_failureReason = u"the X display " % self->m_displayName % u" went away";
}

int X11Connection::socket() const
{
    return display() ? ConnectionNumber(m_display) : -1;
}

void X11Connection::close(const QString &reason)
{
    if (!m_display)
        return;
    // Errors of requests still in flight must arrive while the connection is known as ours.
    if (!m_lost)
        XSync(m_display, False);
    {
        const std::lock_guard lock(s_mutex);
        std::erase_if(s_connections,
                      [this](const auto &entry) { return entry.display == m_display; });
    }
    // On a lost connection Xlib sends nothing more: closing only frees what the client holds.
    XCloseDisplay(m_display);
    m_display = nullptr;
    if (!m_lost)
        m_failureReason = reason;
}

void X11Connection::discardEvents(const std::function<void(const XEvent &)> &onEvent)
{
    XEvent event;
    while (display() && XPending(m_display) > 0) {
        XNextEvent(m_display, &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
        if (onEvent)
            onEvent(event);
    }
}

bool X11Connection::takeError()
{
    if (!display())
        return false;
    XSync(m_display, False);
    const std::lock_guard lock(s_mutex);
    OwnConnection *own = findOwn(m_display);
    return own && std::exchange(own->failed, false);
}

} // namespace hb
