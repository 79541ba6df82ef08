#include "prep/PrepChecklist.h"

#include "platform/store/ModelStore.h"
#include "prep/PrepMarkdown.h"
#include "prep/PrepStoreQueries.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {

using Q = PrepStoreQueries;

PrepChecklist::PrepChecklist(ModelStore &store, Clock clock)
    : m_store(store), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTimeUtc(); };
}

QDateTime PrepChecklist::now() const
{
    return m_clock().toUTC();
}

Expected<QList<PrepProject>> PrepChecklist::projects() const
{
    auto query = Q::run(m_store.database(),
                        u"SELECT id, name, notes, createdAt, updatedAt FROM PrepProject "
                        u"ORDER BY updatedAt DESC, createdAt DESC, id DESC"_s,
                        {});
    if (!query)
        return query.error();
    QList<PrepProject> projects;
    while (query->next())
        projects.append(Q::projectAt(*query));
    return projects;
}

Expected<std::optional<PrepProject>> PrepChecklist::project(qint64 id) const
{
    return Q::selectProject(m_store.database(), id);
}

Expected<QList<PrepTask>> PrepChecklist::sortedTasks(qint64 project) const
{
    return Q::selectSortedTasks(m_store.database(), project);
}

bool PrepChecklist::comesBefore(const PrepTask &a, const PrepTask &b)
{
    if (a.isDone != b.isDone)
        return !a.isDone;
    if (a.sortOrder != b.sortOrder)
        return a.sortOrder < b.sortOrder;
    return a.updatedAt > b.updatedAt;
}

Expected<qint64> PrepChecklist::nextSortOrder(qint64 project) const
{
    const QSqlDatabase db = m_store.database();
    if (auto exists = Q::existingProject(db, project); !exists)
        return exists.error();
    return Q::selectNextSortOrder(db, project);
}

Expected<PrepProject> PrepChecklist::createProject(const QString &name, const QString &notes)
{
    const QDateTime at = now();
    PrepProject project{0, name.trimmed(), notes, at, at};
    const auto created = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto id = Q::insertProject(db, project);
        if (!id)
            return id.error();
        project.id = *id;
        return Done{};
    });
    if (!created)
        return created.error();
    return project;
}

Expected<Done> PrepChecklist::deleteProjects(const QList<qint64> &projectIds)
{
    QList<qint64> ids;
    for (qint64 id : projectIds) {
        if (!ids.contains(id))
            ids.append(id);
    }
    if (ids.isEmpty())
        return Done{};
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        for (qint64 id : std::as_const(ids)) {
            // The tasks go with the project: PrepTask.project cascades.
            if (auto done = Q::changeOne(db, u"DELETE FROM PrepProject WHERE id = ?"_s, {id},
                                         u"project"_s, id);
                !done)
                return done;
        }
        return Done{};
    });
}

Expected<QList<PrepProjectSnapshot>>
PrepChecklist::snapshotProjects(const QList<qint64> &projectIds) const
{
    const QSqlDatabase db = m_store.database();
    QList<PrepProjectSnapshot> snapshots;
    for (qint64 id : projectIds) {
        const auto found = Q::selectProject(db, id);
        if (!found)
            return found.error();
        if (!*found)
            continue;
        PrepProjectSnapshot snapshot{**found, {}};
        auto query = Q::run(db,
                            u"SELECT id, title, details, isDone, createdAt, updatedAt, sortOrder, "
                            u"project FROM PrepTask WHERE project = ? ORDER BY id"_s,
                            {id});
        if (!query)
            return query.error();
        while (query->next())
            snapshot.tasks.append(Q::taskAt(*query));
        snapshots.append(std::move(snapshot));
    }
    return snapshots;
}

Expected<Done> PrepChecklist::restoreProjects(const QList<PrepProjectSnapshot> &snapshots)
{
    if (snapshots.isEmpty())
        return Done{};
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        for (const PrepProjectSnapshot &snapshot : snapshots) {
            const PrepProject &project = snapshot.project;
            const auto taken = Q::selectProject(db, project.id);
            if (!taken)
                return taken.error();
            if (*taken) {
                return Error::make(PrepChecklistError::AlreadyExists,
                                   u"A project with id %1 exists already."_s.arg(project.id));
            }
            auto inserted = Q::run(
                db,
                u"INSERT INTO PrepProject (id, name, notes, createdAt, updatedAt) "
                u"VALUES (?, ?, ?, ?, ?)"_s,
                {project.id, Q::text(project.name), Q::text(project.notes),
                 project.createdAt.toMSecsSinceEpoch(), project.updatedAt.toMSecsSinceEpoch()});
            if (!inserted)
                return inserted.error();
            for (const PrepTask &task : snapshot.tasks) {
                auto added =
                    Q::run(db,
                           u"INSERT INTO PrepTask (id, title, details, isDone, createdAt, "
                           u"updatedAt, sortOrder, project) "
                           u"VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                           {task.id, Q::text(task.title), Q::text(task.details), int(task.isDone),
                            task.createdAt.toMSecsSinceEpoch(), task.updatedAt.toMSecsSinceEpoch(),
                            task.sortOrder, task.project.value_or(project.id)});
                if (!added)
                    return added.error();
            }
        }
        return Done{};
    });
}

Expected<QList<PrepProjectStamp>> PrepChecklist::projectStamps() const
{
    auto query =
        Q::run(m_store.database(),
               u"SELECT id, updatedAt, length(name), length(notes) FROM PrepProject"_s, {});
    if (!query)
        return query.error();
    QList<PrepProjectStamp> stamps;
    while (query->next()) {
        stamps.append({query->value(0).toLongLong(), query->value(1).toLongLong(),
                       query->value(2).toLongLong(), query->value(3).toLongLong()});
    }
    return stamps;
}

Expected<QList<PrepProject>> PrepChecklist::projectsWithIds(const QList<qint64> &projectIds) const
{
    QList<PrepProject> projects;
    if (projectIds.isEmpty())
        return projects;
    QStringList marks;
    QVariantList values;
    for (qint64 id : projectIds) {
        marks.append(u"?"_s);
        values.append(id);
    }
    auto query = Q::run(m_store.database(),
                        u"SELECT id, name, notes, createdAt, updatedAt FROM PrepProject "
                        u"WHERE id IN (%1)"_s.arg(marks.join(u", "_s)),
                        values);
    if (!query)
        return query.error();
    while (query->next())
        projects.append(Q::projectAt(*query));
    return projects;
}

Expected<std::optional<PrepTask>> PrepChecklist::addTask(qint64 project, const QString &title)
{
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty())
        return std::optional<PrepTask>();
    const QDateTime at = now();
    PrepTask task;
    task.title = trimmed;
    task.details = u""_s;
    task.createdAt = at;
    task.updatedAt = at;
    task.project = project;
    const auto added = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        if (auto touched = Q::touchProject(db, project, at); !touched)
            return touched;
        const auto sortOrder = Q::selectNextSortOrder(db, project);
        if (!sortOrder)
            return sortOrder.error();
        task.sortOrder = *sortOrder;
        const auto id = Q::insertTask(db, task);
        if (!id)
            return id.error();
        task.id = *id;
        return Done{};
    });
    if (!added)
        return added.error();
    return std::optional(task);
}

Expected<Done> PrepChecklist::toggleTask(qint64 task, qint64 shownProject)
{
    const QDateTime at = now();
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        if (auto done = Q::changeOne(db,
                                     u"UPDATE PrepTask SET isDone = 1 - isDone, updatedAt = ? "
                                     u"WHERE id = ?"_s,
                                     {at.toMSecsSinceEpoch(), task}, u"task"_s, task);
            !done)
            return done;
        return Q::touchProject(db, shownProject, at);
    });
}

Expected<Done> PrepChecklist::saveTaskEdits(qint64 task, const QString &titleDraft,
                                            const QString &detailsDraft, bool isDoneDraft)
{
    const QDateTime at = now();
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        auto owner = Q::run(db, u"SELECT project FROM PrepTask WHERE id = ?"_s, {task});
        if (!owner)
            return owner.error();
        if (!owner->next())
            return Q::notFound(u"task"_s, task);
        const QVariant project = owner->value(0);
        owner->finish();
        auto updated =
            Q::run(db,
                   u"UPDATE PrepTask SET title = ?, details = ?, isDone = ?, updatedAt = ? "
                   u"WHERE id = ?"_s,
                   {Q::text(titleDraft.trimmed()), Q::text(detailsDraft), int(isDoneDraft),
                    at.toMSecsSinceEpoch(), task});
        if (!updated)
            return updated.error();
        if (project.isNull())
            return Done{};
        return Q::touchProject(db, project.toLongLong(), at);
    });
}

Expected<bool> PrepChecklist::saveProjectNotes(qint64 project, const QString &notesDraft)
{
    const QString draft = notesDraft.trimmed();
    // Most calls change nothing (the screen saves whenever it is left): answer those without a
    // transaction, and so without a change signal.
    const auto stored = Q::existingProject(m_store.database(), project);
    if (!stored)
        return stored.error();
    if (stored->notes == draft)
        return false;

    const QDateTime at = now();
    bool changed = false;
    const auto saved = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        // Read again inside the transaction: another instance may have changed them meanwhile.
        const auto current = Q::existingProject(db, project);
        if (!current)
            return current.error();
        if (current->notes == draft)
            return Done{};
        changed = true;
        return Q::changeOne(db, u"UPDATE PrepProject SET notes = ?, updatedAt = ? WHERE id = ?"_s,
                            {Q::text(draft), at.toMSecsSinceEpoch(), project}, u"project"_s,
                            project);
    });
    if (!saved)
        return saved.error();
    return changed;
}

Expected<Done> PrepChecklist::deleteTasks(qint64 project, const QList<int> &positions)
{
    QList<int> ascending = positions;
    std::sort(ascending.begin(), ascending.end());
    ascending.erase(std::unique(ascending.begin(), ascending.end()), ascending.end());
    const QDateTime at = now();
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        // Every position refers to the list as it was shown, so all are resolved before the
        // first task goes.
        const auto shown = Q::selectSortedTasks(db, project);
        if (!shown)
            return shown.error();
        QList<qint64> doomed;
        for (int position : std::as_const(ascending)) {
            if (position >= 0 && position < shown->size())
                doomed.append(shown->at(position).id);
        }
        for (qint64 id : std::as_const(doomed)) {
            auto deleted = Q::run(db, u"DELETE FROM PrepTask WHERE id = ?"_s, {id});
            if (!deleted)
                return deleted.error();
        }
        return Q::touchProject(db, project, at);
    });
}

Expected<PrepProject> PrepChecklist::duplicateProject(qint64 project)
{
    const QDateTime at = now();
    PrepProject copy;
    const auto duplicated = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto original = Q::existingProject(db, project);
        if (!original)
            return original.error();
        const auto tasks = Q::selectSortedTasks(db, project);
        if (!tasks)
            return tasks.error();
        copy =
            PrepProject{0, QString(original->name + u" copy"_s).trimmed(), original->notes, at, at};
        const auto id = Q::insertProject(db, copy);
        if (!id)
            return id.error();
        copy.id = *id;
        qint64 sortOrder = 0;
        for (const PrepTask &task : *tasks) {
            PrepTask fresh;
            fresh.title = task.title;
            fresh.details = task.details;
            fresh.createdAt = at;
            fresh.updatedAt = at;
            fresh.sortOrder = ++sortOrder;
            fresh.project = copy.id;
            if (const auto added = Q::insertTask(db, fresh); !added)
                return added.error();
        }
        return Done{};
    });
    if (!duplicated)
        return duplicated.error();
    return copy;
}

Expected<QString> PrepChecklist::exportMarkdown(qint64 project) const
{
    const QSqlDatabase db = m_store.database();
    const auto found = Q::existingProject(db, project);
    if (!found)
        return found.error();
    const auto tasks = Q::selectSortedTasks(db, project);
    if (!tasks)
        return tasks.error();
    return PrepMarkdown::render(*found, *tasks);
}

Expected<Done> PrepChecklist::restoreTasks(qint64 project, const QList<PrepTask> &tasks,
                                           const QDateTime &deletedAt,
                                           const QDateTime &updatedBefore)
{
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto current = Q::existingProject(db, project);
        if (!current)
            return current.error();
        for (const PrepTask &task : tasks) {
            auto inserted =
                Q::run(db,
                       u"INSERT INTO PrepTask (id, title, details, isDone, createdAt, "
                       u"updatedAt, sortOrder, project) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                       {task.id, Q::text(task.title), Q::text(task.details), int(task.isDone),
                        task.createdAt.toMSecsSinceEpoch(), task.updatedAt.toMSecsSinceEpoch(),
                        task.sortOrder, project});
            if (!inserted)
                return inserted.error();
        }
        if (current->updatedAt != deletedAt)
            return Done{};
        return Q::touchProject(db, project, updatedBefore);
    });
}

} // namespace hb
