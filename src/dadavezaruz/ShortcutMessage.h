#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace hb {

// One button press on the wire: which key combination to press, and in which application.
//
// A frame is a compact JSON object in UTF-8 followed by exactly one line feed, for example
//   {"keyCombo":"cmd+shift+c","appTarget":"resolve"}\n
// A press that types a sequence names all its combinations in "keySequence" and has no
// "keyCombo", so that a server which knows only single combinations types none of it:
//   {"keySequence":["up","cmd+shift+v"],"delayMs":100,"appTarget":"resolve"}\n
struct ShortcutMessage {
    // Modifier names and one key name joined by '+', e.g. "cmd+shift+c" (see KeyCombo).
    QString keyCombo;
    // "resolve", "obs", or anything else for the frontmost application; compared without case.
    QString appTarget;
    // Typed after keyCombo, in order, delayMs apart; empty for a single combination.
    QStringList thenKeyCombos = {};
    int delayMs = 0;

    // Most combinations one press names, the first included, and the longest pause between two.
    static constexpr int kMaxSequence = 8;
    static constexpr int kMaxDelayMs = 2000;
    // The wire key of a sequence; a server that types them lists it in its status lines.
    static constexpr const char *kKeySequence = "keySequence";

    // The whole frame: compact JSON (keyCombo first, then appTarget), UTF-8, standard JSON string
    // escaping with the solidus also written as "\/", then one 0x0A byte; other non-ASCII text
    // stays UTF-8. Never fails: a lone UTF-16 surrogate, which has no UTF-8 form, and U+FEFF,
    // which a reader may take for a byte-order mark, are written as \uXXXX escapes.
    // With thenKeyCombos the frame is keySequence (keyCombo, then thenKeyCombos), delayMs (held
    // to 0..kMaxDelayMs) and appTarget, in that order.
    QByteArray encode() const;

    // Reads one line (the bytes before a line feed; a trailing carriage return or other JSON white
    // space is fine). Gives a message for a JSON object whose "appTarget" is a string and that has
    // either a string "keyCombo" or a "keySequence" of 1 to kMaxSequence strings, with "delayMs"
    // absent (0) or a whole number from 0 to kMaxDelayMs; other keys are ignored. Anything else
    // gives nothing; when the line was a JSON object, `refusal` (if given) then says why.
    static std::optional<ShortcutMessage> decode(QByteArrayView line, QString *refusal = nullptr);

    // The combinations in the order they are typed: keyCombo, then thenKeyCombos.
    QStringList keyCombos() const;

    friend bool operator==(const ShortcutMessage &, const ShortcutMessage &) = default;
};

} // namespace hb
