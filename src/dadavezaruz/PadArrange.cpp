#include "dadavezaruz/PadArrange.h"

#include "platform/store/ModelStore.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <utility>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

Error notFound(const QString &what)
{
    return Error::make(ShortcutPadError::NotFound, u"This %1 no longer exists."_s.arg(what));
}

Expected<QSqlQuery> run(QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    auto query = ModelStore::prepare(db, sql);
    if (!query)
        return query.error();
    for (const QVariant &value : values)
        query->addBindValue(value);
    if (const auto done = ModelStore::exec(*query); !done)
        return done.error();
    return query;
}

// The places of the buttons the query finds; it selects id, page, row, col and position.
Expected<QList<ButtonPlace>> places(QSqlDatabase &db, const QString &sql,
                                    const QVariantList &values)
{
    auto query = run(db, sql, values);
    if (!query)
        return query.error();
    QList<ButtonPlace> found;
    while (query->next())
        found.append({query->value(0).toLongLong(), query->value(1).toLongLong(),
                      query->value(2).toInt(), query->value(3).toInt(), query->value(4).toInt()});
    return found;
}

Expected<int> nextPosition(QSqlDatabase &db, qint64 page)
{
    auto query = run(
        db, u"SELECT COALESCE(MAX(position) + 1, 0) FROM ShortcutButton WHERE page = ?"_s, {page});
    if (!query)
        return query.error();
    if (!query->next())
        return notFound(u"page"_s);
    return query->value(0).toInt();
}

Expected<Done> place(QSqlDatabase &db, const ButtonPlace &at)
{
    auto query = run(db,
                     u"UPDATE ShortcutButton SET page = ?, row = ?, col = ?, position = ? "
                     u"WHERE id = ?"_s,
                     {at.page, at.row, at.col, at.position, at.id});
    if (!query)
        return query.error();
    return Done{};
}

} // namespace

Expected<QList<ShortcutPage>> PadArrange::movePage(ModelStore &store, qint64 page, int newIndex)
{
    QList<ShortcutPage> before;
    const auto moved = store.write([&](QSqlDatabase &db) -> Expected<Done> {
        auto query =
            run(db, u"SELECT id, name, sortOrder FROM ShortcutPage ORDER BY sortOrder, id"_s, {});
        if (!query)
            return query.error();
        while (query->next())
            before.append({query->value(0).toLongLong(), query->value(1).toString(),
                           query->value(2).toInt()});
        const auto from = std::ranges::find(std::as_const(before), page, &ShortcutPage::id);
        if (from == before.cend())
            return notFound(u"page"_s);
        const qsizetype index = from - before.cbegin();
        if (newIndex < 0 || newIndex >= before.size())
            return Error::make(PadArrangeError::OutOfRange,
                               u"There is no such place for a page."_s);
        QList<ShortcutPage> order = before;
        const ShortcutPage moving = order.takeAt(index);
        order.insert(newIndex, moving);
        for (int i = 0; i < order.size(); ++i) {
            auto set =
                run(db, u"UPDATE ShortcutPage SET sortOrder = ? WHERE id = ?"_s, {i, order[i].id});
            if (!set)
                return set.error();
        }
        return Done{};
    });
    if (!moved)
        return moved.error();
    return before;
}

Expected<Done> PadArrange::restorePageOrder(ModelStore &store, const QList<ShortcutPage> &pages)
{
    return store.write([&](QSqlDatabase &db) -> Expected<Done> {
        for (const ShortcutPage &page : pages) {
            auto set = run(db, u"UPDATE ShortcutPage SET sortOrder = ? WHERE id = ?"_s,
                           {page.sortOrder, page.id});
            if (!set)
                return set.error();
        }
        return Done{};
    });
}

Expected<QList<ButtonPlace>> PadArrange::moveButton(ModelStore &store, qint64 button, qint64 page,
                                                    int row, int col)
{
    if (row < 0 || row >= ShortcutButton::kRows || col < 0 || col >= ShortcutButton::kColumns)
        return Error::make(PadArrangeError::OutOfRange, u"The cell is outside the grid."_s);
    QList<ButtonPlace> before;
    const auto moved = store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const QString columns = u"SELECT id, page, row, col, position FROM ShortcutButton "_s;
        auto moving = places(db, columns + u"WHERE id = ?"_s, {button});
        if (!moving)
            return moving.error();
        if (moving->isEmpty())
            return notFound(u"button"_s);
        const ButtonPlace from = moving->constFirst();
        if (from.page == page && from.row == row && from.col == col)
            return Done{};
        auto target = run(db, u"SELECT 1 FROM ShortcutPage WHERE id = ?"_s, {page});
        if (!target)
            return target.error();
        if (!target->next())
            return notFound(u"page"_s);
        auto occupants = places(db,
                                columns + u"WHERE page = ? AND row = ? AND col = ? AND id <> ?"
                                          u" ORDER BY position, id"_s,
                                {page, row, col, button});
        if (!occupants)
            return occupants.error();

        ButtonPlace to{from.id, page, row, col, from.position};
        if (page != from.page) {
            const auto position = nextPosition(db, page);
            if (!position)
                return position.error();
            to.position = *position;
        }
        if (auto done = place(db, to); !done)
            return done;
        for (const ButtonPlace &occupant : *occupants) {
            ButtonPlace back{occupant.id, from.page, from.row, from.col, occupant.position};
            if (page != from.page) {
                const auto position = nextPosition(db, from.page);
                if (!position)
                    return position.error();
                back.position = *position;
            }
            if (auto done = place(db, back); !done)
                return done;
        }
        before = {from};
        before.append(*occupants);
        return Done{};
    });
    if (!moved)
        return moved.error();
    return before;
}

Expected<Done> PadArrange::restorePlaces(ModelStore &store, const QList<ButtonPlace> &places)
{
    return store.write([&](QSqlDatabase &db) -> Expected<Done> {
        for (const ButtonPlace &each : places) {
            if (auto done = place(db, each); !done)
                return done;
        }
        return Done{};
    });
}

} // namespace hb
