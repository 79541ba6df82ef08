#include "platform/keyboard/X11KeyEventPoster.h"

#include "platform/keyboard/MacKeyCodeToX11.h"

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

X11KeyEventPoster::X11KeyEventPoster(const QString &displayName, CommandKey commandKey)
    : m_connection(displayName), m_commandKey(commandKey)
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

void X11KeyEventPoster::postKeyPress(quint16 keyCode, quint64 modifiers)
{
    Display *display = m_connection.display();
    if (!display)
        return;
    m_connection.discardEvents();
    const KeySym keysym = keysymForMacKeyCode(keyCode);
    const KeyCode key = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    if (key == 0)
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
        const KeyCode modifierKey = XKeysymToKeycode(display, modifierKeysym);
        // Without one of its modifiers the press would be another shortcut (or plain typing).
        if (modifierKey == 0)
            return;
        const auto end = held.begin() + static_cast<std::ptrdiff_t>(heldCount);
        if (std::find(held.begin(), end, modifierKey) == end)
            held[heldCount++] = modifierKey;
    }

    for (std::size_t i = 0; i < heldCount; ++i)
        XTestFakeKeyEvent(display, held[i], True, CurrentTime);
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    while (heldCount > 0)
        XTestFakeKeyEvent(display, held[--heldCount], False, CurrentTime);
    XSync(display, False); // delivered before the next step of the caller
}

} // namespace hb
