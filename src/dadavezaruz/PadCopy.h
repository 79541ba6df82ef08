#pragma once

#include "common/Expected.h"
#include "dadavezaruz/ShortcutGrid.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QStringList>

#include <optional>

namespace hb {

class ModelStore;

// Error codes of the `PadCopy` error domain; a failing store gives the store's own error.
enum class PadCopyError {
    PageFull = 1, // no free cell for the copy
};
inline QString errorDomain(PadCopyError)
{
    return QStringLiteral("PadCopy");
}

// Copies of buttons and pages: where a copied button goes, what a copied page is called, and
// the copies themselves, each in one store transaction.
class PadCopy {
public:
    PadCopy() = delete;

    static QString pageFullText();

    // The first free cell after `after`, row by row, going on from the first cell after the
    // last; none when every other cell holds a button. Buttons count in the cell the grid shows
    // them in (see ShortcutGrid::cells()).
    static std::optional<ShortcutGridCell> nextFreeCell(const QList<ShortcutButton> &buttons,
                                                        ShortcutGridCell after);
    // The first free cell row by row from the top left; none on a full page.
    static std::optional<ShortcutGridCell> firstFreeCell(const QList<ShortcutButton> &buttons);
    // The name of a copy of the page `name`: "<name> copy", or "<name> copy 2", "<name> copy 3",
    // ... (the first free) while a name in `taken` is the same.
    static QString copyName(const QString &name, const QStringList &taken);

    // A copy of the button, every field and its image, on `page`: in the next free cell after
    // the original's on its own page, in the first free cell on another. PageFull without one.
    static Expected<ShortcutButton> copyButton(ModelStore &store, qint64 button, qint64 page);
    // A copy of the page with all its buttons, named copyName() among the pages, after them.
    static Expected<ShortcutPage> duplicatePage(ModelStore &store, qint64 page);
};

} // namespace hb
