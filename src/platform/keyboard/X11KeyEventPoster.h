#pragma once

#include "platform/keyboard/KeyEventPoster.h"
#include "platform/keyboard/X11Connection.h"

#include <QString>

namespace hb {

// The X key that stands for the Mac's command modifier. The Linux builds of the target
// applications use Control where the Mac uses Command, so Control is the default.
enum class CommandKey { Control, Super };

// Posts key presses through the XTEST extension on its own connection to the X server. They reach
// whichever window has the keyboard focus, as if typed on a US layout.
//
// Modifiers are pressed in the order shift (Shift_L), control (Control_L), option (Alt_L),
// command (Control_L or Super_L), then the key goes down and up, then the modifiers are released
// in reverse order. A key pressed for two modifiers (command as Control together with control) is
// pressed once. Nothing at all is posted for a key code without a keysym (see
// keysymForMacKeyCode), or when the current keyboard map lacks the key's keysym or one of the
// modifier keys asked for: a press without one of its modifiers would be another shortcut.
//
// Threads: an Xlib connection belongs to one thread. Create, use and destroy a poster on the same
// worker thread (the server's queue thread); do not share it.
class X11KeyEventPoster final : public KeyEventPoster {
public:
    // `displayName` empty means $DISPLAY.
    explicit X11KeyEventPoster(const QString &displayName = QString(),
                               CommandKey commandKey = CommandKey::Control);
    ~X11KeyEventPoster() override;

    X11KeyEventPoster(const X11KeyEventPoster &) = delete;
    X11KeyEventPoster &operator=(const X11KeyEventPoster &) = delete;

    bool isAvailable() const override;
    QString unavailableReason() const override;
    void postKeyPress(quint16 keyCode, quint64 modifiers) override;

private:
    X11Connection m_connection;
    CommandKey m_commandKey;
};

} // namespace hb
