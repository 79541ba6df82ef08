#include "mogrt/MogrtToFusionLibraryView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ScreenTitle.h"
#include "mogrt/MogrtLibraryRow.h"
#include "mogrt/MogrtShareSheet.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>

namespace hb {
namespace {

const QString kTitle = QStringLiteral("MOGRT \u2192 Fusion");
const QString kImport = QStringLiteral("Import .mogrt");
const QString kSection = QStringLiteral("Converted Templates");
const QString kEmpty = QStringLiteral("No conversions yet.");
const QString kImportFailed = QStringLiteral("Import failed. Error: ");
const QString kLoadFailed = QStringLiteral("Failed to load library. Error: ");
const QString kDeleteFailed = QStringLiteral("Delete failed. Error: ");
const QString kRenameFailed = QStringLiteral("Rename failed. Error: ");
const QString kDropHint = QStringLiteral("Or drop .mogrt files here to convert several at once.");

QStringList droppedTemplates(const QMimeData *data)
{
    QStringList paths;
    if (!data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).suffix().toLower() == u"mogrt")
            paths.append(url.toLocalFile());
    }
    return paths;
}

QLabel *secondaryLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

MogrtToFusionLibraryView::MogrtToFusionLibraryView(MogrtLibrary library, QWidget *parent)
    : QWidget(parent), m_library(library), m_queue(std::move(library))
{
    setWindowTitle(kTitle);
    setAcceptDrops(true);
    auto *title = new ScreenTitle(kTitle);

    auto *backdrop = new Backdrop;
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(18);
    content->addWidget(title);
    content->addWidget(buildImportSection());
    content->addWidget(buildLibrarySection(), 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    connect(&m_queue, &MogrtImportQueue::progressChanged, this,
            &MogrtToFusionLibraryView::onProgress);
    connect(&m_queue, &MogrtImportQueue::batchFinished, this,
            &MogrtToFusionLibraryView::onBatchFinished);
    refreshList();
}

MogrtToFusionLibraryView::~MogrtToFusionLibraryView() = default;

QWidget *MogrtToFusionLibraryView::buildImportSection()
{
    auto *section = new FormSection({});
    auto *import = new QPushButton(kImport);
    import->setObjectName(QStringLiteral("importButton"));
    auto *hint = secondaryLabel(QStringLiteral("dropHint"), nullptr);
    hint->setText(kDropHint);
    auto *row = new QHBoxLayout;
    row->addWidget(import);
    row->addWidget(hint, 1);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("importProgress"));
    m_progress->setFormat(QStringLiteral("Converting %v of %m\u2026"));
    m_progress->hide();
    m_summary = secondaryLabel(QStringLiteral("importSummary"), nullptr);
    m_summary->hide();
    m_error = secondaryLabel(QStringLiteral("errorText"), nullptr);
    m_error->hide();
    section->body()->addLayout(row);
    section->body()->addWidget(m_progress);
    section->body()->addWidget(m_summary);
    section->body()->addWidget(m_error);
    connect(import, &QPushButton::clicked, this, &MogrtToFusionLibraryView::chooseFile);
    return section;
}

QWidget *MogrtToFusionLibraryView::buildLibrarySection()
{
    auto *section = new FormSection(kSection);
    m_empty = secondaryLabel(QStringLiteral("emptyText"), nullptr);
    m_empty->setText(kEmpty);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("libraryList"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->installEventFilter(this);
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_list->setPalette(palette);
    section->body()->addWidget(m_empty);
    section->body()->addWidget(m_list, 1);
    section->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    connect(m_list, &QListWidget::customContextMenuRequested, this,
            &MogrtToFusionLibraryView::showContextMenu);
    return section;
}

QString MogrtToFusionLibraryView::summaryText() const
{
    return m_summary->isVisible() ? m_summary->text() : QString();
}

void MogrtToFusionLibraryView::loadLibrary()
{
    const auto items = m_library.load();
    if (!items) {
        m_items.clear();
        setErrorText(kLoadFailed + items.error().description);
    } else {
        m_items = *items;
        setErrorText({});
    }
    refreshList();
}

void MogrtToFusionLibraryView::refreshList()
{
    m_list->clear();
    for (const LibraryItem &item : std::as_const(m_items)) {
        auto *listItem = new QListWidgetItem(m_list);
        listItem->setData(Qt::UserRole, item.id);
        listItem->setData(Qt::AccessibleTextRole, item.displayName);
        auto *row = new MogrtLibraryRow(item);
        listItem->setSizeHint(row->sizeHint());
        m_list->setItemWidget(listItem, row);
        connect(row, &MogrtLibraryRow::shareRequested, this,
                [this, listItem] { shareItem(m_list->row(listItem)); });
    }
    m_empty->setVisible(m_items.isEmpty());
    m_list->setVisible(!m_items.isEmpty());
}

void MogrtToFusionLibraryView::setErrorText(const QString &text)
{
    m_errorText = text;
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void MogrtToFusionLibraryView::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(
        this, kImport, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Motion graphics templates (*.mogrt)"));
    if (!path.isEmpty())
        importFiles({path});
}

void MogrtToFusionLibraryView::importFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    m_summary->hide();
    m_queue.importFiles(paths);
}

void MogrtToFusionLibraryView::onProgress(int done, int total)
{
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progress->setVisible(done < total && total > 1);
}

void MogrtToFusionLibraryView::onBatchFinished(const QList<MogrtImportQueue::Outcome> &outcomes)
{
    m_progress->setVisible(m_queue.isBusy());
    QStringList failures;
    for (const MogrtImportQueue::Outcome &outcome : outcomes) {
        if (!outcome.stored)
            failures.append(outcomes.size() == 1
                                ? outcome.error
                                : QFileInfo(outcome.source).fileName() + u": " + outcome.error);
    }
    if (failures.size() < outcomes.size())
        loadLibrary(); // clears an earlier message
    if (outcomes.size() > 1) {
        const qsizetype imported = outcomes.size() - failures.size();
        m_summary->setText(u"Imported " + QString::number(imported) + u" of " +
                           QString::number(outcomes.size()) + u" templates.");
        m_summary->show();
    }
    if (!failures.isEmpty())
        setErrorText(kImportFailed + failures.join(u"\n"));
    Q_EMIT importsApplied();
}

QList<int> MogrtToFusionLibraryView::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MogrtToFusionLibraryView::deleteItems(const QList<int> &rows)
{
    // Every position refers to the list as shown before anything is removed.
    QStringList paths;
    for (int row : rows) {
        if (row >= 0 && row < m_items.size())
            paths.append(m_items[row].fileURL);
    }
    QStringList failures;
    for (const QString &path : std::as_const(paths)) {
        if (const auto removed = m_library.remove(path); !removed)
            failures.append(removed.error().description);
    }
    if (failures.size() < paths.size())
        loadLibrary();
    if (!failures.isEmpty())
        setErrorText(kDeleteFailed + failures.join(u"\n"));
}

void MogrtToFusionLibraryView::renameItem(int row, const QString &newName)
{
    if (row < 0 || row >= m_items.size())
        return;
    const auto renamed = m_library.rename(m_items[row].fileURL, newName);
    if (!renamed) {
        setErrorText(kRenameFailed + renamed.error().description);
        return;
    }
    loadLibrary();
    const auto index = std::find_if(m_items.cbegin(), m_items.cend(),
                                    [&](const LibraryItem &item) { return item.id == *renamed; });
    if (index != m_items.cend())
        m_list->setCurrentRow(int(index - m_items.cbegin()));
}

void MogrtToFusionLibraryView::askToRename(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    bool accepted = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Rename"), QStringLiteral("Name:"),
                              QLineEdit::Normal, m_items[row].displayName, &accepted);
    if (accepted)
        renameItem(row, name);
}

void MogrtToFusionLibraryView::shareItem(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    auto *sheet = new MogrtShareSheet(m_items[row].fileURL, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setObjectName(QStringLiteral("shareSheet"));
    sheet->open();
}

void MogrtToFusionLibraryView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    if (!m_list->selectionModel()->isSelected(index))
        m_list->setCurrentRow(index.row());
    const QList<int> rows = selectedRows();
    QMenu menu(this);
    QAction *rename = menu.addAction(QStringLiteral("Rename"));
    rename->setEnabled(rows.size() == 1);
    QAction *remove = menu.addAction(QStringLiteral("Delete"));
    QAction *chosen = menu.exec(m_list->viewport()->mapToGlobal(position));
    if (chosen == rename)
        askToRename(index.row());
    else if (chosen == remove)
        deleteItems(rows);
}

bool MogrtToFusionLibraryView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            deleteItems(selectedRows());
            return true;
        }
        if (key == Qt::Key_F2) {
            askToRename(m_list->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MogrtToFusionLibraryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        loadLibrary();
}

void MogrtToFusionLibraryView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedTemplates(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MogrtToFusionLibraryView::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedTemplates(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    importFiles(paths);
}

} // namespace hb
