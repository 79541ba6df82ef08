#pragma once

#include "common/Error.h"
#include "prep/PrepRecords.h"

#include <QList>
#include <QUndoCommand>

#include <functional>

namespace hb {

class PrepChecklist;

// Deleting tasks of one project, undoably: redo() deletes them, undo() puts them back exactly
// as they were (ids, places, times, done flags, details) and, when nothing else changed the
// project meanwhile, gives the project back its earlier updatedAt. A step that fails passes its
// error to `failed` and makes the command obsolete, so the history drops it.
class PrepDeleteTasksCommand : public QUndoCommand {
public:
    enum class Step { Delete, Restore };
    using Failure = std::function<void(Step step, const Error &error)>;

    // `tasks` are the records as shown; the command keeps their ids and reads them again
    // before each deletion.
    PrepDeleteTasksCommand(PrepChecklist &checklist, qint64 project, const QList<PrepTask> &tasks,
                           Failure failed);

    void redo() override;
    void undo() override;

    // "Deleted “Title”", or the count for several.
    static QString describe(const QList<PrepTask> &tasks);

private:
    void fail(Step step, const Error &error);

    PrepChecklist &m_checklist;
    qint64 m_project;
    QList<qint64> m_ids;
    Failure m_failed;
    // What the last redo() removed, and the project's times around it.
    QList<PrepTask> m_deleted;
    QDateTime m_updatedBefore;
    QDateTime m_deletedAt;
};

} // namespace hb
