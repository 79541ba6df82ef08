#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

union _XEvent; // NOLINT(bugprone-reserved-identifier): Xlib's name, declared to keep Xlib out

namespace hb {

class X11Connection;

// The keyboard map of an X display as a key poster needs it: which keycode types a keysym with no
// modifier held.
//
// keycodeFor() answers with a keycode whose first level (the symbol the key gives unshifted) in
// the keyboard's current XKB group is the keysym. Only such a key arrives as exactly the symbol
// and modifiers asked for: a keysym found on a shifted or AltGr level would arrive as another
// key, or need a modifier nobody asked for. When the layout has no such key, a spare keycode (one
// with no keysym at all) is bound to the keysym, as X automation tools do. Applications look the
// map up when they handle the event, so a binding stays in place after the press: it is reused
// while the keysym is pressed again, the least recently used one is bound anew when maxBindings
// are in use or no spare is left, and every binding still in place is undone (the keycode gets
// NoSymbol again) by restoreBindings() and by the destructor.
//
// The map is read once and read again after the connection's events (see readEvents) tell of a
// change: a new layout chosen with setxkbmap (which also wipes the bindings), another client's
// change, or the server handing the core keyboard the map of another device (which it does on
// the first press of a newly bound key, too). The notifications of a binding made here are not a
// change: the copy already has it.
//
// Threads: the connection's thread only.
class X11KeyboardMap {
public:
    static constexpr std::size_t kDefaultMaxBindings = 32;

    // The connection must outlive the map. Without the XKB extension the connection is closed.
    explicit X11KeyboardMap(X11Connection &connection,
                            std::size_t maxBindings = kDefaultMaxBindings);
    ~X11KeyboardMap();

    X11KeyboardMap(const X11KeyboardMap &) = delete;
    X11KeyboardMap &operator=(const X11KeyboardMap &) = delete;

    // Brings the map and the current group up to date; call before the keycodeFor() calls of one
    // press. One round trip, two after the map changed. False when the connection is unusable.
    bool update();

    enum class Binding { Never, Allowed };
    // The keycode whose first level in the current group is `keysym`, or a spare keycode bound to
    // it when `binding` allows; 0 when there is none.
    unsigned char keycodeFor(unsigned long keysym, Binding binding);

    // Reads the events queued on the connection, noting keyboard-map changes.
    void readEvents();
    // Something sent may have failed: read the map again before the next use.
    void markStale() { m_stale = true; }

    // Undoes every binding still in place.
    void restoreBindings();

private:
    struct Key {
        std::array<unsigned long, 4> levelOne{}; // per group
        unsigned char groups = 0;
        unsigned char groupInfo = 0; // what a group past the key's own groups turns into
        bool spare = false;          // no keysym, no modifier
    };
    struct Bound {
        unsigned long keysym;
        unsigned char keycode;
        std::uint64_t lastUse;
    };

    bool read();
    void noteEvent(const _XEvent &event);
    void noteChangedKeys(int first, int count);
    void noteChangedHere(unsigned char keycode);
    Key *key(unsigned char keycode);
    unsigned char bind(unsigned long keysym);

    X11Connection &m_connection;
    std::size_t m_maxBindings;
    int m_xkbEventType = -1;
    int m_minKeycode = 0;
    std::vector<Key> m_keys; // from m_minKeycode on
    std::vector<Bound> m_bindings;
    std::vector<unsigned char> m_changedHere; // keycodes bound or undone since the map was read
    std::uint64_t m_uses = 0;
    int m_group = 0;
    bool m_stale = true;
};

} // namespace hb
