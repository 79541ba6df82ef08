#pragma once

#include <QList>
#include <QString>

namespace hb {

// A ready-made button, built into the program and never stored.
struct ShortcutPreset {
    QString id; // random, made once per run
    QString category;
    QString label;
    QString sfSymbol;
    QString colorHex;
    QString keyCombo;
    QString appTarget;
};

// The catalogue: the 18 Resolve presets, then the 10 OBS presets.
const QList<ShortcutPreset> &shortcutPresets();

} // namespace hb
