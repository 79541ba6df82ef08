#include "dadavezaruz/ShortcutPad.h"

#include "dadavezaruz/ShortcutPreset.h"
#include "platform/store/ModelStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QVariant>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype kSeededButtonsPerPage = 16;

// Qt binds a null QString as SQL NULL; an empty text must stay text.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(u""_s) : QVariant(value);
}

QVariant imageValue(const std::optional<QByteArray> &image)
{
    return image ? QVariant(*image) : QVariant(QMetaType(QMetaType::QByteArray));
}

Expected<qint64> insertPage(QSqlDatabase &db, const QString &name, int sortOrder)
{
    auto query =
        ModelStore::prepare(db, u"INSERT INTO ShortcutPage (name, sortOrder) VALUES (?, ?)"_s);
    if (!query)
        return query.error();
    query->addBindValue(text(name));
    query->addBindValue(sortOrder);
    if (const auto done = ModelStore::exec(*query); !done)
        return done.error();
    return query->lastInsertId().toLongLong();
}

// The columns of a button's kind (sequence and two states), in the order bindKind() binds them
// and readKind() reads them.
const QString kKindColumns =
    u"thenKeyCombos, sequenceDelayMs, isToggle, toggledOn, onLabel, onColorHex, onKeyCombo"_s;

QString comboListText(const QStringList &combos)
{
    return combos.isEmpty() ? u""_s
                            : QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(combos))
                                                    .toJson(QJsonDocument::Compact));
}

// Anything but a JSON array of texts reads as no further combinations.
QStringList comboList(const QString &text)
{
    QStringList combos;
    for (const auto &value : QJsonDocument::fromJson(text.toUtf8()).array()) {
        if (value.isString())
            combos.append(value.toString());
    }
    return combos;
}

void bindKind(QSqlQuery &query, const ShortcutButton &button)
{
    for (const QVariant &value :
         {QVariant(comboListText(button.thenKeyCombos)), QVariant(button.sequenceDelayMs),
          QVariant(button.isToggle ? 1 : 0), QVariant(button.toggledOn ? 1 : 0),
          text(button.onLabel), text(button.onColorHex), text(button.onKeyCombo)})
        query.addBindValue(value);
}

void readKind(const QSqlQuery &query, int first, ShortcutButton &button)
{
    button.thenKeyCombos = comboList(query.value(first).toString());
    button.sequenceDelayMs = query.value(first + 1).toInt();
    button.isToggle = query.value(first + 2).toInt() != 0;
    button.toggledOn = query.value(first + 3).toInt() != 0;
    button.onLabel = query.value(first + 4).toString();
    button.onColorHex = query.value(first + 5).toString();
    button.onKeyCombo = query.value(first + 6).toString();
}

Expected<qint64> insertButton(QSqlDatabase &db, const ShortcutButton &button)
{
    auto query = ModelStore::prepare(
        db, uR"(INSERT INTO ShortcutButton (page, position, label, sfSymbol, colorHex, keyCombo,
                    appTarget, row, col, customImageData, )"_s +
                kKindColumns + uR"()
                VALUES (?, (SELECT COALESCE(MAX(position) + 1, 0) FROM ShortcutButton
                            WHERE page = ?), ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))"_s);
    if (!query)
        return query.error();
    for (const QVariant &value :
         {QVariant(button.page), QVariant(button.page), text(button.label), text(button.sfSymbol),
          text(button.colorHex), text(button.keyCombo), text(button.appTarget),
          QVariant(button.row), QVariant(button.col), imageValue(button.customImageData)})
        query->addBindValue(value);
    bindKind(*query, button);
    if (const auto done = ModelStore::exec(*query); !done)
        return done.error();
    return query->lastInsertId().toLongLong();
}

// A page filled from presets, in reading order across the grid.
Expected<qint64> insertSeededPage(QSqlDatabase &db, const QString &name, int sortOrder,
                                  const QString &category)
{
    auto page = insertPage(db, name, sortOrder);
    if (!page)
        return page;
    int index = 0;
    for (const ShortcutPreset &preset : shortcutPresets()) {
        if (preset.category != category || index == kSeededButtonsPerPage)
            continue;
        ShortcutButton button;
        button.page = *page;
        button.label = preset.label;
        button.sfSymbol = preset.sfSymbol;
        button.colorHex = preset.colorHex;
        button.keyCombo = preset.keyCombo;
        button.appTarget = preset.appTarget;
        button.row = index / ShortcutButton::kColumns;
        button.col = index % ShortcutButton::kColumns;
        if (const auto added = insertButton(db, button); !added)
            return added.error();
        ++index;
    }
    return page;
}

Expected<int> pageCount(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(u"SELECT COUNT(*) FROM ShortcutPage"_s) || !query.next())
        return Error::make(ShortcutPadError::PagesUnreadable, u"The pages could not be counted."_s);
    return query.value(0).toInt();
}

// Whether the query, with its values bound in order, finds a row.
Expected<bool> found(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    auto query = ModelStore::prepare(db, sql);
    if (!query)
        return query.error();
    for (const QVariant &value : values)
        query->addBindValue(value);
    if (const auto done = ModelStore::exec(*query); !done)
        return done.error();
    return query->next();
}

Error notRestorable(const QString &why)
{
    return Error::make(ShortcutPadError::NotRestorable, u"Cannot restore: %1."_s.arg(why));
}

Expected<Done> restorePage(QSqlDatabase &db, const ShortcutPage &page)
{
    const auto taken = found(db, u"SELECT 1 FROM ShortcutPage WHERE id = ?"_s, {page.id});
    if (!taken)
        return taken.error();
    if (*taken)
        return notRestorable(u"the page’s id is in use"_s);
    auto query = ModelStore::prepare(
        db, u"INSERT INTO ShortcutPage (id, name, sortOrder) VALUES (?, ?, ?)"_s);
    if (!query)
        return query.error();
    for (const QVariant &value : {QVariant(page.id), text(page.name), QVariant(page.sortOrder)})
        query->addBindValue(value);
    return ModelStore::exec(*query);
}

Expected<Done> restoreButton(QSqlDatabase &db, const ShortcutButton &button, int position)
{
    const auto page = found(db, u"SELECT 1 FROM ShortcutPage WHERE id = ?"_s, {button.page});
    if (!page)
        return page.error();
    if (!*page)
        return notRestorable(u"the page of “%1” is gone"_s.arg(button.label));
    const auto taken = found(db,
                             u"SELECT 1 FROM ShortcutButton WHERE id = ? OR "
                             u"(page = ? AND row = ? AND col = ?)"_s,
                             {button.id, button.page, button.row, button.col});
    if (!taken)
        return taken.error();
    if (*taken)
        return notRestorable(u"the cell of “%1” holds another button"_s.arg(button.label));
    auto query = ModelStore::prepare(
        db, uR"(INSERT INTO ShortcutButton (id, page, position, label, sfSymbol, colorHex,
                    keyCombo, appTarget, row, col, customImageData, )"_s +
                kKindColumns + uR"()
                VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))"_s);
    if (!query)
        return query.error();
    for (const QVariant &value :
         {QVariant(button.id), QVariant(button.page), QVariant(position), text(button.label),
          text(button.sfSymbol), text(button.colorHex), text(button.keyCombo),
          text(button.appTarget), QVariant(button.row), QVariant(button.col),
          imageValue(button.customImageData)})
        query->addBindValue(value);
    bindKind(*query, button);
    return ModelStore::exec(*query);
}

// Runs one UPDATE or DELETE with its values bound in order.
Expected<Done> change(ModelStore &store, const QString &sql, const QVariantList &values)
{
    return store.write([&](QSqlDatabase &db) -> Expected<Done> {
        auto query = ModelStore::prepare(db, sql);
        if (!query)
            return query.error();
        for (const QVariant &value : values)
            query->addBindValue(value);
        return ModelStore::exec(*query);
    });
}

} // namespace

QStringList ShortcutButton::keysToSend() const
{
    QStringList keys;
    if (isToggle) {
        keys.append(toggledOn ? onKeyCombo : keyCombo);
    } else {
        keys.append(keyCombo);
        keys.append(
            thenKeyCombos.first(std::min<qsizetype>(thenKeyCombos.size(), kMaxSequence - 1)));
    }
    keys.removeAll(QString());
    return keys;
}

ShortcutPad::ShortcutPad(ModelStore &store) : m_store(store) {}

Expected<QList<ShortcutPage>> ShortcutPad::pages() const
{
    QSqlQuery query(m_store.database());
    if (!query.exec(u"SELECT id, name, sortOrder FROM ShortcutPage ORDER BY sortOrder, id"_s))
        return Error::make(ShortcutPadError::PagesUnreadable, u"The pages could not be read."_s);
    QList<ShortcutPage> pages;
    while (query.next())
        pages.append(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toInt()});
    return pages;
}

Expected<QList<ShortcutButton>> ShortcutPad::buttons(qint64 page) const
{
    return selectButtons(u"page = ? ORDER BY position, id"_s, page);
}

Expected<std::optional<ShortcutButton>> ShortcutPad::button(qint64 button) const
{
    Expected<QList<ShortcutButton>> found = selectButtons(u"id = ?"_s, button);
    if (!found)
        return found.error();
    if (found->isEmpty())
        return std::optional<ShortcutButton>();
    return std::optional(found->constFirst());
}

Expected<QList<ShortcutButton>> ShortcutPad::selectButtons(const QString &where, qint64 key,
                                                           QList<int> *positions) const
{
    auto query = ModelStore::prepare(
        m_store.database(),
        u"SELECT id, page, label, sfSymbol, colorHex, keyCombo, appTarget, row, col, "
        u"customImageData, position, "_s +
            kKindColumns + u" FROM ShortcutButton WHERE "_s + where);
    if (!query)
        return query.error();
    query->addBindValue(key);
    if (const auto done = ModelStore::exec(*query); !done)
        return done.error();
    QList<ShortcutButton> buttons;
    while (query->next()) {
        ShortcutButton button;
        button.id = query->value(0).toLongLong();
        button.page = query->value(1).toLongLong();
        button.label = query->value(2).toString();
        button.sfSymbol = query->value(3).toString();
        button.colorHex = query->value(4).toString();
        button.keyCombo = query->value(5).toString();
        button.appTarget = query->value(6).toString();
        button.row = query->value(7).toInt();
        button.col = query->value(8).toInt();
        if (!query->isNull(9))
            button.customImageData = query->value(9).toByteArray();
        readKind(*query, 11, button);
        buttons.append(button);
        if (positions)
            positions->append(query->value(10).toInt());
    }
    return buttons;
}

Expected<std::optional<qint64>> ShortcutPad::seedDefaultPages()
{
    std::optional<qint64> resolve;
    const auto seeded = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto count = pageCount(db);
        if (!count)
            return count.error();
        if (*count > 0)
            return Done{};
        const auto first = insertSeededPage(db, u"Resolve"_s, 0, u"Resolve"_s);
        if (!first)
            return first.error();
        if (const auto obs = insertSeededPage(db, u"OBS"_s, 1, u"OBS"_s); !obs)
            return obs.error();
        if (const auto custom = insertPage(db, u"Custom"_s, 2); !custom)
            return custom.error();
        resolve = *first;
        return Done{};
    });
    if (!seeded)
        return seeded.error();
    return resolve;
}

Expected<ShortcutPage> ShortcutPad::addPage(const QString &name)
{
    ShortcutPage page{0, name, 0};
    const auto added = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto count = pageCount(db);
        if (!count)
            return count.error();
        page.sortOrder = *count;
        const auto id = insertPage(db, name, page.sortOrder);
        if (!id)
            return id.error();
        page.id = *id;
        return Done{};
    });
    if (!added)
        return added.error();
    return page;
}

Expected<ShortcutPage> ShortcutPad::addPageIn(QSqlDatabase &db, const QString &name,
                                              const QList<ShortcutButton> &buttons)
{
    const auto count = pageCount(db);
    if (!count)
        return count.error();
    const auto id = insertPage(db, name, *count);
    if (!id)
        return id.error();
    for (ShortcutButton button : buttons) {
        button.page = *id;
        if (const auto added = insertButton(db, button); !added)
            return added.error();
    }
    return ShortcutPage{*id, name, *count};
}

Expected<ShortcutButton> ShortcutPad::addButtonIn(QSqlDatabase &db, ShortcutButton button)
{
    const auto id = insertButton(db, button);
    if (!id)
        return id.error();
    button.id = *id;
    return button;
}

Expected<Done> ShortcutPad::renamePage(qint64 page, const QString &name)
{
    return change(m_store, u"UPDATE ShortcutPage SET name = ? WHERE id = ?"_s, {text(name), page});
}

Expected<Done> ShortcutPad::deletePage(qint64 page)
{
    return change(m_store, u"DELETE FROM ShortcutPage WHERE id = ?"_s, {page});
}

Expected<ShortcutButton> ShortcutPad::addButton(qint64 page, int row, int col)
{
    if (row < 0 || row >= ShortcutButton::kRows || col < 0 || col >= ShortcutButton::kColumns)
        return Error::make(ShortcutPadError::OutsideGrid, u"The cell is outside the grid."_s);
    ShortcutButton button;
    button.page = page;
    button.row = row;
    button.col = col;
    const auto added = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto id = insertButton(db, button);
        if (!id)
            return id.error();
        button.id = *id;
        return Done{};
    });
    if (!added)
        return added.error();
    return button;
}

Expected<Done> ShortcutPad::updateButton(const ShortcutButton &button)
{
    return change(
        m_store, uR"(UPDATE ShortcutButton SET label = ?, sfSymbol = ?, colorHex = ?, keyCombo = ?,
                      appTarget = ?, row = ?, col = ?, customImageData = ?, thenKeyCombos = ?,
                      sequenceDelayMs = ?, isToggle = ?, toggledOn = (toggledOn AND ?),
                      onLabel = ?, onColorHex = ?, onKeyCombo = ? WHERE id = ?)"_s,
        {text(button.label), text(button.sfSymbol), text(button.colorHex), text(button.keyCombo),
         text(button.appTarget), button.row, button.col, imageValue(button.customImageData),
         comboListText(button.thenKeyCombos), button.sequenceDelayMs, button.isToggle ? 1 : 0,
         button.isToggle ? 1 : 0, text(button.onLabel), text(button.onColorHex),
         text(button.onKeyCombo), button.id});
}

Expected<Done> ShortcutPad::setToggledOn(qint64 button, bool on)
{
    return change(m_store, u"UPDATE ShortcutButton SET toggledOn = ? WHERE id = ?"_s,
                  {on ? 1 : 0, button});
}

Expected<Done> ShortcutPad::deleteButton(qint64 button)
{
    return change(m_store, u"DELETE FROM ShortcutButton WHERE id = ?"_s, {button});
}

Expected<Done> ShortcutPad::applyPreset(qint64 button, const ShortcutPreset &preset)
{
    return change(m_store,
                  uR"(UPDATE ShortcutButton SET label = ?, sfSymbol = ?, colorHex = ?, keyCombo = ?,
                      appTarget = ?, customImageData = NULL, thenKeyCombos = '',
                      isToggle = 0, toggledOn = 0 WHERE id = ?)"_s,
                  {text(preset.label), text(preset.sfSymbol), text(preset.colorHex),
                   text(preset.keyCombo), text(preset.appTarget), button});
}

Expected<Done> ShortcutPad::setCustomImage(qint64 button, const std::optional<QByteArray> &image)
{
    return change(m_store, u"UPDATE ShortcutButton SET customImageData = ? WHERE id = ?"_s,
                  {imageValue(image), button});
}

Expected<ShortcutPadSnapshot> ShortcutPad::snapshotPage(qint64 page) const
{
    const auto all = pages();
    if (!all)
        return all.error();
    ShortcutPadSnapshot snapshot;
    for (const ShortcutPage &each : *all) {
        if (each.id == page)
            snapshot.page = each;
    }
    if (!snapshot.page)
        return Error::make(ShortcutPadError::NotFound, u"This page no longer exists."_s);
    auto buttons = selectButtons(u"page = ? ORDER BY position, id"_s, page, &snapshot.positions);
    if (!buttons)
        return buttons.error();
    snapshot.buttons = std::move(buttons).value();
    return snapshot;
}

Expected<ShortcutPadSnapshot> ShortcutPad::snapshotButton(qint64 button) const
{
    ShortcutPadSnapshot snapshot;
    auto buttons = selectButtons(u"id = ?"_s, button, &snapshot.positions);
    if (!buttons)
        return buttons.error();
    if (buttons->isEmpty())
        return Error::make(ShortcutPadError::NotFound, u"This button no longer exists."_s);
    snapshot.buttons = std::move(buttons).value();
    return snapshot;
}

Expected<Done> ShortcutPad::restore(const ShortcutPadSnapshot &snapshot)
{
    if (snapshot.positions.size() != snapshot.buttons.size())
        return notRestorable(u"the saved buttons are incomplete"_s);
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        if (snapshot.page) {
            if (auto done = restorePage(db, *snapshot.page); !done)
                return done;
        }
        for (qsizetype i = 0; i < snapshot.buttons.size(); ++i) {
            auto done = restoreButton(db, snapshot.buttons[i], snapshot.positions[i]);
            if (!done)
                return done;
        }
        return Done{};
    });
}

} // namespace hb
