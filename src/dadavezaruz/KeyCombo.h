#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace hb {

// Modifier flags of a key press: the platform's event-flag masks (Mac CGEventFlags values).
inline constexpr quint64 kCommandModifier = 0x100000; // "cmd", "command"
inline constexpr quint64 kShiftModifier = 0x20000;    // "shift"
inline constexpr quint64 kOptionModifier = 0x80000;   // "alt", "option"
inline constexpr quint64 kControlModifier = 0x40000;  // "ctrl", "control"
inline constexpr quint64 kAllModifiers =
    kCommandModifier | kShiftModifier | kOptionModifier | kControlModifier;

// One key to press: a virtual key code of keyCodeMap() and the modifier flags held with it.
struct KeyPress {
    quint16 keyCode = 0;
    quint64 modifiers = 0;

    friend bool operator==(const KeyPress &, const KeyPress &) = default;
};

// Reads a key combination such as "cmd+shift+c". The text is lower-cased but not trimmed, and
// split at '+' with empty pieces dropped; nothing left gives nothing. The last piece is the key
// (an unknown name gives code 0, the a key); each earlier piece that names a modifier sets its
// flag, and other pieces are ignored.
std::optional<KeyPress> parseKeyCombo(const QString &text);

} // namespace hb
