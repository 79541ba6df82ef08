#pragma once

#include "common/Expected.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QList>

namespace hb {

class ModelStore;

// Error codes of the `PadArrange` error domain; a failing store gives the store's own error.
enum class PadArrangeError {
    OutOfRange = 1, // a page index past the pages, or a cell outside the grid
};
inline QString errorDomain(PadArrangeError)
{
    return QStringLiteral("PadArrange");
}

// Where a button sits: its page, its cell and its place in its page's order.
struct ButtonPlace {
    qint64 id = 0;
    qint64 page = 0;
    int row = 0;
    int col = 0;
    int position = 0;

    friend bool operator==(const ButtonPlace &, const ButtonPlace &) = default;
};

// Moving pages among the pages and buttons between cells, each change in one store transaction.
// Each gives back what it changed as it was before, so that the change can be taken back.
class PadArrange {
public:
    PadArrange() = delete;

    // Puts the page at `newIndex` among the pages (in pages() order) and numbers every page's
    // sortOrder afresh from 0. Gives the pages, with their sortOrder, as they were.
    static Expected<QList<ShortcutPage>> movePage(ModelStore &store, qint64 page, int newIndex);
    // Gives each of the pages its sortOrder back.
    static Expected<Done> restorePageOrder(ModelStore &store, const QList<ShortcutPage> &pages);

    // Moves the button into the cell of `page`. The buttons in that cell go to the cell the
    // button left, so that the two swap. A button changing page goes last in its new page's
    // order. Gives the places of every button that moved, as they were (none when the button
    // is already there).
    static Expected<QList<ButtonPlace>> moveButton(ModelStore &store, qint64 button, qint64 page,
                                                   int row, int col);
    // Puts each button back in its place.
    static Expected<Done> restorePlaces(ModelStore &store, const QList<ButtonPlace> &places);
};

} // namespace hb
