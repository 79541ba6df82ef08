#pragma once

#include "common/Expected.h"

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

// Error codes of the `KeyCombo` error domain.
enum class KeyComboError {
    UnknownName = 1, // a piece names no key (last piece) or no modifier (earlier pieces)
    NoKey = 2,       // the last piece is a modifier: nothing to press it with
};
inline QString errorDomain(KeyComboError)
{
    return QStringLiteral("KeyCombo");
}

// Reads a key combination such as "cmd+shift+c". The text is compared without regard to case but
// not trimmed, and split at '+' with empty pieces dropped. The last piece is the key, every
// earlier piece a modifier (repeats change nothing).
//
// Gives no press (an empty optional) for a text of nothing but plus signs: there is nothing to
// press. A piece that names nothing known, or a last piece that is a modifier, gives an Error
// (a KeyComboError) whose description names the pieces, fit to show: such a
// combination is never pressed as some other key.
Expected<std::optional<KeyPress>> parseKeyCombo(const QString &text);

} // namespace hb
