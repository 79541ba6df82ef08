#pragma once

#include "common/Expected.h"
#include "prep/PrepRecords.h"

#include <QList>

#include <functional>
#include <optional>

namespace hb {

class ModelStore;

// Error codes of the `PrepChecklist` error domain.
enum class PrepChecklistError {
    NotFound = 1,  // no project or task has that id
    AlreadyExists, // a record to put back has an id that is in use
};
inline QString errorDomain(PrepChecklistError)
{
    return QStringLiteral("PrepChecklist");
}

// The checklist's records in the model store and every change the screens make to them. Each
// operation reads the clock once and uses that instant for every time it writes; each change is
// one committed transaction.
//
// An id that names no record gives a PrepChecklistError::NotFound and changes nothing; a failing
// store gives the store's own error. Positions outside a list are ignored.
class PrepChecklist {
public:
    using Clock = std::function<QDateTime()>;

    // The clock defaults to the current UTC time; tests pass their own.
    explicit PrepChecklist(ModelStore &store, Clock clock = {});

    // By updatedAt, then createdAt, both descending (then the newer record first).
    Expected<QList<PrepProject>> projects() const;
    Expected<std::optional<PrepProject>> project(qint64 id) const;
    // The project's tasks in display order: open before done, then ascending sortOrder, then
    // the later updatedAt first.
    Expected<QList<PrepTask>> sortedTasks(qint64 project) const;
    static bool comesBefore(const PrepTask &a, const PrepTask &b);
    // The largest sortOrder among the project's tasks plus 1; 1 when it has none.
    Expected<qint64> nextSortOrder(qint64 project) const;

    // The name is stored trimmed, the notes as typed.
    Expected<PrepProject> createProject(const QString &name, const QString &notes);
    // Deletes the projects (and by cascade their tasks).
    Expected<Done> deleteProjects(const QList<qint64> &projectIds);
    // The projects with all their tasks, in the order of the ids; ids of no project are left out.
    Expected<QList<PrepProjectSnapshot>> snapshotProjects(const QList<qint64> &projectIds) const;
    // Puts the projects back exactly as snapshotted (ids, texts, times, tasks), all in one
    // transaction: when one of the ids is in use (AlreadyExists) or a write fails, none is.
    Expected<Done> restoreProjects(const QList<PrepProjectSnapshot> &snapshots);
    // Every project's stamp, in no particular order: a cheap way to find what changed.
    Expected<QList<PrepProjectStamp>> projectStamps() const;
    // The projects with these ids that exist, in no particular order.
    Expected<QList<PrepProject>> projectsWithIds(const QList<qint64> &projectIds) const;
    // Nothing (and no change) when the trimmed title is empty.
    Expected<std::optional<PrepTask>> addTask(qint64 project, const QString &title);
    // Flips isDone; the task and the shown project get the new updatedAt.
    Expected<Done> toggleTask(qint64 task, qint64 shownProject);
    // Title stored trimmed (even when that leaves it empty), details as typed.
    Expected<Done> saveTaskEdits(qint64 task, const QString &titleDraft,
                                 const QString &detailsDraft, bool isDoneDraft);
    // Stores the trimmed draft when it differs from the notes; true when it did.
    Expected<bool> saveProjectNotes(qint64 project, const QString &notesDraft);
    // Positions in the list sortedTasks() gives, all resolved before anything is removed; the
    // project is then updated once (even when no position was in the list).
    Expected<Done> deleteTasks(qint64 project, const QList<int> &positions);

    // A new project named after it with " copy", the same notes, and the same task titles and
    // details, all open, in the same order (sortOrder 1, 2, ...); created and updated now.
    Expected<PrepProject> duplicateProject(qint64 project);
    // The project as Markdown, every line ending in "\n":
    //
    //   # <name>
    //                                   (only with notes)
    //   <notes, trimmed, line by line>  (only with notes)
    //                                   (only with tasks)
    //   - [ ] <title>                   an open task, in display order
    //   - [x] <title>                   a finished one
    //     <details, trimmed, line by line, indented by two spaces>
    //
    // Line breaks in the name or a title become spaces; lines holding only white space are
    // written empty. A text line whose first non-blank character would open a block of its own
    // (one of # > - + * _ = ` ~ | < [, or digits followed by "." or ")") gets a backslash before
    // that character (or before the "." or ")"), and so does a run of "#" ending the name.
    Expected<QString> exportMarkdown(qint64 project) const;

    // Puts tasks deleted from `project` back exactly as they were, ids and times included. When
    // the project's updatedAt is still `deletedAt` (nothing changed the project since the
    // deletion), it goes back to `updatedBefore` too. NotFound when the project is gone.
    Expected<Done> restoreTasks(qint64 project, const QList<PrepTask> &tasks,
                                const QDateTime &deletedAt, const QDateTime &updatedBefore);

private:
    // The instant an operation uses for every time it writes, in UTC.
    QDateTime now() const;

    ModelStore &m_store;
    Clock m_clock;
};

} // namespace hb
