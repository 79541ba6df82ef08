#pragma once

#include <QString>
#include <Qt>

#include <optional>

namespace hb {

// Turns a key pressed on this keyboard into the key combination a pad sends: "ctrl+shift+s".
//
// Modifiers are written in the order cmd (the Meta or Super key), ctrl, alt, shift. The key is
// named by the symbol it typed: letters, digits and the punctuation keys of the vocabulary, the
// named keys (return, tab, space, backspace, esc), f1 to f12 and the navigation keys. A shifted
// symbol is named by its unshifted key on a US keyboard when Shift was held ("shift+1" for '!').
namespace KeyComboRecording {

// True for a press of a modifier alone: the combination is not complete yet.
bool isModifierKey(int key);

// The combination for `key` with `modifiers`, or nothing when the key has no name a pad can send
// (forward delete, keypad-only and media keys, a symbol that needs a key not on the list).
std::optional<QString> comboFor(int key, Qt::KeyboardModifiers modifiers);

} // namespace KeyComboRecording
} // namespace hb
