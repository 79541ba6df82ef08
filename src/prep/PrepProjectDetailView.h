#pragma once

#include "common/Error.h"
#include "prep/PrepRecords.h"

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace hb {

class ModelStore;
class PrepChecklist;
class PrepGrowingTextEdit;
class PrepScreenHeader;
class ScreenUndo;

// A project's screen: its notes, a field to add tasks, and the checklist in display order.
// The rows follow every change the store commits. The notes are stored (trimmed) as they are
// typed, once the typing pauses for kNotesSaveDelayMs, and at once when the application asks for
// pending work (AppLifecycle), when the screen is hidden and when it is destroyed. Deleted tasks
// can be brought back through the screen's undo history.
class PrepProjectDetailView : public QWidget {
    Q_OBJECT

public:
    // How long the notes wait after the last keystroke before they are stored.
    static constexpr int kNotesSaveDelayMs = 500;

    PrepProjectDetailView(PrepChecklist &checklist, qint64 projectId, ModelStore &store,
                          QWidget *parent = nullptr);
    ~PrepProjectDetailView() override;

    qint64 projectId() const { return m_projectId; }
    // The tasks as the rows show them.
    const QList<PrepTask> &tasks() const { return m_tasks; }
    PrepScreenHeader *header() const { return m_header; }
    PrepGrowingTextEdit *notesField() const { return m_notes; }
    QLineEdit *taskField() const { return m_taskField; }
    QPushButton *addButton() const { return m_add; }
    QListWidget *checklistView() const { return m_list; }
    ScreenUndo *undoHistory() const { return m_undo; }
    QString errorText() const;

    // What the screen's controls do.
    void addTask();
    void toggleTask(qint64 taskId);
    // Positions in the checklist as shown; undoable.
    void deleteTasks(const QList<int> &rows);
    void exportTo(const QString &path);
    // Stores the notes draft when it differs from the stored notes, at once.
    void saveNotes();
    // True while typed notes wait for the pause that stores them.
    bool notesPending() const;

Q_SIGNALS:
    void backRequested();
    void taskOpened(const PrepTask &task);
    // A failure on the way out, when this screen can no longer show it.
    void failedWhileLeaving(const QString &text);

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildAddTaskSection();
    QWidget *buildChecklistSection();
    void reload();
    void rebuildRows();
    void fitRowHeights();
    void openTask(int row);
    void chooseExportFile();
    void showContextMenu(const QPoint &position);
    void report(const QString &prefix, const Error &error);
    void clearError(const QString &prefix);
    QList<int> selectedRows() const;

    PrepChecklist &m_checklist;
    qint64 m_projectId;
    QString m_projectName;
    QList<PrepTask> m_tasks;
    bool m_leaving = false;

    PrepScreenHeader *m_header;
    PrepGrowingTextEdit *m_notes;
    QLineEdit *m_taskField = nullptr;
    QPushButton *m_add = nullptr;
    QLabel *m_noTasks = nullptr;
    QListWidget *m_list = nullptr;
    QTimer *m_notesTimer;
    ScreenUndo *m_undo;
};

} // namespace hb
