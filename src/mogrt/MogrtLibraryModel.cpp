#include "mogrt/MogrtLibraryModel.h"

#include <QFileInfo>

namespace hb {

MogrtLibraryModel::MogrtLibraryModel(QObject *parent) : QAbstractListModel(parent) {}

int MogrtLibraryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant MogrtLibraryModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const LibraryItem &item = m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return item.displayName;
    case IdRole:
        return item.id;
    case FileNameRole:
        return QFileInfo(item.fileURL).fileName();
    default:
        return {};
    }
}

void MogrtLibraryModel::setItems(QList<LibraryItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

int MogrtLibraryModel::rowOf(const QString &id) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items[row].id == id)
            return int(row);
    }
    return -1;
}

int MogrtLibraryModel::placeFor(const QString &displayName, int skipped) const
{
    // A binary search over the rows as if `skipped` were not there; equal names go after.
    int low = 0;
    int high = int(m_items.size()) - (skipped >= 0 ? 1 : 0);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const int row = skipped >= 0 && middle >= skipped ? middle + 1 : middle;
        if (MogrtLibrary::lessThan(displayName, m_items[row].displayName))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

int MogrtLibraryModel::insert(const LibraryItem &item)
{
    if (const int row = rowOf(item.id); row >= 0)
        return row;
    const int row = placeFor(item.displayName);
    beginInsertRows({}, row, row);
    m_items.insert(row, item);
    endInsertRows();
    return row;
}

bool MogrtLibraryModel::remove(const QString &id)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    endRemoveRows();
    return true;
}

int MogrtLibraryModel::replace(const QString &id, const LibraryItem &item)
{
    const int from = rowOf(id);
    if (from < 0)
        return -1;
    const int to = placeFor(item.displayName, from);
    if (to != from) {
        // The destination is counted in rows before the move.
        beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
        m_items.move(from, to);
        endMoveRows();
    }
    m_items[to] = item;
    Q_EMIT dataChanged(index(to), index(to));
    return to;
}

} // namespace hb
