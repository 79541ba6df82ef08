#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QString>
#include <QStringList>

namespace hb {

// What a button does when pressed.
enum class ButtonKind {
    Single,    // sends one key combination
    TwoStates, // shows and sends one of two states, flipping after each press
    Sequence,  // types up to ShortcutButton::kMaxSequence combinations in turn
};

// The button editor's fields of every kind at once, so that trying another kind loses nothing
// typed: only the chosen kind's fields go into the button that is saved.
struct ButtonKindDraft {
    ButtonKind kind = ButtonKind::Single;
    QStringList steps; // after the button's own key combination, as typed, empty rows included
    int delayMs = 100;
    QString onLabel;
    QString onColorHex;
    QString onKeyCombo;

    static ButtonKind kindOf(const ShortcutButton &button);
    static ButtonKindDraft of(const ShortcutButton &button);

    // `button` as saved with the chosen kind. The fields of the kinds not chosen are as in
    // `original` (the button before editing), so that choosing a kind and then the first one
    // again leaves the button as it was. A sequence keeps its steps that are not blank, at most
    // kMaxSequence - 1 of them, and, when it has any, a delay within 0..kMaxSequenceDelayMs; a
    // button made two-state starts in its first state.
    ShortcutButton applied(ShortcutButton button, const ShortcutButton &original) const;

    friend bool operator==(const ButtonKindDraft &, const ButtonKindDraft &) = default;
};

} // namespace hb
