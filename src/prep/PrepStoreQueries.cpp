#include "prep/PrepStoreQueries.h"

#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"

#include <QSqlError>
#include <QVariant>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {

Error PrepStoreQueries::notFound(const QString &what, qint64 id)
{
    return Error::make(PrepChecklistError::NotFound,
                       u"There is no %1 with id %2."_s.arg(what).arg(id));
}

QVariant PrepStoreQueries::text(const QString &value)
{
    return value.isNull() ? QVariant(u""_s) : QVariant(value);
}

QDateTime PrepStoreQueries::instant(const QVariant &stored)
{
    return QDateTime::fromMSecsSinceEpoch(stored.toLongLong(), Qt::UTC);
}

Expected<QSqlQuery> PrepStoreQueries::run(const QSqlDatabase &db, const QString &sql,
                                          const QVariantList &values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        return Error::make(ModelStore::ErrorCode::QueryFailed, query.lastError().text());
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (auto done = ModelStore::exec(query); !done)
        return done.error();
    return query;
}

Expected<Done> PrepStoreQueries::changeOne(const QSqlDatabase &db, const QString &sql,
                                           const QVariantList &values, const QString &what,
                                           qint64 id)
{
    auto query = run(db, sql, values);
    if (!query)
        return query.error();
    if (query->numRowsAffected() != 1)
        return notFound(what, id);
    return Done{};
}

Expected<Done> PrepStoreQueries::touchProject(const QSqlDatabase &db, qint64 project,
                                              const QDateTime &now)
{
    return changeOne(db, u"UPDATE PrepProject SET updatedAt = ? WHERE id = ?"_s,
                     {now.toMSecsSinceEpoch(), project}, u"project"_s, project);
}

PrepProject PrepStoreQueries::projectAt(const QSqlQuery &query)
{
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            instant(query.value(3)), instant(query.value(4))};
}

PrepTask PrepStoreQueries::taskAt(const QSqlQuery &query)
{
    PrepTask task;
    task.id = query.value(0).toLongLong();
    task.title = query.value(1).toString();
    task.details = query.value(2).toString();
    task.isDone = query.value(3).toBool();
    task.createdAt = instant(query.value(4));
    task.updatedAt = instant(query.value(5));
    task.sortOrder = query.value(6).toLongLong();
    if (!query.isNull(7))
        task.project = query.value(7).toLongLong();
    return task;
}

Expected<std::optional<PrepProject>> PrepStoreQueries::selectProject(const QSqlDatabase &db,
                                                                     qint64 id)
{
    auto query = run(db,
                     u"SELECT id, name, notes, createdAt, updatedAt FROM PrepProject "
                     u"WHERE id = ?"_s,
                     {id});
    if (!query)
        return query.error();
    if (!query->next())
        return std::optional<PrepProject>();
    return std::optional(projectAt(*query));
}

Expected<PrepProject> PrepStoreQueries::existingProject(const QSqlDatabase &db, qint64 id)
{
    auto found = selectProject(db, id);
    if (!found)
        return found.error();
    if (!*found)
        return notFound(u"project"_s, id);
    return **found;
}

Expected<QList<PrepTask>> PrepStoreQueries::selectSortedTasks(const QSqlDatabase &db,
                                                              qint64 project)
{
    if (auto exists = existingProject(db, project); !exists)
        return exists.error();
    auto query = run(db,
                     u"SELECT id, title, details, isDone, createdAt, updatedAt, sortOrder, "
                     u"project FROM PrepTask WHERE project = ? ORDER BY id DESC"_s,
                     {project});
    if (!query)
        return query.error();
    QList<PrepTask> tasks;
    while (query->next())
        tasks.append(taskAt(*query));
    std::stable_sort(tasks.begin(), tasks.end(), &PrepChecklist::comesBefore);
    return tasks;
}

Expected<qint64> PrepStoreQueries::insertProject(const QSqlDatabase &db, const PrepProject &project)
{
    auto query =
        run(db,
            u"INSERT INTO PrepProject (name, notes, createdAt, updatedAt) "
            u"VALUES (?, ?, ?, ?)"_s,
            {text(project.name), text(project.notes), project.createdAt.toMSecsSinceEpoch(),
             project.updatedAt.toMSecsSinceEpoch()});
    if (!query)
        return query.error();
    return query->lastInsertId().toLongLong();
}

Expected<qint64> PrepStoreQueries::insertTask(const QSqlDatabase &db, const PrepTask &task)
{
    auto query =
        run(db,
            u"INSERT INTO PrepTask (title, details, isDone, createdAt, updatedAt, "
            u"sortOrder, project) VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
            {text(task.title), text(task.details), int(task.isDone),
             task.createdAt.toMSecsSinceEpoch(), task.updatedAt.toMSecsSinceEpoch(), task.sortOrder,
             task.project ? QVariant(*task.project) : QVariant(QMetaType(QMetaType::LongLong))});
    if (!query)
        return query.error();
    return query->lastInsertId().toLongLong();
}

Expected<qint64> PrepStoreQueries::selectNextSortOrder(const QSqlDatabase &db, qint64 project)
{
    auto query = run(
        db, u"SELECT COALESCE(MAX(sortOrder) + 1, 1) FROM PrepTask WHERE project = ?"_s, {project});
    if (!query)
        return query.error();
    if (!query->next()) {
        return Error::make(ModelStore::ErrorCode::QueryFailed,
                           u"The next sort order could not be read."_s);
    }
    return query->value(0).toLongLong();
}

} // namespace hb
