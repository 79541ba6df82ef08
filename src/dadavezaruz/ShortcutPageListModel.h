#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QAbstractListModel>

namespace hb {

// The pad's pages by ascending sortOrder, kept up to date: the list reloads after every change
// the store commits. The page tabs show it.
class ShortcutPageListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { PageIdRole = Qt::UserRole + 1, SortOrderRole };

    ShortcutPageListModel(ModelStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<ShortcutPage> &pages() const { return m_pages; }
    // The row of the page, or -1.
    int rowOf(qint64 pageId) const;

private:
    void reload();

    ShortcutPad m_pad;
    QList<ShortcutPage> m_pages;
};

} // namespace hb
