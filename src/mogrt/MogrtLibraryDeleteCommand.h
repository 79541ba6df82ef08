#pragma once

#include "mogrt/MogrtLibrary.h"
#include "mogrt/MogrtLibraryModel.h"

#include <QUndoCommand>

namespace hb {

// Templates that went to the desktop trash. Undo moves each file back to its path (and lists
// it again); redo moves it to the trash once more. It is made once the files are in the trash,
// so its first redo does nothing. A file whose path has been taken meanwhile stays in the trash
// and is reported; it leaves the command, which is dropped when no file is left.
class MogrtLibraryDeleteCommand : public QUndoCommand {
public:
    struct Trashed {
        LibraryItem item;
        QString trashedPath;
    };

    MogrtLibraryDeleteCommand(MogrtLibrary library, MogrtLibraryModel *model,
                              QList<Trashed> trashed, MogrtUndoReport report);

    void undo() override;
    void redo() override;

private:
    MogrtLibrary m_library;
    MogrtLibraryModel *m_model;
    QList<Trashed> m_trashed;
    MogrtUndoReport m_report;
    bool m_firstRedo = true; // the change was made before the command
};

} // namespace hb
