#include "dadavezaruz/PadCopy.h"

#include "platform/store/ModelStore.h"

#include <QSet>

#include <algorithm>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// The first free cell of the `count` cells from index `start` on, wrapping round the grid.
std::optional<ShortcutGridCell> freeCellFrom(const QList<ShortcutButton> &buttons, int start,
                                             int count)
{
    const ShortcutGrid::Cells cells = ShortcutGrid::cells(buttons);
    for (int step = 0; step < count; ++step) {
        const int index = (start + step) % ShortcutGrid::kCellCount;
        if (!cells[size_t(index)])
            return ShortcutGridCell{index / ShortcutGrid::kColumns, index % ShortcutGrid::kColumns};
    }
    return std::nullopt;
}

Error notFound(const QString &what)
{
    return Error::make(ShortcutPadError::NotFound, u"This %1 no longer exists."_s.arg(what));
}

} // namespace

QString PadCopy::pageFullText()
{
    return u"The page is full: no free cell for a copy"_s;
}

std::optional<ShortcutGridCell> PadCopy::nextFreeCell(const QList<ShortcutButton> &buttons,
                                                      ShortcutGridCell after)
{
    const int row = std::clamp(after.row, 0, ShortcutGrid::kRows - 1);
    const int col = std::clamp(after.col, 0, ShortcutGrid::kColumns - 1);
    return freeCellFrom(buttons, ShortcutGrid::indexOf(row, col) + 1, ShortcutGrid::kCellCount - 1);
}

std::optional<ShortcutGridCell> PadCopy::firstFreeCell(const QList<ShortcutButton> &buttons)
{
    return freeCellFrom(buttons, 0, ShortcutGrid::kCellCount);
}

QString PadCopy::copyName(const QString &name, const QStringList &taken)
{
    const QSet<QString> names(taken.cbegin(), taken.cend());
    QString first = u"%1 copy"_s.arg(name);
    if (!names.contains(first))
        return first;
    // At most taken.size() + 1 tries: each taken name rules out one number.
    for (qsizetype number = 2;; ++number) {
        QString candidate = u"%1 %2"_s.arg(first).arg(number);
        if (!names.contains(candidate))
            return candidate;
    }
}

Expected<ShortcutButton> PadCopy::copyButton(ModelStore &store, qint64 button, qint64 page)
{
    const ShortcutPad pad(store);
    ShortcutButton copy;
    const auto written = store.write([&](QSqlDatabase &db) -> Expected<Done> {
        // Read inside the transaction, so that the free cell is one the copy can have.
        const auto original = pad.button(button);
        if (!original)
            return original.error();
        if (!*original)
            return notFound(u"button"_s);
        const auto onPage = pad.buttons(page);
        if (!onPage)
            return onPage.error();
        if (page != (*original)->page) {
            const auto pages = pad.pages();
            if (!pages)
                return pages.error();
            if (std::ranges::none_of(*pages,
                                     [page](const ShortcutPage &p) { return p.id == page; }))
                return notFound(u"page"_s);
        }
        const std::optional<ShortcutGridCell> cell =
            page == (*original)->page ? nextFreeCell(*onPage, {(*original)->row, (*original)->col})
                                      : firstFreeCell(*onPage);
        if (!cell)
            return Error::make(PadCopyError::PageFull, pageFullText());
        ShortcutButton wanted = **original;
        wanted.page = page;
        wanted.row = cell->row;
        wanted.col = cell->col;
        auto added = ShortcutPad::addButtonIn(db, wanted);
        if (!added)
            return added.error();
        copy = std::move(added).value();
        return Done{};
    });
    if (!written)
        return written.error();
    return copy;
}

Expected<ShortcutPage> PadCopy::duplicatePage(ModelStore &store, qint64 page)
{
    const ShortcutPad pad(store);
    ShortcutPage copy;
    const auto written = store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto pages = pad.pages();
        if (!pages)
            return pages.error();
        QStringList taken;
        const ShortcutPage *original = nullptr;
        for (const ShortcutPage &each : *pages) {
            taken.append(each.name);
            if (each.id == page)
                original = &each;
        }
        if (!original)
            return notFound(u"page"_s);
        const auto buttons = pad.buttons(page);
        if (!buttons)
            return buttons.error();
        auto added = ShortcutPad::addPageIn(db, copyName(original->name, taken), *buttons);
        if (!added)
            return added.error();
        copy = std::move(added).value();
        return Done{};
    });
    if (!written)
        return written.error();
    return copy;
}

} // namespace hb
