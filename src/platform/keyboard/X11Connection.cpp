#include "platform/keyboard/X11Connection.h"

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

std::mutex s_mutex;
std::vector<OwnConnection> s_connections; // guarded by s_mutex
XErrorHandler s_previousHandler = nullptr;
std::once_flag s_installOnce;

int handleError(Display *display, XErrorEvent *event)
{
    {
        const std::lock_guard lock(s_mutex);
        const auto it =
            std::find_if(s_connections.begin(), s_connections.end(),
                         [display](const auto &entry) { return entry.display == display; });
        if (it != s_connections.end()) {
            it->failed = true;
            return 0;
        }
    }
    return s_previousHandler ? s_previousHandler(display, event) : 0;
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
    std::call_once(s_installOnce, [] { s_previousHandler = XSetErrorHandler(handleError); });
    const std::lock_guard lock(s_mutex);
    s_connections.push_back({m_display, false});
}

X11Connection::~X11Connection()
{
    close(QString());
}

void X11Connection::close(const QString &reason)
{
    if (!m_display)
        return;
    // Errors of requests still in flight must arrive while the connection is known as ours.
    XSync(m_display, False);
    {
        const std::lock_guard lock(s_mutex);
        std::erase_if(s_connections,
                      [this](const auto &entry) { return entry.display == m_display; });
    }
    XCloseDisplay(m_display);
    m_display = nullptr;
    m_failureReason = reason;
}

void X11Connection::discardEvents()
{
    if (!m_display)
        return;
    XEvent event;
    while (XPending(m_display) > 0) {
        XNextEvent(m_display, &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
    }
}

bool X11Connection::takeError()
{
    if (!m_display)
        return false;
    XSync(m_display, False);
    const std::lock_guard lock(s_mutex);
    for (OwnConnection &entry : s_connections) {
        if (entry.display == m_display)
            return std::exchange(entry.failed, false);
    }
    return false;
}

} // namespace hb
