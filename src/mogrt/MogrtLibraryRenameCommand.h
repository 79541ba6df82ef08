#pragma once

#include "mogrt/MogrtLibrary.h"
#include "mogrt/MogrtLibraryModel.h"

#include <QUndoCommand>

namespace hb {

// A template that was given a new name. Undo gives it its old name back, redo the new one; it
// is made once the file has been renamed, so its first redo does nothing. When the name it
// goes back to has been taken meanwhile, the file keeps its name, the failure is reported, and
// the command is dropped.
class MogrtLibraryRenameCommand : public QUndoCommand {
public:
    MogrtLibraryRenameCommand(MogrtLibrary library, MogrtLibraryModel *model, LibraryItem before,
                              LibraryItem after, MogrtUndoReport report);

    void undo() override;
    void redo() override;

private:
    void rename(const LibraryItem &from, const LibraryItem &to, bool undoing);

    MogrtLibrary m_library;
    MogrtLibraryModel *m_model;
    LibraryItem m_before;
    LibraryItem m_after;
    MogrtUndoReport m_report;
    bool m_firstRedo = true; // the change was made before the command
};

} // namespace hb
