#include "prep/PrepProjectDetailView.h"

#include "common/AppLifecycle.h"
#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/IconLibrary.h"
#include "common/ScreenUndo.h"
#include "common/UndoNotice.h"
#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepDeleteTasksCommand.h"
#include "prep/PrepGrowingTextEdit.h"
#include "prep/PrepMarkdownExport.h"
#include "prep/PrepScreenHeader.h"
#include "prep/PrepTaskRow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kNotesSection = u"Notes"_s;
const QString kNotesPlaceholder = u"Project notes"_s;
const QString kAddTaskSection = u"Add Task"_s;
const QString kTaskField = u"Task"_s;
const QString kAdd = u"Add"_s;
const QString kChecklistSection = u"Checklist"_s;
const QString kNoTasks = u"No tasks yet"_s;
const QString kDelete = u"Delete"_s;
const QString kExport = u"Export\u2026"_s;

const QString kLoadFailed = u"Could not load the project: "_s;
const QString kNotesFailed = u"Could not save the project notes: "_s;
const QString kAddFailed = u"Could not add the task: "_s;
const QString kToggleFailed = u"Could not change the task: "_s;
const QString kDeleteFailed = u"Could not delete the tasks: "_s;
const QString kUndoFailed = u"Could not undo: "_s;

constexpr int kNotesMinimumLines = 3;
constexpr int kNotesMaximumLines = 10;

} // namespace

PrepProjectDetailView::PrepProjectDetailView(PrepChecklist &checklist, qint64 projectId,
                                             ModelStore &store, QWidget *parent)
    : QWidget(parent), m_checklist(checklist), m_projectId(projectId),
      m_header(new PrepScreenHeader({})),
      m_notes(new PrepGrowingTextEdit(kNotesMinimumLines, kNotesMaximumLines)),
      m_notesTimer(new QTimer(this)), m_undo(new ScreenUndo(this))
{
    auto *exportButton = new QPushButton(kExport);
    exportButton->setObjectName(u"exportButton"_s);
    exportButton->setAutoDefault(false);
    const QColor iconColor = palette().color(QPalette::ButtonText);
    exportButton->setIcon(IconLibrary::icon(u"square.and.arrow.up"_s, iconColor,
                                            IconLibrary::monochromeSecondary(iconColor)));
    m_header->addAction(exportButton);
    m_header->enableBack(this);

    m_notes->setObjectName(u"notesField"_s);
    m_notes->setPlaceholderText(kNotesPlaceholder);
    m_notes->setAccessibleName(kNotesSection);
    auto *notesSection = new FormSection(kNotesSection);
    notesSection->body()->addWidget(m_notes);

    auto *backdrop = new Backdrop;
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(18);
    content->addWidget(m_header);
    content->addWidget(notesSection);
    content->addWidget(buildAddTaskSection());
    content->addWidget(buildChecklistSection(), 1);
    content->addWidget(m_undo->notice());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    setTabOrder(m_notes, m_taskField);
    setTabOrder(m_taskField, m_add);
    setTabOrder(m_add, m_list);
    setFocusProxy(m_taskField);

    connect(m_header, &PrepScreenHeader::backRequested, this,
            &PrepProjectDetailView::backRequested);
    connect(exportButton, &QPushButton::clicked, this, &PrepProjectDetailView::chooseExportFile);
    connect(&store, &ModelStore::changed, this, &PrepProjectDetailView::reload);

    if (const auto project = m_checklist.project(m_projectId); project && *project)
        m_notes->setPlainText((*project)->notes);
    reload();

    // Connected after the stored notes are in the field: loading them is no edit.
    m_notesTimer->setSingleShot(true);
    m_notesTimer->setInterval(kNotesSaveDelayMs);
    connect(m_notesTimer, &QTimer::timeout, this, &PrepProjectDetailView::saveNotes);
    connect(m_notes, &QPlainTextEdit::textChanged, m_notesTimer, qOverload<>(&QTimer::start));
    connect(&AppLifecycle::instance(), &AppLifecycle::saveRequested, this, [this] {
        if (notesPending())
            saveNotes();
    });
}

PrepProjectDetailView::~PrepProjectDetailView()
{
    // Being destroyed is the screen going away too; a hidden screen stored its notes then.
    if (isVisible() || notesPending()) {
        m_leaving = true;
        saveNotes();
    }
}

QWidget *PrepProjectDetailView::buildAddTaskSection()
{
    m_taskField = new QLineEdit;
    m_taskField->setObjectName(u"taskField"_s);
    m_taskField->setPlaceholderText(kTaskField);
    m_taskField->setAccessibleName(kTaskField);
    m_add = new QPushButton(kAdd);
    m_add->setObjectName(u"addButton"_s);
    m_add->setAutoDefault(false);
    m_add->setEnabled(false);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(m_taskField, 1);
    row->addWidget(m_add);
    auto *section = new FormSection(kAddTaskSection);
    section->body()->addLayout(row);

    // Return in the field adds nothing: only the button does.
    connect(m_taskField, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_add->setEnabled(!text.trimmed().isEmpty()); });
    connect(m_add, &QPushButton::clicked, this, &PrepProjectDetailView::addTask);
    return section;
}

QWidget *PrepProjectDetailView::buildChecklistSection()
{
    m_noTasks = new QLabel(kNoTasks);
    m_noTasks->setObjectName(u"noTasksText"_s);
    m_noTasks->setForegroundRole(QPalette::PlaceholderText);
    m_list = new QListWidget;
    m_list->setObjectName(u"checklist"_s);
    m_list->setAccessibleName(kChecklistSection);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMinimumHeight(80);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_list->setPalette(palette);
    m_list->viewport()->setAutoFillBackground(false);

    auto *section = new FormSection(kChecklistSection);
    section->body()->addWidget(m_noTasks);
    section->body()->addWidget(m_list, 1);
    section->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);

    connect(m_list, &QListWidget::clicked, this, [this](const QModelIndex &index) {
        // A click with Ctrl or Shift only changes the selection.
        if (QGuiApplication::keyboardModifiers() == Qt::NoModifier)
            openTask(index.row());
    });
    connect(m_list, &QListWidget::customContextMenuRequested, this,
            &PrepProjectDetailView::showContextMenu);
    return section;
}

QString PrepProjectDetailView::errorText() const
{
    return m_header->errorText();
}

void PrepProjectDetailView::report(const QString &prefix, const Error &error)
{
    const QString text = prefix + error.description;
    m_header->setErrorText(text);
    if (m_leaving)
        Q_EMIT failedWhileLeaving(text);
}

void PrepProjectDetailView::clearError(const QString &prefix)
{
    if (m_header->errorText().startsWith(prefix))
        m_header->setErrorText({});
}

void PrepProjectDetailView::reload()
{
    const auto project = m_checklist.project(m_projectId);
    if (!project) {
        report(kLoadFailed, project.error());
        return;
    }
    if (*project) {
        m_projectName = (*project)->name;
        m_header->setTitle(m_projectName);
        setWindowTitle(m_projectName);
    }
    auto tasks = m_checklist.sortedTasks(m_projectId);
    if (!tasks) {
        report(kLoadFailed, tasks.error());
        return;
    }
    m_tasks = std::move(tasks).value();
    rebuildRows();
}

void PrepProjectDetailView::rebuildRows()
{
    // Rows are told apart by their task, so the selection stays on the same tasks when they move.
    QSet<qint64> selected;
    for (const QListWidgetItem *item : m_list->selectedItems())
        selected.insert(item->data(Qt::UserRole).toLongLong());
    const QListWidgetItem *current = m_list->currentItem();
    const qint64 currentId = current ? current->data(Qt::UserRole).toLongLong() : 0;

    m_list->clear();
    for (const PrepTask &task : std::as_const(m_tasks)) {
        auto *item = new QListWidgetItem(m_list);
        item->setData(Qt::UserRole, task.id);
        item->setData(Qt::AccessibleTextRole, task.title);
        auto *row = new PrepTaskRow(task);
        m_list->setItemWidget(item, row);
        connect(row, &PrepTaskRow::toggleRequested, this, &PrepProjectDetailView::toggleTask);
        if (task.id == currentId)
            m_list->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        item->setSelected(selected.contains(task.id));
    }
    m_noTasks->setVisible(m_tasks.isEmpty());
    m_list->setVisible(!m_tasks.isEmpty());
    fitRowHeights();
}

void PrepProjectDetailView::fitRowHeights()
{
    const int width = m_list->viewport()->width();
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (const QWidget *widget = m_list->itemWidget(item)) {
            const int height =
                std::max(widget->heightForWidth(width), widget->minimumSizeHint().height());
            if (item->sizeHint() != QSize(width, height))
                item->setSizeHint(QSize(width, height));
        }
    }
}

QList<int> PrepProjectDetailView::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PrepProjectDetailView::openTask(int row)
{
    if (row >= 0 && row < m_tasks.size())
        Q_EMIT taskOpened(m_tasks[row]);
}

void PrepProjectDetailView::addTask()
{
    const QString title = m_taskField->text();
    if (title.trimmed().isEmpty())
        return;
    if (const auto added = m_checklist.addTask(m_projectId, title); !added) {
        report(kAddFailed, added.error());
        return;
    }
    m_header->setErrorText({});
    m_taskField->clear();
}

void PrepProjectDetailView::toggleTask(qint64 taskId)
{
    if (const auto toggled = m_checklist.toggleTask(taskId, m_projectId); !toggled) {
        report(kToggleFailed, toggled.error());
        return;
    }
    m_header->setErrorText({});
    // The pressed button went with its row; the focus stays on the task, in its new place.
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->data(Qt::UserRole).toLongLong() == taskId)
            m_list->setCurrentRow(row);
    }
    if (isVisible())
        m_list->setFocus();
}

void PrepProjectDetailView::deleteTasks(const QList<int> &rows)
{
    QList<PrepTask> doomed;
    for (int row : rows) {
        if (row >= 0 && row < m_tasks.size() && !doomed.contains(m_tasks[row]))
            doomed.append(m_tasks[row]);
    }
    if (doomed.isEmpty())
        return;
    using Step = PrepDeleteTasksCommand::Step;
    auto command = std::make_unique<PrepDeleteTasksCommand>(
        m_checklist, m_projectId, doomed, [this](Step step, const Error &error) {
            report(step == Step::Delete ? kDeleteFailed : kUndoFailed, error);
        });
    if (m_undo->push(std::move(command)))
        m_header->setErrorText({});
}

void PrepProjectDetailView::saveNotes()
{
    m_notesTimer->stop();
    if (const auto saved = m_checklist.saveProjectNotes(m_projectId, m_notes->toPlainText());
        !saved) {
        report(kNotesFailed, saved.error());
        return;
    }
    clearError(kNotesFailed);
}

bool PrepProjectDetailView::notesPending() const
{
    return m_notesTimer->isActive();
}

void PrepProjectDetailView::exportTo(const QString &path)
{
    if (const auto written = PrepMarkdownExport::write(m_checklist, m_projectId, path); !written) {
        m_header->setErrorText(PrepMarkdownExport::failureText(written.error()));
        return;
    }
    m_header->setErrorText({});
}

void PrepProjectDetailView::chooseExportFile()
{
    const QString path = PrepMarkdownExport::choosePath(this, m_projectName);
    if (!path.isEmpty())
        exportTo(path);
}

void PrepProjectDetailView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    if (!m_list->selectionModel()->isSelected(index))
        m_list->setCurrentRow(index.row());
    const QList<int> rows = selectedRows();
    QMenu menu(this);
    QAction *remove = menu.addAction(kDelete);
    remove->setShortcut(QKeySequence::Delete);
    if (menu.exec(m_list->viewport()->mapToGlobal(position)) == remove)
        deleteTasks(rows);
}

void PrepProjectDetailView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A minimised window only stores what waits; a hidden screen is the screen being left.
    if (event->spontaneous()) {
        if (notesPending())
            saveNotes();
        return;
    }
    m_leaving = true;
    saveNotes();
    m_leaving = false;
}

bool PrepProjectDetailView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        fitRowHeights();
    } else if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            deleteTasks(selectedRows());
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openTask(m_list->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace hb
