#include "mogrt/MogrtLibraryRenameCommand.h"

namespace hb {

MogrtLibraryRenameCommand::MogrtLibraryRenameCommand(MogrtLibrary library, MogrtLibraryModel *model,
                                                     LibraryItem before, LibraryItem after,
                                                     MogrtUndoReport report)
    : m_library(std::move(library)), m_model(model), m_before(std::move(before)),
      m_after(std::move(after)), m_report(std::move(report))
{
    setText(u"Renamed \u201C" + m_before.displayName + u"\u201D");
}

void MogrtLibraryRenameCommand::undo()
{
    rename(m_after, m_before, true);
}

void MogrtLibraryRenameCommand::redo()
{
    if (m_firstRedo) {
        m_firstRedo = false;
        return;
    }
    rename(m_before, m_after, false);
}

void MogrtLibraryRenameCommand::rename(const LibraryItem &from, const LibraryItem &to, bool undoing)
{
    const auto renamed = m_library.rename(from.fileURL, to.displayName);
    if (!renamed) {
        setObsolete(true);
        m_report(undoing, renamed.error().description);
        return;
    }
    m_model->replace(from.id, MogrtLibrary::itemAt(*renamed));
}

} // namespace hb
