#include "prep/PrepProjectListModel.h"

#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"

#include <algorithm>

namespace hb {
namespace {

// List order: most recently updated first, then the later created, then the newer record.
bool listsBefore(const PrepProject &a, const PrepProject &b)
{
    if (a.updatedAt != b.updatedAt)
        return a.updatedAt > b.updatedAt;
    if (a.createdAt != b.createdAt)
        return a.createdAt > b.createdAt;
    return a.id > b.id;
}

qsizetype positionOf(const QList<PrepProject> &list, qint64 id)
{
    const auto found = std::find_if(list.cbegin(), list.cend(),
                                    [id](const PrepProject &project) { return project.id == id; });
    return found == list.cend() ? -1 : found - list.cbegin();
}

qsizetype insertionPoint(const QList<PrepProject> &list, const PrepProject &project)
{
    return std::lower_bound(list.cbegin(), list.cend(), project, &listsBefore) - list.cbegin();
}

} // namespace

PrepProjectListModel::PrepProjectListModel(ModelStore &store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
    connect(&store, &ModelStore::changed, this, &PrepProjectListModel::refresh);
    reloadAll();
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

int PrepProjectListModel::rowOf(qint64 projectId) const
{
    return int(positionOf(m_shown, projectId));
}

void PrepProjectListModel::setSearchText(const QString &text)
{
    if (text == m_search)
        return;
    m_search = text;
    QList<PrepProject> shown = filtered();
    if (shown == m_shown)
        return; // nothing to redraw; selections stay
    beginResetModel();
    m_shown = std::move(shown);
    endResetModel();
}

QList<PrepProject> PrepProjectListModel::filtered() const
{
    if (m_search.trimmed().isEmpty())
        return m_all;
    QList<PrepProject> shown;
    for (const PrepProject &project : m_all) {
        if (matches(project))
            shown.append(project);
    }
    return shown;
}

bool PrepProjectListModel::matches(const PrepProject &project) const
{
    const QString needle = m_search.trimmed();
    return needle.isEmpty() || project.name.contains(needle, Qt::CaseInsensitive) ||
           project.notes.contains(needle, Qt::CaseInsensitive);
}

void PrepProjectListModel::setError(const QString &text)
{
    if (text == m_error)
        return;
    m_error = text;
    Q_EMIT errorTextChanged();
}

void PrepProjectListModel::reloadAll()
{
    const PrepChecklist checklist(m_store);
    auto all = checklist.projects();
    auto stamps = all ? checklist.projectStamps() : Expected<QList<PrepProjectStamp>>(all.error());
    if (!stamps) {
        setError(stamps.error().description);
        return;
    }
    m_loaded = true;
    m_all = std::move(all).value();
    m_known.clear();
    m_known.reserve(stamps->size());
    for (const PrepProjectStamp &stamp : std::as_const(*stamps))
        m_known.insert(stamp.id, Known{stamp, m_generation});
    beginResetModel();
    m_shown = filtered();
    endResetModel();
    setError({});
}

void PrepProjectListModel::refresh()
{
    if (!m_loaded) {
        reloadAll();
        return;
    }
    const PrepChecklist checklist(m_store);
    const auto stamps = checklist.projectStamps();
    if (!stamps) {
        setError(stamps.error().description);
        return;
    }
    const quint32 generation = ++m_generation;
    QList<qint64> changed;
    QList<PrepProjectStamp> changedStamps;
    qsizetype seen = 0;
    for (const PrepProjectStamp &stamp : *stamps) {
        const auto known = m_known.find(stamp.id);
        if (known != m_known.end()) {
            ++seen;
            known->generation = generation;
            if (known->stamp == stamp)
                continue;
        }
        changed.append(stamp.id);
        changedStamps.append(stamp);
    }
    QList<qint64> gone;
    if (seen < m_known.size()) {
        for (auto known = m_known.cbegin(); known != m_known.cend(); ++known) {
            if (known->generation != generation)
                gone.append(known.key());
        }
    }
    if (changed.size() + gone.size() > kIncrementalLimit) {
        reloadAll();
        return;
    }
    const auto fresh = checklist.projectsWithIds(changed);
    if (!fresh) {
        setError(fresh.error().description);
        return;
    }
    setError({});
    for (qint64 id : std::as_const(gone)) {
        m_known.remove(id);
        apply(id, std::nullopt);
    }
    for (const PrepProjectStamp &stamp : std::as_const(changedStamps))
        m_known.insert(stamp.id, Known{stamp, generation});
    for (const PrepProject &project : *fresh)
        apply(project.id, project);
}

void PrepProjectListModel::apply(qint64 id, const std::optional<PrepProject> &current)
{
    if (const qsizetype old = positionOf(m_all, id); old >= 0)
        m_all.removeAt(old);
    if (current)
        m_all.insert(insertionPoint(m_all, *current), *current);

    const qsizetype old = positionOf(m_shown, id);
    const bool shown = current && matches(*current);
    if (old < 0 && !shown)
        return;
    if (old >= 0 && !shown) {
        beginRemoveRows({}, int(old), int(old));
        m_shown.removeAt(old);
        endRemoveRows();
        return;
    }
    const qsizetype point = insertionPoint(m_shown, *current);
    if (old < 0) {
        beginInsertRows({}, int(point), int(point));
        m_shown.insert(point, *current);
        endInsertRows();
        return;
    }
    // The place among the other rows: the insertion point counts the old row when it comes first.
    const qsizetype to = point - (listsBefore(m_shown[old], *current) ? 1 : 0);
    if (to != old) {
        beginMoveRows({}, int(old), int(old), {}, int(to > old ? to + 1 : to));
        m_shown.move(old, to);
        m_shown[to] = *current;
        endMoveRows();
    } else {
        m_shown[to] = *current;
    }
    const QModelIndex changedRow = index(int(to));
    Q_EMIT dataChanged(changedRow, changedRow);
}

} // namespace hb
