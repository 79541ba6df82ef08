#include "games/X11VisibilityWatcher.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <memory>

namespace hb {
namespace {

#if QT_CONFIG(xcb)
// Qt's own connection to the X server, or nullptr on another platform.
xcb_connection_t *xcbConnection()
{
    auto *app = qGuiApp;
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Adds visibility changes to what this client selects on the window, keeping the rest of Qt's
// selection (which may already hold them). False if the window is gone.
bool selectVisibilityChanges(xcb_connection_t *connection, xcb_window_t window)
{
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(connection, window);
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, cookie, nullptr), &std::free);
    if (!attributes)
        return false;
    if ((attributes->your_event_mask & XCB_EVENT_MASK_VISIBILITY_CHANGE) != 0)
        return true;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    // Checked and discarded: a window destroyed meanwhile is not worth an error in the log.
    const xcb_void_cookie_t change =
        xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_discard_reply(connection, change.sequence);
    xcb_flush(connection);
    return true;
}
#endif

} // namespace

X11VisibilityWatcher::X11VisibilityWatcher(QObject *parent) : QObject(parent) {}

X11VisibilityWatcher::~X11VisibilityWatcher()
{
    if (m_window)
        m_window->removeEventFilter(this);
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11VisibilityWatcher::watch(QWindow *window)
{
    if (window == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    detach();
    m_window = window;
    if (!window)
        return;
    window->installEventFilter(this);
    attach();
}

QWindow *X11VisibilityWatcher::window() const
{
    return m_window;
}

bool X11VisibilityWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::PlatformSurface) {
        // The window replaces its native window: the new one selects nothing of ours yet.
        switch (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()) {
        case QPlatformSurfaceEvent::SurfaceCreated:
            attach();
            break;
        case QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed:
            detach();
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void X11VisibilityWatcher::attach()
{
#if QT_CONFIG(xcb)
    // winId() would make a native window for a window that has none yet.
    if (!m_window || !m_window->handle())
        return;
    xcb_connection_t *connection = xcbConnection();
    if (!connection)
        return;
    const auto nativeWindow = static_cast<xcb_window_t>(m_window->winId());
    if (nativeWindow == m_nativeWindow)
        return;
    detach();
    if (!m_filtering) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
    // The server reports the visibility when the window is next mapped or its state changes.
    if (selectVisibilityChanges(connection, nativeWindow))
        m_nativeWindow = nativeWindow;
#endif
}

void X11VisibilityWatcher::detach()
{
    m_nativeWindow = 0;
    setVisibility(Visibility::unknown);
}

bool X11VisibilityWatcher::nativeEventFilter(const QByteArray &eventType, void *message,
                                             qintptr *result)
{
    Q_UNUSED(result)
#if QT_CONFIG(xcb)
    if (m_nativeWindow == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_VISIBILITY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_visibility_notify_event_t *>(message);
    if (notify->window != m_nativeWindow)
        return false;
    switch (notify->state) {
    case XCB_VISIBILITY_UNOBSCURED:
        setVisibility(Visibility::unobscured);
        break;
    case XCB_VISIBILITY_PARTIALLY_OBSCURED:
        setVisibility(Visibility::partiallyObscured);
        break;
    case XCB_VISIBILITY_FULLY_OBSCURED:
        setVisibility(Visibility::fullyObscured);
        break;
    default:
        break;
    }
#else
    Q_UNUSED(eventType)
    Q_UNUSED(message)
#endif
    // Qt and other filters see the event too.
    return false;
}

void X11VisibilityWatcher::setVisibility(Visibility visibility)
{
    if (visibility == m_visibility)
        return;
    m_visibility = visibility;
    Q_EMIT visibilityChanged(visibility);
}

} // namespace hb
