#include "platform/keyboard/X11AppActivator.h"

// Xlib after every Qt header: it defines Bool, Status, None, ... as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

namespace hb {

namespace {

// Longest window list read from a property (in 32-bit items); a client list is far shorter.
constexpr long kMaxListLength = 16384;
// How deep below a top-level frame to look for the client window it holds.
constexpr int kMaxFrameDepth = 4;
constexpr std::chrono::milliseconds kFocusPollInterval{5};

Atom atom(Display *display, const char *name)
{
    return XInternAtom(display, name, False);
}

// The items of a list property of `type` (WINDOW or ATOM lists), empty when there is none.
std::vector<unsigned long> listProperty(Display *display, Window window, Atom property, Atom type)
{
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, property, 0, kMaxListLength, False, type, &actualType,
                           &actualFormat, &count, &remaining, &data) == Success &&
        data && actualType == type && actualFormat == 32) {
        // Xlib hands format-32 items over as longs.
        const auto *values = reinterpret_cast<const unsigned long *>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

// A window manager that follows EWMH is running (not merely left its properties on the root
// window when it ended) and handles _NET_ACTIVE_WINDOW.
bool hasEwmhManager(Display *display, Window root)
{
    const Atom check = atom(display, "_NET_SUPPORTING_WM_CHECK");
    const auto checkWindow = listProperty(display, root, check, XA_WINDOW);
    if (checkWindow.size() != 1 ||
        listProperty(display, checkWindow[0], check, XA_WINDOW) != checkWindow)
        return false;
    const auto supported = listProperty(display, root, atom(display, "_NET_SUPPORTED"), XA_ATOM);
    return std::ranges::find(supported, atom(display, "_NET_ACTIVE_WINDOW")) != supported.end();
}

// Asks the window manager to activate `window`: switch to its desktop, restore it when minimised,
// raise it and focus it. The request is sent as a pager would (source indication 2), because it
// stands for the user's own choice; an application's request (1) may be refused by focus-stealing
// prevention.
void requestActivation(Display *display, Window root, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(display, "_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;           // source indication: pager
    event.xclient.data.l[1] = CurrentTime; // no user-action timestamp at hand
    event.xclient.data.l[2] = 0;           // the requester has no active window of its own
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool hasProperty(Display *display, Window window, Atom property)
{
    int count = 0;
    Atom *properties = XListProperties(display, window, &count);
    const bool found =
        properties && std::find(properties, properties + count, property) != properties + count;
    if (properties)
        XFree(properties);
    return found;
}

// Whether the WM_CLASS instance or class part of `window` is `windowClass`; nothing when the
// window has no WM_CLASS.
std::optional<bool> classMatches(Display *display, Window window, const QString &windowClass)
{
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint))
        return std::nullopt;
    const auto equal = [&windowClass](const char *part) {
        return part && QString::fromLatin1(part).compare(windowClass, Qt::CaseInsensitive) == 0;
    };
    const bool matches = equal(hint.res_name) || equal(hint.res_class);
    if (hint.res_name)
        XFree(hint.res_name);
    if (hint.res_class)
        XFree(hint.res_class);
    return matches;
}

std::vector<Window> children(Display *display, Window window)
{
    Window root = 0, parent = 0;
    Window *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &list, &count) && list)
        result.assign(list, list + count);
    if (list)
        XFree(list);
    return result;
}

// The client window inside a window manager's frame: the one that carries WM_STATE.
Window clientInside(Display *display, Window frame, Atom wmState, int depth)
{
    if (hasProperty(display, frame, wmState))
        return frame;
    if (depth == 0)
        return 0;
    for (const Window child : children(display, frame)) {
        if (const Window client = clientInside(display, child, wmState, depth - 1))
            return client;
    }
    return 0;
}

// Top-level client windows when no window manager lists them: the viewable, ordinary children of
// the root window, or the clients inside them when a window manager framed them.
std::vector<Window> treeClients(Display *display, Window root)
{
    const Atom wmClass = XA_WM_CLASS;
    const Atom wmState = atom(display, "WM_STATE");
    std::vector<Window> clients;
    for (const Window top : children(display, root)) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, top, &attributes) ||
            attributes.map_state != IsViewable || attributes.override_redirect)
            continue;
        const Window client = hasProperty(display, top, wmClass)
                                  ? top
                                  : clientInside(display, top, wmState, kMaxFrameDepth);
        if (client)
            clients.push_back(client);
    }
    return clients;
}

Window parentOf(Display *display, Window window)
{
    Window root = 0, parent = 0;
    Window *list = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &list, &count))
        parent = 0;
    if (list)
        XFree(list);
    return parent == root ? 0 : parent;
}

Window focusWindow(Display *display)
{
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    return focus == PointerRoot ? 0 : focus;
}

// The keyboard focus is on `window` or a window inside it, so typed keys reach it.
bool holdsFocus(Display *display, Window window)
{
    for (Window current = focusWindow(display); current; current = parentOf(display, current)) {
        if (current == window)
            return true;
    }
    return false;
}

} // namespace

X11AppActivator::X11AppActivator(const QString &displayName, std::chrono::milliseconds focusTimeout)
    : m_connection(displayName), m_focusTimeout(focusTimeout)
{
}

X11AppActivator::~X11AppActivator() = default;

bool X11AppActivator::isAvailable() const
{
    return m_connection.display() != nullptr;
}

QString X11AppActivator::unavailableReason() const
{
    return m_connection.failureReason();
}

// The client window that holds the keyboard focus is the first window with a WM_CLASS on the way
// up from the focus window: usually the focus window itself, so this takes two round trips.
bool X11AppActivator::focusedClientMatches(const QString &windowClass)
{
    Display *display = m_connection.display();
    Window current = focusWindow(display);
    for (int depth = 0; current && depth <= kMaxFrameDepth && !m_connection.isLost(); ++depth) {
        if (const std::optional<bool> matches = classMatches(display, current, windowClass))
            return *matches && !m_connection.isLost();
        current = parentOf(display, current);
    }
    return false;
}

AppActivator::Activation X11AppActivator::activate(const QString &windowClass)
{
    Display *display = m_connection.display();
    // An empty class would match every window that leaves a part of WM_CLASS empty.
    if (!display || windowClass.isEmpty())
        return Activation::NotRunning;
    // After each step that waits for the server: a connection found lost takes no more requests.
    const auto lost = [this] { return m_connection.isLost(); };
    m_connection.discardEvents();
    if (lost())
        return Activation::NotRunning;
    if (focusedClientMatches(windowClass))
        return Activation::AlreadyActive;

    const Window root = DefaultRootWindow(display);
    const bool ewmh = !lost() && hasEwmhManager(display, root);
    if (lost())
        return Activation::NotRunning;
    const std::vector<Window> clients =
        ewmh ? listProperty(display, root, atom(display, "_NET_CLIENT_LIST"), XA_WINDOW)
             : treeClients(display, root);
    const auto found = std::ranges::find_if(clients, [&](Window client) {
        return lost() || classMatches(display, client, windowClass) == true;
    });
    m_connection.takeError(); // windows that vanished while being read were simply skipped
    if (lost() || found == clients.end())
        return Activation::NotRunning;
    const Window window = *found;

    if (ewmh) {
        requestActivation(display, root, window);
    } else {
        XRaiseWindow(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
    if (m_connection.takeError() || lost()) // gone meanwhile, or not viewable
        return Activation::NotRunning;

    const auto deadline = std::chrono::steady_clock::now() + m_focusTimeout;
    while (!holdsFocus(display, window)) {
        if (lost() || std::chrono::steady_clock::now() >= deadline)
            return Activation::NotRunning;
        std::this_thread::sleep_for(kFocusPollInterval);
    }
    return lost() ? Activation::NotRunning : Activation::Activated;
}

} // namespace hb
