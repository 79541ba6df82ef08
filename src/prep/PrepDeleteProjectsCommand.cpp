#include "prep/PrepDeleteProjectsCommand.h"

#include "prep/PrepChecklist.h"

using namespace Qt::StringLiterals;

namespace hb {

PrepDeleteProjectsCommand::PrepDeleteProjectsCommand(PrepChecklist &checklist,
                                                     QList<PrepProjectSnapshot> snapshots,
                                                     Report report)
    : m_checklist(checklist), m_snapshots(std::move(snapshots)), m_report(std::move(report))
{
    setText(describe(m_snapshots));
}

QString PrepDeleteProjectsCommand::describe(const QList<PrepProjectSnapshot> &snapshots)
{
    if (snapshots.size() == 1)
        return u"Deleted \u201c%1\u201d"_s.arg(snapshots.first().project.name);
    return u"Deleted %1 projects"_s.arg(snapshots.size());
}

QString PrepDeleteProjectsCommand::failureText(bool restoring, const Error &error)
{
    return (restoring ? u"Could not restore the deleted projects: "_s : u"Could not delete: "_s) +
           error.description;
}

void PrepDeleteProjectsCommand::redo()
{
    QList<qint64> ids;
    for (const PrepProjectSnapshot &snapshot : std::as_const(m_snapshots))
        ids.append(snapshot.project.id);
    if (const auto deleted = m_checklist.deleteProjects(ids); !deleted) {
        setObsolete(true);
        m_report(failureText(false, deleted.error()));
    }
}

void PrepDeleteProjectsCommand::undo()
{
    if (const auto restored = m_checklist.restoreProjects(m_snapshots); !restored) {
        setObsolete(true);
        m_report(failureText(true, restored.error()));
    }
}

} // namespace hb
