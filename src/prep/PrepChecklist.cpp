#include "prep/PrepChecklist.h"

#include "platform/store/ModelStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

Error notFound(const QString &what, qint64 id)
{
    return Error::make(PrepChecklistError::NotFound,
                       u"There is no %1 with id %2."_s.arg(what).arg(id));
}

// Qt binds a null QString as SQL NULL; an empty text must stay text.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(u""_s) : QVariant(value);
}

QDateTime instant(const QVariant &stored)
{
    return QDateTime::fromMSecsSinceEpoch(stored.toLongLong(), Qt::UTC);
}

// Runs one statement with its values bound in order. Reads go forward only: the lists are
// read once, and a scrollable SQLite result would keep a copy of every row.
Expected<QSqlQuery> run(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
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

// An UPDATE or DELETE of the record `id`: an error when there is no such record.
Expected<Done> changeOne(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                         const QString &what, qint64 id)
{
    auto query = run(db, sql, values);
    if (!query)
        return query.error();
    if (query->numRowsAffected() != 1)
        return notFound(what, id);
    return Done{};
}

Expected<Done> touchProject(const QSqlDatabase &db, qint64 project, const QDateTime &now)
{
    return changeOne(db, u"UPDATE PrepProject SET updatedAt = ? WHERE id = ?"_s,
                     {now.toMSecsSinceEpoch(), project}, u"project"_s, project);
}

PrepProject projectAt(const QSqlQuery &query)
{
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            instant(query.value(3)), instant(query.value(4))};
}

PrepTask taskAt(const QSqlQuery &query)
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

Expected<std::optional<PrepProject>> selectProject(const QSqlDatabase &db, qint64 id)
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

Expected<PrepProject> existingProject(const QSqlDatabase &db, qint64 id)
{
    auto found = selectProject(db, id);
    if (!found)
        return found.error();
    if (!*found)
        return notFound(u"project"_s, id);
    return **found;
}

// The tasks of an existing project in display order. The order is the one comesBefore()
// gives; tasks equal under it come newest record first.
Expected<QList<PrepTask>> selectSortedTasks(const QSqlDatabase &db, qint64 project)
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

Expected<qint64> insertProject(const QSqlDatabase &db, const PrepProject &project)
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

Expected<qint64> insertTask(const QSqlDatabase &db, const PrepTask &task)
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

Expected<qint64> selectNextSortOrder(const QSqlDatabase &db, qint64 project)
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

// Markdown export: see exportMarkdown() in the header for the format.

QStringList textLines(const QString &text)
{
    QString normalised = text;
    normalised.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    return normalised.split(u'\n');
}

QString oneLine(const QString &text)
{
    return textLines(text).join(u' ');
}

// A backslash before a character that would make the line start a block of its own.
QString escapeLineStart(const QString &line)
{
    static constexpr QStringView blockMarkers = u"#>-+*_=`~|<[";
    qsizetype start = 0;
    while (start < line.size() && (line[start] == u' ' || line[start] == u'\t'))
        ++start;
    if (start == line.size())
        return line;
    if (blockMarkers.contains(line[start]))
        return line.left(start) + u'\\' + line.mid(start);
    qsizetype end = start;
    while (end < line.size() && line[end] >= u'0' && line[end] <= u'9')
        ++end;
    if (end > start && end < line.size() && (line[end] == u'.' || line[end] == u')'))
        return line.left(end) + u'\\' + line.mid(end);
    return line;
}

QString heading(const QString &name)
{
    QString title = oneLine(name);
    // Trailing '#' would be read as the heading's closing sequence.
    qsizetype closing = title.size();
    while (closing > 0 && title[closing - 1] == u'#')
        --closing;
    if (closing < title.size())
        title.insert(closing, u'\\');
    title = escapeLineStart(title);
    return title.isEmpty() ? u"#"_s : u"# "_s + title;
}

} // namespace

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
    auto query = run(m_store.database(),
                     u"SELECT id, name, notes, createdAt, updatedAt FROM PrepProject "
                     u"ORDER BY updatedAt DESC, createdAt DESC, id DESC"_s,
                     {});
    if (!query)
        return query.error();
    QList<PrepProject> projects;
    while (query->next())
        projects.append(projectAt(*query));
    return projects;
}

Expected<std::optional<PrepProject>> PrepChecklist::project(qint64 id) const
{
    return selectProject(m_store.database(), id);
}

Expected<QList<PrepTask>> PrepChecklist::sortedTasks(qint64 project) const
{
    return selectSortedTasks(m_store.database(), project);
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
    if (auto exists = existingProject(db, project); !exists)
        return exists.error();
    return selectNextSortOrder(db, project);
}

Expected<PrepProject> PrepChecklist::createProject(const QString &name, const QString &notes)
{
    const QDateTime at = now();
    PrepProject project{0, name.trimmed(), notes, at, at};
    const auto created = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto id = insertProject(db, project);
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
            if (auto done = changeOne(db, u"DELETE FROM PrepProject WHERE id = ?"_s, {id},
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
        const auto found = selectProject(db, id);
        if (!found)
            return found.error();
        if (!*found)
            continue;
        PrepProjectSnapshot snapshot{**found, {}};
        auto query = run(db,
                         u"SELECT id, title, details, isDone, createdAt, updatedAt, sortOrder, "
                         u"project FROM PrepTask WHERE project = ? ORDER BY id"_s,
                         {id});
        if (!query)
            return query.error();
        while (query->next())
            snapshot.tasks.append(taskAt(*query));
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
            const auto taken = selectProject(db, project.id);
            if (!taken)
                return taken.error();
            if (*taken) {
                return Error::make(PrepChecklistError::AlreadyExists,
                                   u"A project with id %1 exists already."_s.arg(project.id));
            }
            auto inserted =
                run(db,
                    u"INSERT INTO PrepProject (id, name, notes, createdAt, updatedAt) "
                    u"VALUES (?, ?, ?, ?, ?)"_s,
                    {project.id, text(project.name), text(project.notes),
                     project.createdAt.toMSecsSinceEpoch(), project.updatedAt.toMSecsSinceEpoch()});
            if (!inserted)
                return inserted.error();
            for (const PrepTask &task : snapshot.tasks) {
                auto added =
                    run(db,
                        u"INSERT INTO PrepTask (id, title, details, isDone, createdAt, "
                        u"updatedAt, sortOrder, project) "
                        u"VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                        {task.id, text(task.title), text(task.details), int(task.isDone),
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
    auto query = run(m_store.database(),
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
    auto query = run(m_store.database(),
                     u"SELECT id, name, notes, createdAt, updatedAt FROM PrepProject "
                     u"WHERE id IN (%1)"_s.arg(marks.join(u", "_s)),
                     values);
    if (!query)
        return query.error();
    while (query->next())
        projects.append(projectAt(*query));
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
        if (auto touched = touchProject(db, project, at); !touched)
            return touched;
        const auto sortOrder = selectNextSortOrder(db, project);
        if (!sortOrder)
            return sortOrder.error();
        task.sortOrder = *sortOrder;
        const auto id = insertTask(db, task);
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
        if (auto done = changeOne(db,
                                  u"UPDATE PrepTask SET isDone = 1 - isDone, updatedAt = ? "
                                  u"WHERE id = ?"_s,
                                  {at.toMSecsSinceEpoch(), task}, u"task"_s, task);
            !done)
            return done;
        return touchProject(db, shownProject, at);
    });
}

Expected<Done> PrepChecklist::saveTaskEdits(qint64 task, const QString &titleDraft,
                                            const QString &detailsDraft, bool isDoneDraft)
{
    const QDateTime at = now();
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        auto owner = run(db, u"SELECT project FROM PrepTask WHERE id = ?"_s, {task});
        if (!owner)
            return owner.error();
        if (!owner->next())
            return notFound(u"task"_s, task);
        const QVariant project = owner->value(0);
        owner->finish();
        auto updated = run(db,
                           u"UPDATE PrepTask SET title = ?, details = ?, isDone = ?, updatedAt = ? "
                           u"WHERE id = ?"_s,
                           {text(titleDraft.trimmed()), text(detailsDraft), int(isDoneDraft),
                            at.toMSecsSinceEpoch(), task});
        if (!updated)
            return updated.error();
        if (project.isNull())
            return Done{};
        return touchProject(db, project.toLongLong(), at);
    });
}

Expected<bool> PrepChecklist::saveProjectNotes(qint64 project, const QString &notesDraft)
{
    const QString draft = notesDraft.trimmed();
    // Most calls change nothing (the screen saves whenever it is left): answer those without a
    // transaction, and so without a change signal.
    const auto stored = existingProject(m_store.database(), project);
    if (!stored)
        return stored.error();
    if (stored->notes == draft)
        return false;

    const QDateTime at = now();
    bool changed = false;
    const auto saved = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        // Read again inside the transaction: another instance may have changed them meanwhile.
        const auto current = existingProject(db, project);
        if (!current)
            return current.error();
        if (current->notes == draft)
            return Done{};
        changed = true;
        return changeOne(db, u"UPDATE PrepProject SET notes = ?, updatedAt = ? WHERE id = ?"_s,
                         {text(draft), at.toMSecsSinceEpoch(), project}, u"project"_s, project);
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
        const auto shown = selectSortedTasks(db, project);
        if (!shown)
            return shown.error();
        QList<qint64> doomed;
        for (int position : std::as_const(ascending)) {
            if (position >= 0 && position < shown->size())
                doomed.append(shown->at(position).id);
        }
        for (qint64 id : std::as_const(doomed)) {
            auto deleted = run(db, u"DELETE FROM PrepTask WHERE id = ?"_s, {id});
            if (!deleted)
                return deleted.error();
        }
        return touchProject(db, project, at);
    });
}

Expected<PrepProject> PrepChecklist::duplicateProject(qint64 project)
{
    const QDateTime at = now();
    PrepProject copy;
    const auto duplicated = m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto original = existingProject(db, project);
        if (!original)
            return original.error();
        const auto tasks = selectSortedTasks(db, project);
        if (!tasks)
            return tasks.error();
        copy =
            PrepProject{0, QString(original->name + u" copy"_s).trimmed(), original->notes, at, at};
        const auto id = insertProject(db, copy);
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
            if (const auto added = insertTask(db, fresh); !added)
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
    const auto found = existingProject(db, project);
    if (!found)
        return found.error();
    const auto tasks = selectSortedTasks(db, project);
    if (!tasks)
        return tasks.error();

    QStringList lines{heading(found->name)};
    if (const QString notes = found->notes.trimmed(); !notes.isEmpty()) {
        lines.append(QString());
        for (const QString &line : textLines(notes))
            lines.append(line.trimmed().isEmpty() ? QString() : escapeLineStart(line));
    }
    if (!tasks->isEmpty())
        lines.append(QString());
    for (const PrepTask &task : *tasks) {
        lines.append((task.isDone ? u"- [x] "_s : u"- [ ] "_s) +
                     escapeLineStart(oneLine(task.title)));
        if (const QString details = task.details.trimmed(); !details.isEmpty()) {
            for (const QString &line : textLines(details))
                lines.append(line.trimmed().isEmpty() ? QString()
                                                      : u"  "_s + escapeLineStart(line));
        }
    }
    return QString(lines.join(u'\n') + u'\n');
}

Expected<Done> PrepChecklist::restoreTasks(qint64 project, const QList<PrepTask> &tasks,
                                           const QDateTime &deletedAt,
                                           const QDateTime &updatedBefore)
{
    return m_store.write([&](QSqlDatabase &db) -> Expected<Done> {
        const auto current = existingProject(db, project);
        if (!current)
            return current.error();
        for (const PrepTask &task : tasks) {
            auto inserted = run(db,
                                u"INSERT INTO PrepTask (id, title, details, isDone, createdAt, "
                                u"updatedAt, sortOrder, project) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                                {task.id, text(task.title), text(task.details), int(task.isDone),
                                 task.createdAt.toMSecsSinceEpoch(),
                                 task.updatedAt.toMSecsSinceEpoch(), task.sortOrder, project});
            if (!inserted)
                return inserted.error();
        }
        if (current->updatedAt != deletedAt)
            return Done{};
        return touchProject(db, project, updatedBefore);
    });
}

} // namespace hb
