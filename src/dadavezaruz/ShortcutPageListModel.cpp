#include "dadavezaruz/ShortcutPageListModel.h"

#include "platform/store/ModelStore.h"

namespace hb {

ShortcutPageListModel::ShortcutPageListModel(ModelStore &store, QObject *parent)
    : QAbstractListModel(parent), m_pad(store)
{
    connect(&store, &ModelStore::changed, this, &ShortcutPageListModel::reload);
    reload();
}

int ShortcutPageListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_pages.size());
}

QVariant ShortcutPageListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ShortcutPage &page = m_pages[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return page.name;
    case PageIdRole:
        return page.id;
    case SortOrderRole:
        return page.sortOrder;
    default:
        return {};
    }
}

QHash<int, QByteArray> ShortcutPageListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(PageIdRole, "pageId");
    names.insert(SortOrderRole, "sortOrder");
    return names;
}

int ShortcutPageListModel::rowOf(qint64 pageId) const
{
    for (qsizetype row = 0; row < m_pages.size(); ++row) {
        if (m_pages[row].id == pageId)
            return int(row);
    }
    return -1;
}

void ShortcutPageListModel::reload()
{
    auto pages = m_pad.pages();
    if (!pages || *pages == m_pages)
        return; // a failed read keeps the list as it was shown
    beginResetModel();
    m_pages = std::move(pages).value();
    endResetModel();
}

} // namespace hb
