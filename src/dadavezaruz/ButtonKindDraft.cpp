#include "dadavezaruz/ButtonKindDraft.h"

#include <algorithm>

namespace hb {

ButtonKind ButtonKindDraft::kindOf(const ShortcutButton &button)
{
    if (button.isToggle)
        return ButtonKind::TwoStates;
    return button.thenKeyCombos.isEmpty() ? ButtonKind::Single : ButtonKind::Sequence;
}

ButtonKindDraft ButtonKindDraft::of(const ShortcutButton &button)
{
    return {kindOf(button), button.thenKeyCombos, button.sequenceDelayMs,
            button.onLabel, button.onColorHex,    button.onKeyCombo};
}

ShortcutButton ButtonKindDraft::applied(ShortcutButton button, const ShortcutButton &original) const
{
    button.thenKeyCombos.clear();
    button.sequenceDelayMs = original.sequenceDelayMs;
    button.isToggle = false;
    button.toggledOn = false;
    button.onLabel = original.onLabel;
    button.onColorHex = original.onColorHex;
    button.onKeyCombo = original.onKeyCombo;
    if (kind == ButtonKind::Sequence) {
        for (const QString &step : steps) {
            if (!step.trimmed().isEmpty() &&
                button.thenKeyCombos.size() < ShortcutButton::kMaxSequence - 1)
                button.thenKeyCombos.append(step);
        }
        if (!button.thenKeyCombos.isEmpty())
            button.sequenceDelayMs = std::clamp(delayMs, 0, ShortcutButton::kMaxSequenceDelayMs);
    } else if (kind == ButtonKind::TwoStates) {
        button.isToggle = true;
        button.toggledOn = original.isToggle && original.toggledOn;
        button.onLabel = onLabel;
        button.onColorHex = onColorHex;
        button.onKeyCombo = onKeyCombo;
    }
    return button;
}

} // namespace hb
