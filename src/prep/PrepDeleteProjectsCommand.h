#pragma once

#include "common/Error.h"
#include "prep/PrepRecords.h"

#include <QList>
#include <QUndoCommand>

#include <functional>

namespace hb {

class PrepChecklist;

// Deleting projects as an undoable step: done, it deletes them (their tasks go with them);
// undone, it puts back the snapshots taken before, with the same ids, texts, times and tasks.
// A step that fails says why through `report` and makes itself obsolete, so the history drops it.
class PrepDeleteProjectsCommand : public QUndoCommand {
public:
    using Report = std::function<void(const QString &text)>;

    PrepDeleteProjectsCommand(PrepChecklist &checklist, QList<PrepProjectSnapshot> snapshots,
                              Report report);

    // "Deleted “Name”" for one project, "Deleted 3 projects" for several.
    static QString describe(const QList<PrepProjectSnapshot> &snapshots);
    // The text reported when deleting (or, with `restoring`, putting back) failed.
    static QString failureText(bool restoring, const Error &error);

    const QList<PrepProjectSnapshot> &snapshots() const { return m_snapshots; }

    void redo() override;
    void undo() override;

private:
    PrepChecklist &m_checklist;
    QList<PrepProjectSnapshot> m_snapshots;
    Report m_report;
};

} // namespace hb
