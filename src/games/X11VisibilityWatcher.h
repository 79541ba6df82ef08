#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

class QWindow;

namespace hb {

// Tells whether other windows cover a top-level window, as the X server reports it. Without a
// compositor Qt goes on reporting a window as exposed while another window covers all of it, so
// a screen that stops its animation when it cannot be seen asks this as well.
//
// On the xcb platform the watcher adds visibility changes to the events the window's native
// window selects (keeping Qt's own selection) and reads the server's reports from Qt's event
// stream. It follows the window through every native window it is given: a window can destroy
// its native window and create a new one while it lives. This is best effort: a compositing
// window manager draws every window off screen, and the server then reports none of them as
// obscured. On other platforms (offscreen, Wayland) the visibility stays unknown.
class X11VisibilityWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    enum class Visibility {
        unknown, // not watched, or no report yet
        unobscured,
        partiallyObscured,
        fullyObscured,
    };
    Q_ENUM(Visibility)

    explicit X11VisibilityWatcher(QObject *parent = nullptr);
    ~X11VisibilityWatcher() override;
    X11VisibilityWatcher(const X11VisibilityWatcher &) = delete;
    X11VisibilityWatcher &operator=(const X11VisibilityWatcher &) = delete;

    // Follows this window from now on; nullptr follows none.
    void watch(QWindow *window);
    QWindow *window() const;

    Visibility visibility() const { return m_visibility; }
    bool isFullyObscured() const { return m_visibility == Visibility::fullyObscured; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void visibilityChanged(hb::X11VisibilityWatcher::Visibility visibility);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Asks for visibility reports on the window's current native window, if it has one.
    void attach();
    void detach();
    void setVisibility(Visibility visibility);

    QPointer<QWindow> m_window;
    // The native window visibility is reported for (an xcb_window_t); 0: none.
    quint32 m_nativeWindow = 0;
    Visibility m_visibility = Visibility::unknown;
    bool m_filtering = false;
};

} // namespace hb
