#pragma once

#include "dadavezaruz/ShortcutPreset.h"

#include <QList>
#include <QString>

namespace hb {

// The presets of one category, in catalogue order.
struct PresetSection {
    QString category;
    QList<ShortcutPreset> presets;
};

// What the preset picker lists for a search text.
class PresetCatalogueFilter {
public:
    PresetCatalogueFilter() = delete;

    // An empty search matches every preset; otherwise the label or the category must contain
    // the text, regardless of letter case.
    static bool matches(const ShortcutPreset &preset, const QString &search);
    // The matching presets, one section per category, sections by ascending category text.
    static QList<PresetSection> sections(const QList<ShortcutPreset> &catalogue,
                                         const QString &search);
};

} // namespace hb
