#include "prep/ProjectPrepChecklistView.h"

#include "common/Backdrop.h"
#include "common/IconLibrary.h"
#include "common/ScreenUndo.h"
#include "common/UndoNotice.h"
#include "platform/store/ModelStore.h"
#include "prep/NewPrepProjectView.h"
#include "prep/PrepDeleteProjectsCommand.h"
#include "prep/PrepMarkdownExport.h"
#include "prep/PrepProjectDetailView.h"
#include "prep/PrepProjectListModel.h"
#include "prep/PrepProjectRowDelegate.h"
#include "prep/PrepScreenHeader.h"
#include "prep/PrepTaskDetailView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"Project Prep"_s;
const QString kNewProject = u"New Project"_s;
const QString kProjectList = u"Projects"_s;
const QString kNoProjects = u"No Projects"_s;
const QString kNoProjectsText = u"Create a project to start a prep checklist."_s;
const QString kEmptySymbol = u"checklist"_s;
const QString kNewSymbol = u"plus"_s;
const QString kSearch = u"Search"_s;
const QString kNoMatches = u"No projects match the search."_s;
const QString kDelete = u"Delete"_s;
const QString kDuplicate = u"Duplicate Project"_s;
const QString kExport = u"Export\u2026"_s;

const QString kLoadFailed = u"Could not load the projects: "_s;
const QString kDuplicateFailed = u"Could not duplicate the project: "_s;

constexpr int kEmptySymbolSize = 64;

QLabel *secondaryLabel(const QString &text, const QString &name)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

ProjectPrepChecklistView::ProjectPrepChecklistView(ModelStore &store, QWidget *parent)
    : QWidget(parent), m_store(store), m_checklist(store),
      m_model(new PrepProjectListModel(store, this)), m_stack(new QStackedWidget)
{
    setWindowTitle(kTitle);
    m_stack->addWidget(buildListPage());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);

    connect(m_model, &QAbstractItemModel::modelReset, this, &ProjectPrepChecklistView::refreshList);
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            &ProjectPrepChecklistView::refreshList);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            &ProjectPrepChecklistView::refreshList);
    connect(m_model, &QAbstractItemModel::layoutChanged, this,
            &ProjectPrepChecklistView::refreshList);
    // A failed reload keeps the rows as they were and says so only in the model's error text.
    connect(m_model, &PrepProjectListModel::errorTextChanged, this,
            &ProjectPrepChecklistView::refreshList);
    refreshList();
}

ProjectPrepChecklistView::~ProjectPrepChecklistView()
{
    // The sheet and the screens above the list use the checklist: they go while it is still
    // here. The task editors go first; a project screen still shown stores its notes.
    delete m_sheet.data();
    for (PrepTaskDetailView *editor :
         m_stack->findChildren<PrepTaskDetailView *>(Qt::FindDirectChildrenOnly))
        delete editor;
    for (PrepProjectDetailView *project :
         m_stack->findChildren<PrepProjectDetailView *>(Qt::FindDirectChildrenOnly))
        delete project;
}

QWidget *ProjectPrepChecklistView::buildListPage()
{
    auto *newProject = new QPushButton(kNewProject);
    newProject->setObjectName(u"newProjectButton"_s);
    const QColor iconColor = palette().color(QPalette::ButtonText);
    newProject->setIcon(
        IconLibrary::icon(kNewSymbol, iconColor, IconLibrary::monochromeSecondary(iconColor)));
    newProject->setShortcut(QKeySequence::New);
    newProject->setToolTip(u"%1 (%2)"_s.arg(
        kNewProject, QKeySequence(QKeySequence::New).toString(QKeySequence::NativeText)));
    newProject->setAutoDefault(false);
    m_header = new PrepScreenHeader(kTitle);
    m_header->addAction(newProject);

    m_search = new QLineEdit;
    m_search->setObjectName(u"searchField"_s);
    m_search->setPlaceholderText(kSearch);
    m_search->setAccessibleName(kSearch);
    m_search->setClearButtonEnabled(true);

    m_list = new QListView;
    m_list->setObjectName(u"projectList"_s);
    m_list->setAccessibleName(kProjectList);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new PrepProjectRowDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setResizeMode(QListView::Adjust);
    // Every row has the height of a name and two lines of notes: the view lays out thousands of
    // rows without measuring each.
    m_list->setUniformItemSizes(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->installEventFilter(this);
    // The backdrop shows through the list.
    QPalette listPalette = m_list->palette();
    listPalette.setColor(QPalette::Base, Qt::transparent);
    m_list->setPalette(listPalette);
    m_list->viewport()->setAutoFillBackground(false);

    m_noMatches = secondaryLabel(kNoMatches, u"noMatchesText"_s);
    m_emptyState = buildEmptyState();

    auto *page = new Backdrop;
    page->setObjectName(u"projectListPage"_s);
    auto *content = new QVBoxLayout(page);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(12);
    content->addWidget(m_header);
    content->addWidget(m_search);
    content->addWidget(m_list, 1);
    content->addWidget(m_noMatches);
    content->addWidget(m_emptyState, 1);
    content->addStretch(0);
    // Ctrl+Z undoes a deletion while the list is shown; the screens above have their own.
    m_undo = new ScreenUndo(page);
    content->addWidget(m_undo->notice());

    auto *find = new QShortcut(QKeySequence::Find, page);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    connect(newProject, &QPushButton::clicked, this, &ProjectPrepChecklistView::openNewProject);
    connect(m_search, &QLineEdit::textChanged, m_model, &PrepProjectListModel::setSearchText);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) {
        // A click with Ctrl or Shift only changes the selection.
        if (QGuiApplication::keyboardModifiers() == Qt::NoModifier)
            openProject(index.row());
    });
    connect(m_list, &QListView::customContextMenuRequested, this,
            &ProjectPrepChecklistView::showContextMenu);
    setTabOrder(m_search, m_list);
    return page;
}

QWidget *ProjectPrepChecklistView::buildEmptyState()
{
    auto *empty = new QWidget;
    empty->setObjectName(u"emptyState"_s);
    auto *symbol = new QLabel;
    symbol->setObjectName(u"emptySymbol"_s);
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    symbol->setPixmap(IconLibrary::pixmap(kEmptySymbol, QSize(kEmptySymbolSize, kEmptySymbolSize),
                                          secondary, IconLibrary::monochromeSecondary(secondary),
                                          devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    auto *heading = new QLabel(kNoProjects);
    heading->setObjectName(u"emptyHeading"_s);
    heading->setAlignment(Qt::AlignCenter);
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    headingFont.setWeight(QFont::Bold);
    heading->setFont(headingFont);

    auto *layout = new QVBoxLayout(empty);
    layout->setSpacing(10);
    layout->addStretch(1);
    layout->addWidget(symbol);
    layout->addWidget(heading);
    layout->addWidget(secondaryLabel(kNoProjectsText, u"emptyText"_s));
    layout->addStretch(2);
    return empty;
}

QWidget *ProjectPrepChecklistView::currentScreen() const
{
    return m_stack->currentWidget();
}

QString ProjectPrepChecklistView::errorText() const
{
    return m_header->errorText();
}

void ProjectPrepChecklistView::report(const QString &prefix, const Error &error)
{
    m_header->setErrorText(prefix + error.description);
}

void ProjectPrepChecklistView::refreshList()
{
    const QString failure = m_model->errorText();
    const bool empty = m_model->rowCount() == 0;
    const bool searching = !m_model->searchText().isEmpty();
    // A list that could not be read is not known to be empty: only the error shows.
    const bool knownEmpty = empty && failure.isEmpty();
    m_list->setVisible(!empty);
    m_emptyState->setVisible(knownEmpty && !searching);
    m_noMatches->setVisible(knownEmpty && searching);
    if (!failure.isEmpty())
        m_header->setErrorText(kLoadFailed + failure);
    else if (m_header->errorText().startsWith(kLoadFailed))
        m_header->setErrorText({});
}

QList<int> ProjectPrepChecklistView::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

NewPrepProjectView *ProjectPrepChecklistView::openNewProject()
{
    if (m_sheet) {
        m_sheet->raise();
        m_sheet->activateWindow();
        return m_sheet;
    }
    // A fresh, empty form each time.
    m_sheet = new NewPrepProjectView(m_checklist, this);
    m_sheet->setObjectName(u"newProjectSheet"_s);
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_sheet, &QDialog::accepted, this, [this] {
        m_header->setErrorText({});
        if (m_model->rowCount() > 0 && m_search->text().isEmpty())
            m_list->setCurrentIndex(m_model->index(0));
    });
    m_sheet->open();
    return m_sheet;
}

void ProjectPrepChecklistView::push(QWidget *screen)
{
    m_stack->addWidget(screen);
    m_stack->setCurrentWidget(screen);
    screen->setFocus(Qt::OtherFocusReason);
}

PrepProjectDetailView *ProjectPrepChecklistView::openProject(int row)
{
    const QList<PrepProject> &shown = m_model->projects();
    if (row < 0 || row >= shown.size() || m_stack->count() > 1)
        return nullptr;
    auto *screen = new PrepProjectDetailView(m_checklist, shown[row].id, m_store);
    connect(screen, &PrepProjectDetailView::backRequested, this, &ProjectPrepChecklistView::goBack);
    connect(screen, &PrepProjectDetailView::taskOpened, this, &ProjectPrepChecklistView::openTask);
    connect(screen, &PrepProjectDetailView::failedWhileLeaving, m_header,
            &PrepScreenHeader::setErrorText);
    push(screen);
    return screen;
}

PrepTaskDetailView *ProjectPrepChecklistView::openTask(const PrepTask &task)
{
    auto *project = qobject_cast<PrepProjectDetailView *>(currentScreen());
    if (!project)
        return nullptr;
    auto *screen = new PrepTaskDetailView(m_checklist, task);
    connect(screen, &PrepTaskDetailView::closeRequested, this, &ProjectPrepChecklistView::goBack);
    connect(screen, &PrepTaskDetailView::failedWhileLeaving, project->header(),
            &PrepScreenHeader::setErrorText);
    push(screen);
    return screen;
}

void ProjectPrepChecklistView::goBack()
{
    const int top = m_stack->count() - 1;
    if (top < 1)
        return;
    QWidget *screen = m_stack->widget(top);
    // Hiding the screen is it going away: a project screen stores its notes here.
    m_stack->setCurrentIndex(top - 1);
    m_stack->removeWidget(screen);
    // It may be the sender of the request (its Back button): it goes once that is done.
    screen->deleteLater();

    if (auto *project = qobject_cast<PrepProjectDetailView *>(currentScreen())) {
        QWidget *focus = project->tasks().isEmpty() ? static_cast<QWidget *>(project->taskField())
                                                    : project->checklistView();
        focus->setFocus(Qt::OtherFocusReason);
    } else {
        m_list->setFocus(Qt::OtherFocusReason);
    }
}

void ProjectPrepChecklistView::deleteProjects(const QList<int> &rows)
{
    const QList<PrepProject> &shown = m_model->projects();
    QList<qint64> ids;
    for (int row : rows) {
        if (row >= 0 && row < shown.size() && !ids.contains(shown[row].id))
            ids.append(shown[row].id);
    }
    if (ids.isEmpty())
        return;
    auto snapshots = m_checklist.snapshotProjects(ids);
    if (!snapshots) {
        m_header->setErrorText(PrepDeleteProjectsCommand::failureText(false, snapshots.error()));
        return;
    }
    // The command reports its own failures, when done now and when undone or redone later.
    auto command = std::make_unique<PrepDeleteProjectsCommand>(
        m_checklist, std::move(snapshots).value(),
        [header = QPointer(m_header)](const QString &text) {
            if (header)
                header->setErrorText(text);
        });
    if (m_undo->push(std::move(command)))
        m_header->setErrorText({});
}

void ProjectPrepChecklistView::duplicateProject(int row)
{
    const QList<PrepProject> &shown = m_model->projects();
    if (row < 0 || row >= shown.size())
        return;
    if (const auto copy = m_checklist.duplicateProject(shown[row].id); !copy) {
        report(kDuplicateFailed, copy.error());
        return;
    }
    m_header->setErrorText({});
}

void ProjectPrepChecklistView::exportProject(int row, const QString &path)
{
    const QList<PrepProject> &shown = m_model->projects();
    if (row < 0 || row >= shown.size())
        return;
    if (const auto written = PrepMarkdownExport::write(m_checklist, shown[row].id, path);
        !written) {
        m_header->setErrorText(PrepMarkdownExport::failureText(written.error()));
        return;
    }
    m_header->setErrorText({});
}

void ProjectPrepChecklistView::chooseExportFile(int row)
{
    const QList<PrepProject> &shown = m_model->projects();
    if (row < 0 || row >= shown.size())
        return;
    const qint64 id = shown[row].id;
    const QString path = PrepMarkdownExport::choosePath(this, shown[row].name);
    if (path.isEmpty())
        return;
    // The list may have changed while the dialog was open: find the project again.
    const QList<PrepProject> &now = m_model->projects();
    const auto found = std::find_if(now.cbegin(), now.cend(),
                                    [id](const PrepProject &project) { return project.id == id; });
    if (found != now.cend())
        exportProject(int(found - now.cbegin()), path);
}

void ProjectPrepChecklistView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    if (!m_list->selectionModel()->isSelected(index))
        m_list->setCurrentIndex(index);
    const QList<int> rows = selectedRows();
    QMenu menu(this);
    QAction *duplicate = menu.addAction(kDuplicate);
    duplicate->setEnabled(rows.size() == 1);
    QAction *exportAction = menu.addAction(kExport);
    exportAction->setEnabled(rows.size() == 1);
    menu.addSeparator();
    QAction *remove = menu.addAction(kDelete);
    remove->setShortcut(QKeySequence::Delete);
    QAction *chosen = menu.exec(m_list->viewport()->mapToGlobal(position));
    if (chosen == remove)
        deleteProjects(rows);
    else if (chosen == duplicate)
        duplicateProject(index.row());
    else if (chosen == exportAction)
        chooseExportFile(index.row());
}

bool ProjectPrepChecklistView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            deleteProjects(selectedRows());
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openProject(m_list->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace hb
