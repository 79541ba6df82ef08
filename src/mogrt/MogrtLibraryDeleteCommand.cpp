#include "mogrt/MogrtLibraryDeleteCommand.h"

namespace hb {

MogrtLibraryDeleteCommand::MogrtLibraryDeleteCommand(MogrtLibrary library, MogrtLibraryModel *model,
                                                     QList<Trashed> trashed, MogrtUndoReport report)
    : m_library(std::move(library)), m_model(model), m_trashed(std::move(trashed)),
      m_report(std::move(report))
{
    if (m_trashed.size() == 1)
        setText(u"Deleted \u201C" + m_trashed.first().item.displayName + u"\u201D");
    else
        setText(u"Deleted " + QString::number(m_trashed.size()) + u" templates");
}

void MogrtLibraryDeleteCommand::undo()
{
    QList<Trashed> restored;
    QStringList failures;
    for (const Trashed &file : std::as_const(m_trashed)) {
        if (const auto done = m_library.restoreFromTrash(file.trashedPath, file.item.fileURL);
            !done) {
            failures.append(done.error().description);
        } else {
            m_model->insert(file.item);
            restored.append(file);
        }
    }
    if (failures.isEmpty())
        return;
    // A file that could not come back stays in the trash and out of this command, so that a
    // redo cannot trash whatever has its path now.
    m_trashed = restored;
    setObsolete(m_trashed.isEmpty());
    m_report(true, failures.join(u'\n'));
}

void MogrtLibraryDeleteCommand::redo()
{
    if (m_firstRedo) {
        m_firstRedo = false;
        return;
    }
    QList<Trashed> trashed;
    QStringList failures;
    for (const Trashed &file : std::as_const(m_trashed)) {
        if (const auto done = m_library.moveToTrash(file.item.fileURL); !done) {
            failures.append(done.error().description);
        } else {
            m_model->remove(file.item.id);
            trashed.append({file.item, *done});
        }
    }
    m_trashed = trashed;
    if (failures.isEmpty())
        return;
    setObsolete(m_trashed.isEmpty());
    m_report(false, failures.join(u'\n'));
}

} // namespace hb
