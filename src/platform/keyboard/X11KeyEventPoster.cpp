#include "platform/keyboard/X11KeyEventPoster.h"

#include "platform/keyboard/MacKeyCodeToX11.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

// Xlib after every Qt header: it defines Bool, Status, None, ... as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <utility>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// Modifier flags of a key press, as the key-combination parser sets them (Mac event-flag masks).
constexpr quint64 kShiftFlag = 0x20000;
constexpr quint64 kControlFlag = 0x40000;
constexpr quint64 kOptionFlag = 0x80000;
constexpr quint64 kCommandFlag = 0x100000;

constexpr std::size_t kMaxModifiers = 4;

} // namespace

X11KeyEventPoster::X11KeyEventPoster(const QString &displayName, CommandKey commandKey,
                                     std::size_t maxBoundKeys)
    : m_connection(displayName), m_keyboard(m_connection, maxBoundKeys), m_commandKey(commandKey)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (m_connection.display() &&
        !XTestQueryExtension(m_connection.display(), &eventBase, &errorBase, &major, &minor))
        m_connection.close(u"the X server has no XTEST extension"_s);
}

X11KeyEventPoster::~X11KeyEventPoster() = default;

bool X11KeyEventPoster::isAvailable() const
{
    return m_connection.display() != nullptr;
}

QString X11KeyEventPoster::unavailableReason() const
{
    return m_connection.failureReason();
}

void X11KeyEventPoster::setLostHandler(LostHandler handler)
{
    m_lostHandler = std::move(handler);
    watchConnection();
    reportLoss();
}

void X11KeyEventPoster::watchConnection()
{
    if (m_watch || !m_connection.display() || !QAbstractEventDispatcher::instance())
        return;
    m_watch =
        std::make_unique<QSocketNotifier>(qintptr(m_connection.socket()), QSocketNotifier::Read);
    QObject::connect(m_watch.get(), &QSocketNotifier::activated, m_watch.get(),
                     [this] { readEvents(); });
}

void X11KeyEventPoster::readEvents()
{
    m_keyboard.readEvents(); // notes map changes, and a server that went away
    reportLoss();
}

void X11KeyEventPoster::reportLoss()
{
    if (!m_connection.isLost())
        return;
    if (m_watch)
        m_watch->setEnabled(false); // the socket stays readable at its end
    if (m_lossReported || !m_lostHandler)
        return;
    m_lossReported = true;
    if (!m_watch) {
        m_lostHandler(m_connection.failureReason());
        return;
    }
    // Through the event loop, so that the handler may destroy the poster; dropped with it.
    QMetaObject::invokeMethod(
        m_watch.get(),
        [handler = m_lostHandler, reason = m_connection.failureReason()] { handler(reason); },
        Qt::QueuedConnection);
}

void X11KeyEventPoster::postKeyPress(quint16 keyCode, quint64 modifiers)
{
    watchConnection();
    sendKeyPress(keyCode, modifiers);
    reportLoss();
}

void X11KeyEventPoster::sendKeyPress(quint16 keyCode, quint64 modifiers)
{
    const KeySym keysym = keysymForMacKeyCode(keyCode);
    if (keysym == NoSymbol || !m_keyboard.update())
        return;

    const KeySym commandKeysym = m_commandKey == CommandKey::Super ? XK_Super_L : XK_Control_L;
    const std::array<std::pair<quint64, KeySym>, kMaxModifiers> modifierKeys{{
        {kShiftFlag, XK_Shift_L},
        {kControlFlag, XK_Control_L},
        {kOptionFlag, XK_Alt_L},
        {kCommandFlag, commandKeysym},
    }};
    std::array<KeyCode, kMaxModifiers> held{};
    std::size_t heldCount = 0;
    for (const auto &[flag, modifierKeysym] : modifierKeys) {
        if (!(modifiers & flag))
            continue;
        const KeyCode modifierKey =
            m_keyboard.keycodeFor(modifierKeysym, X11KeyboardMap::Binding::Never);
        // Without one of its modifiers the press would be another shortcut (or plain typing).
        if (modifierKey == 0)
            return;
        const auto end = held.begin() + static_cast<std::ptrdiff_t>(heldCount);
        if (std::find(held.begin(), end, modifierKey) == end)
            held[heldCount++] = modifierKey;
    }
    const KeyCode key = m_keyboard.keycodeFor(keysym, X11KeyboardMap::Binding::Allowed);
    Display *display = m_connection.display();
    if (key == 0 || !display)
        return;

    for (std::size_t i = 0; i < heldCount; ++i)
        XTestFakeKeyEvent(display, held[i], True, CurrentTime);
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    while (heldCount > 0)
        XTestFakeKeyEvent(display, held[--heldCount], False, CurrentTime);
    // Delivered before the next step of the caller. A binding the server refused (another client
    // changed the map meanwhile) is found out by reading the map again.
    if (m_connection.takeError())
        m_keyboard.markStale();
}

} // namespace hb
