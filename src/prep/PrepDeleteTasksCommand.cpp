#include "prep/PrepDeleteTasksCommand.h"

#include "prep/PrepChecklist.h"

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kDeletedOne = u"Deleted \u201c%1\u201d"_s;
const QString kDeletedMany = u"Deleted %1 tasks"_s;

Expected<QDateTime> updatedAt(const PrepChecklist &checklist, qint64 project)
{
    const auto found = checklist.project(project);
    if (!found)
        return found.error();
    if (!*found) {
        return Error::make(PrepChecklistError::NotFound,
                           u"There is no project with id %1."_s.arg(project));
    }
    return (*found)->updatedAt;
}

} // namespace

PrepDeleteTasksCommand::PrepDeleteTasksCommand(PrepChecklist &checklist, qint64 project,
                                               const QList<PrepTask> &tasks, Failure failed)
    : QUndoCommand(describe(tasks)), m_checklist(checklist), m_project(project),
      m_failed(std::move(failed))
{
    for (const PrepTask &task : tasks)
        m_ids.append(task.id);
}

QString PrepDeleteTasksCommand::describe(const QList<PrepTask> &tasks)
{
    if (tasks.size() == 1)
        return kDeletedOne.arg(tasks.constFirst().title);
    return kDeletedMany.arg(tasks.size());
}

void PrepDeleteTasksCommand::fail(Step step, const Error &error)
{
    setObsolete(true);
    if (m_failed)
        m_failed(step, error);
}

void PrepDeleteTasksCommand::redo()
{
    const auto shown = m_checklist.sortedTasks(m_project);
    if (!shown) {
        fail(Step::Delete, shown.error());
        return;
    }
    const auto before = updatedAt(m_checklist, m_project);
    if (!before) {
        fail(Step::Delete, before.error());
        return;
    }
    // The records as they are now, in display order: undo() puts back exactly these.
    QList<int> positions;
    QList<PrepTask> deleted;
    for (int position = 0; position < shown->size(); ++position) {
        if (m_ids.contains(shown->at(position).id)) {
            positions.append(position);
            deleted.append(shown->at(position));
        }
    }
    if (deleted.isEmpty()) {
        setObsolete(true); // gone already: nothing to do or to undo
        return;
    }
    if (const auto done = m_checklist.deleteTasks(m_project, positions); !done) {
        fail(Step::Delete, done.error());
        return;
    }
    const auto after = updatedAt(m_checklist, m_project);
    if (!after) {
        fail(Step::Delete, after.error());
        return;
    }
    m_deleted = deleted;
    m_updatedBefore = *before;
    m_deletedAt = *after;
}

void PrepDeleteTasksCommand::undo()
{
    if (const auto restored =
            m_checklist.restoreTasks(m_project, m_deleted, m_deletedAt, m_updatedBefore);
        !restored)
        fail(Step::Restore, restored.error());
}

} // namespace hb
