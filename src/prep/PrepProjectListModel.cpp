#include "prep/PrepProjectListModel.h"

#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"

namespace hb {

PrepProjectListModel::PrepProjectListModel(ModelStore &store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
    connect(&store, &ModelStore::changed, this, &PrepProjectListModel::reload);
    reload();
}

int PrepProjectListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant PrepProjectListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PrepProject &project = m_shown[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return project.name;
    case NotesRole:
        return project.notes;
    case ProjectIdRole:
        return project.id;
    default:
        return {};
    }
}

void PrepProjectListModel::setSearchText(const QString &text)
{
    if (text == m_search)
        return;
    m_search = text;
    reload();
}

Expected<Done> PrepProjectListModel::deleteRows(const QList<int> &rows)
{
    QList<qint64> ids;
    for (int row : rows) {
        if (row >= 0 && row < m_shown.size())
            ids.append(m_shown[row].id);
    }
    // The store's change signal brings the list up to date.
    return PrepChecklist(m_store).deleteProjects(ids);
}

void PrepProjectListModel::reload()
{
    auto all = PrepChecklist(m_store).projects();
    if (!all) {
        m_error = all.error().description; // the rows stay as they were shown
        return;
    }
    m_error.clear();
    const QString needle = m_search.trimmed();
    QList<PrepProject> shown;
    if (needle.isEmpty()) {
        shown = std::move(all).value();
    } else {
        for (const PrepProject &project : *all) {
            if (project.name.contains(needle, Qt::CaseInsensitive) ||
                project.notes.contains(needle, Qt::CaseInsensitive))
                shown.append(project);
        }
    }
    if (shown == m_shown)
        return; // nothing to redraw; selections stay
    beginResetModel();
    m_shown = std::move(shown);
    endResetModel();
}

} // namespace hb
