#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace hb {

// Posts key presses as if typed, to whatever window has the keyboard focus.
//
// Key codes are the virtual key codes of an ANSI Mac keyboard (the numbers keyCodeMap() gives);
// each stands for the symbol that key carries on a US layout, and arrives as that symbol with
// exactly the modifiers asked for, whatever layout is in use. Modifier masks use the same flag
// bits as KeyCombo.h. An implementation is used from one thread at a time.
class KeyEventPoster {
public:
    // Told once, on the poster's thread, when a poster that was available stops being so for
    // good (the display went away); the reason is fit to show. Implementations call it from the
    // thread's event loop where they can, not from inside one of their own calls.
    using LostHandler = std::function<void(const QString &reason)>;

    virtual ~KeyEventPoster() = default;

    // False when key presses cannot be posted at all (no display, no input extension);
    // unavailableReason() then says why.
    virtual bool isAvailable() const = 0;
    virtual QString unavailableReason() const = 0;

    // One key-down and one key-up of `keyCode` with the modifiers in `modifiers` held, no pause
    // between them. Does nothing when unavailable.
    virtual void postKeyPress(quint16 keyCode, quint64 modifiers) = 0;

    // Where to report the loss of the display. A poster that cannot lose it ignores this.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): a sink for the overrides that keep it
    virtual void setLostHandler(LostHandler handler) { (void)handler; }
};

} // namespace hb
