#include "dadavezaruz/PresetCatalogueFilter.h"

#include <algorithm>

namespace hb {

bool PresetCatalogueFilter::matches(const ShortcutPreset &preset, const QString &search)
{
    return search.isEmpty() || preset.label.contains(search, Qt::CaseInsensitive) ||
           preset.category.contains(search, Qt::CaseInsensitive);
}

QList<PresetSection> PresetCatalogueFilter::sections(const QList<ShortcutPreset> &catalogue,
                                                     const QString &search)
{
    QList<PresetSection> result;
    for (const ShortcutPreset &preset : catalogue) {
        if (!matches(preset, search))
            continue;
        auto section = std::find_if(result.begin(), result.end(), [&](const PresetSection &s) {
            return s.category == preset.category;
        });
        if (section == result.end())
            result.append({preset.category, {preset}});
        else
            section->presets.append(preset);
    }
    std::stable_sort(
        result.begin(), result.end(),
        [](const PresetSection &a, const PresetSection &b) { return a.category < b.category; });
    return result;
}

} // namespace hb
