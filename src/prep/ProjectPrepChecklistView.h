#pragma once

#include "prep/PrepChecklist.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;

namespace hb {

class ModelStore;
class NewPrepProjectView;
class PrepProjectDetailView;
class PrepProjectListModel;
class PrepScreenHeader;
class PrepTaskDetailView;
class ScreenUndo;

// The project prep checklist: the list of projects, most recently changed first, searchable,
// with the new-project sheet. A project opens its screen, and a task on it opens the task
// editor, each above the one it came from; Back (Alt+Left, Esc) returns to the one below.
// Deleting projects from the list asks nothing: the notice at its foot and Ctrl+Z undo it. A list
// that could not be read shows why, never the empty state.
class ProjectPrepChecklistView : public QWidget {
    Q_OBJECT

public:
    explicit ProjectPrepChecklistView(ModelStore &store, QWidget *parent = nullptr);
    ~ProjectPrepChecklistView() override;

    PrepChecklist &checklist() { return m_checklist; }
    PrepProjectListModel *projects() const { return m_model; }
    QListView *projectList() const { return m_list; }
    QLineEdit *searchField() const { return m_search; }
    // The screen on top: this list, a project or the task editor.
    QWidget *currentScreen() const;
    QString errorText() const;
    // The list's undo history (project deletions).
    ScreenUndo *undoHistory() const { return m_undo; }

    // The sheet, open until it closes.
    NewPrepProjectView *openNewProject();
    // Opens the project at this position of the list as shown.
    PrepProjectDetailView *openProject(int row);
    PrepTaskDetailView *openTask(const PrepTask &task);
    // Returns to the screen below the current one, if there is one.
    void goBack();

    // The list's commands, with positions in the list as shown. Deleting can be undone.
    void deleteProjects(const QList<int> &rows);
    void duplicateProject(int row);
    void exportProject(int row, const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildListPage();
    QWidget *buildEmptyState();
    void push(QWidget *screen);
    void refreshList();
    void showContextMenu(const QPoint &position);
    void chooseExportFile(int row);
    void report(const QString &prefix, const Error &error);
    QList<int> selectedRows() const;

    ModelStore &m_store;
    PrepChecklist m_checklist;
    PrepProjectListModel *m_model;
    QStackedWidget *m_stack;
    PrepScreenHeader *m_header = nullptr;
    QLineEdit *m_search = nullptr;
    QListView *m_list = nullptr;
    QWidget *m_emptyState = nullptr;
    QLabel *m_noMatches = nullptr;
    ScreenUndo *m_undo = nullptr;
    QPointer<NewPrepProjectView> m_sheet;
};

} // namespace hb
