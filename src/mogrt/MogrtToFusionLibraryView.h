#pragma once

#include "mogrt/MogrtImportQueue.h"
#include "mogrt/MogrtLibrary.h"

#include <QWidget>

class QLabel;
class QListView;
class QProgressBar;

namespace hb {

class MogrtLibraryModel;
class ScreenUndo;

// The "MOGRT → Fusion" screen: imports templates (through a file picker or by dropping them on
// the screen), converts them off the main thread, and lists, renames, shares, installs into
// Fusion and deletes the macros of the library folder. Deleted files go to the desktop trash;
// deleting and renaming can be undone. Where there is no trash, deleting asks first and is final.
// A template none of whose controls is known is imported with a warning.
class MogrtToFusionLibraryView : public QWidget {
    Q_OBJECT

public:
    explicit MogrtToFusionLibraryView(MogrtLibrary library = {}, QWidget *parent = nullptr);
    ~MogrtToFusionLibraryView() override;

    const QList<LibraryItem> &items() const;
    QString errorText() const { return m_errorText; }
    QString summaryText() const;
    QString warningText() const;

    // Rebuilds the list from the folder; a failure empties it and says why.
    void loadLibrary();
    // Converts the files in the background; the list and the texts follow when they are done.
    void importFiles(const QStringList &paths);
    // The rows at these positions of the list as shown, each moved to the trash in turn (one
    // undoable step). Files that cannot go to the trash are deleted for good once the user
    // agrees.
    void deleteItems(const QList<int> &rows);
    void renameItem(int row, const QString &newName);
    void shareItem(int row);
    // Copies the macro into Fusion's folder for titles; asks before replacing a file there.
    void installItem(int row);

Q_SIGNALS:
    // Every import batch has been applied to the screen.
    void importsApplied();

protected:
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildImportSection();
    QWidget *buildLibrarySection();
    void setErrorText(const QString &text);
    void updateEmptyText();
    void reportUndoFailure(bool undoing, const QString &description);
    void askToDeletePermanently(const QList<LibraryItem> &items);
    void deletePermanently(const QList<LibraryItem> &items);
    void chooseFile();
    void askToRename(int row);
    void askToReplaceInFusion(const LibraryItem &item);
    void install(const LibraryItem &item, bool replace);
    void showContextMenu(const QPoint &position);
    void onProgress(int done, int total);
    void onBatchFinished(const QList<MogrtImportQueue::Outcome> &outcomes);
    QList<int> selectedRows() const;

    MogrtLibrary m_library;
    MogrtImportQueue m_queue;
    MogrtLibraryModel *m_model;
    ScreenUndo *m_undo;
    QString m_errorText;
    QLabel *m_error = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_warning = nullptr;
    QProgressBar *m_progress = nullptr;
    QListView *m_list = nullptr;
    QLabel *m_empty = nullptr;
};

} // namespace hb
