#pragma once

#include "platform/keyboard/KeyEventPoster.h"
#include "platform/keyboard/X11Connection.h"
#include "platform/keyboard/X11KeyboardMap.h"

#include <QString>

#include <cstddef>
#include <memory>

class QSocketNotifier;

namespace hb {

// The X key that stands for the Mac's command modifier. The Linux builds of the target
// applications use Control where the Mac uses Command, so Control is the default.
enum class CommandKey { Control, Super };

// Posts key presses through the XTEST extension on its own connection to the X server. They reach
// whichever window has the keyboard focus.
//
// Whatever the keyboard layout, the press arrives as exactly the key asked for: its unshifted
// symbol is the keysym of keyCodeMap()'s name (see keysymForMacKeyCode), and the modifiers held
// are exactly those asked for. The key used is one whose first level carries that keysym in the
// current layout group; a layout without one (a German layout has '/' only on Shift+7) gets a
// spare keycode bound to the keysym for as long as the poster lives (see X11KeyboardMap: at most
// maxBoundKeys at a time, all undone when the poster is destroyed).
//
// Modifiers are pressed in the order shift (Shift_L), control (Control_L), option (Alt_L),
// command (Control_L or Super_L), then the key goes down and up, then the modifiers are released
// in reverse order. A key pressed for two modifiers (command as Control together with control) is
// pressed once. Nothing at all is posted for a key code without a keysym, when the current layout
// lacks one of the modifier keys asked for (a press without one of its modifiers would be another
// shortcut), or when no keycode can be bound.
//
// Losing the display: the poster watches its connection from the event loop of its thread (from
// the first setLostHandler() or postKeyPress() on a thread that has one), so that a server that
// goes away while nothing is posted is noticed at once; a loss met inside postKeyPress() counts
// the same. From then on isAvailable() is false, unavailableReason() says which display went
// away, nothing is sent any more, and the LostHandler is told once. It is called from the event
// loop of the poster's thread, never from inside a call of the poster, so it may destroy the
// poster; a poster destroyed before then never calls it. (On a thread without an event loop it is
// called at the end of the postKeyPress() that met the loss.)
//
// Each press costs two round trips to the server (the current group, and a wait until the server
// has taken the events), one more after the keyboard map changed.
//
// Threads: an Xlib connection belongs to one thread. Create, use and destroy a poster on the same
// worker thread (the server's queue thread); do not share it.
class X11KeyEventPoster final : public KeyEventPoster {
public:
    static constexpr std::size_t kDefaultMaxBoundKeys = X11KeyboardMap::kDefaultMaxBindings;

    // `displayName` empty means $DISPLAY.
    explicit X11KeyEventPoster(const QString &displayName = QString(),
                               CommandKey commandKey = CommandKey::Control,
                               std::size_t maxBoundKeys = kDefaultMaxBoundKeys);
    ~X11KeyEventPoster() override;

    X11KeyEventPoster(const X11KeyEventPoster &) = delete;
    X11KeyEventPoster &operator=(const X11KeyEventPoster &) = delete;

    bool isAvailable() const override;
    QString unavailableReason() const override;
    void postKeyPress(quint16 keyCode, quint64 modifiers) override;
    void setLostHandler(LostHandler handler) override;

private:
    void watchConnection();
    void readEvents();
    void reportLoss();
    void sendKeyPress(quint16 keyCode, quint64 modifiers);

    // Destroyed in reverse order: the watch first, the connection last.
    X11Connection m_connection;
    X11KeyboardMap m_keyboard;
    CommandKey m_commandKey;
    LostHandler m_lostHandler;
    bool m_lossReported = false;
    std::unique_ptr<QSocketNotifier> m_watch;
};

} // namespace hb
