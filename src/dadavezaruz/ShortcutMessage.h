#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace hb {

// One button press on the wire: which key combination to press, and in which application.
//
// A frame is a compact JSON object in UTF-8 followed by exactly one line feed, for example
//   {"keyCombo":"cmd+shift+c","appTarget":"resolve"}\n
struct ShortcutMessage {
    // Modifier names and one key name joined by '+', e.g. "cmd+shift+c" (see KeyCombo).
    QString keyCombo;
    // "resolve", "obs", or anything else for the frontmost application; compared without case.
    QString appTarget;

    // The whole frame: compact JSON (keyCombo first, then appTarget), UTF-8, standard JSON string
    // escaping with the solidus also written as "\/", then one 0x0A byte; other non-ASCII text
    // stays UTF-8. Never fails: a lone UTF-16 surrogate, which has no UTF-8 form, and U+FEFF,
    // which a reader may take for a byte-order mark, are written as \uXXXX escapes.
    QByteArray encode() const;

    // Reads one line (the bytes before a line feed; a trailing carriage return or other JSON white
    // space is fine). Gives a message only for a JSON object whose "keyCombo" and "appTarget" are
    // both strings; other keys are ignored. Anything else gives nothing.
    static std::optional<ShortcutMessage> decode(QByteArrayView line);

    friend bool operator==(const ShortcutMessage &, const ShortcutMessage &) = default;
};

} // namespace hb
