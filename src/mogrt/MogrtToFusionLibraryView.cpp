#include "mogrt/MogrtToFusionLibraryView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ScreenTitle.h"
#include "common/ScreenUndo.h"
#include "common/UndoNotice.h"
#include "mogrt/MogrtConverter.h"
#include "mogrt/MogrtLibraryDeleteCommand.h"
#include "mogrt/MogrtLibraryModel.h"
#include "mogrt/MogrtLibraryRenameCommand.h"
#include "mogrt/MogrtLibraryRowDelegate.h"
#include "mogrt/MogrtShareSheet.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

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
const QString kInstallFailed = QStringLiteral("Install failed. Error: ");
const QString kInstall = QStringLiteral("Install into Fusion");
const QString kReplace = QStringLiteral("Replace");
const QString kReplaceInFusion =
    QStringLiteral("%1 is already in Fusion\u2019s titles. Replace it with this macro?");
const QString kUndoFailed = QStringLiteral("Undo failed. Error: ");
const QString kRedoFailed = QStringLiteral("Redo failed. Error: ");
const QString kDeletePermanently = QStringLiteral("Delete Permanently");
const QString kNoTrash = QStringLiteral(
    "The trash is not available for the library folder. %1 will be deleted permanently; this "
    "cannot be undone.");
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
    : QWidget(parent), m_library(library), m_queue(std::move(library)),
      m_model(new MogrtLibraryModel(this)), m_undo(new ScreenUndo(this))
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
    content->addWidget(m_undo->notice());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    connect(&m_queue, &MogrtImportQueue::progressChanged, this,
            &MogrtToFusionLibraryView::onProgress);
    connect(&m_queue, &MogrtImportQueue::batchFinished, this,
            &MogrtToFusionLibraryView::onBatchFinished);
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            &MogrtToFusionLibraryView::updateEmptyText);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            &MogrtToFusionLibraryView::updateEmptyText);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            &MogrtToFusionLibraryView::updateEmptyText);
    updateEmptyText();
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
    m_warning = secondaryLabel(QStringLiteral("warningText"), nullptr);
    m_warning->hide();
    m_error = secondaryLabel(QStringLiteral("errorText"), nullptr);
    m_error->hide();
    section->body()->addLayout(row);
    section->body()->addWidget(m_progress);
    section->body()->addWidget(m_summary);
    section->body()->addWidget(m_warning);
    section->body()->addWidget(m_error);
    connect(import, &QPushButton::clicked, this, &MogrtToFusionLibraryView::chooseFile);
    return section;
}

QWidget *MogrtToFusionLibraryView::buildLibrarySection()
{
    auto *section = new FormSection(kSection);
    m_empty = secondaryLabel(QStringLiteral("emptyText"), nullptr);
    m_empty->setText(kEmpty);
    m_list = new QListView;
    m_list->setObjectName(QStringLiteral("libraryList"));
    m_list->setAccessibleName(kSection);
    m_list->setModel(m_model);
    // One height for all rows: the list never measures thousands of them.
    m_list->setUniformItemSizes(true);
    auto *rows = new MogrtLibraryRowDelegate(m_list);
    m_list->setItemDelegate(rows);
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
    connect(m_list, &QListView::customContextMenuRequested, this,
            &MogrtToFusionLibraryView::showContextMenu);
    connect(rows, &MogrtLibraryRowDelegate::shareRequested, this,
            &MogrtToFusionLibraryView::shareItem);
    return section;
}

QString MogrtToFusionLibraryView::summaryText() const
{
    return m_summary->isVisible() ? m_summary->text() : QString();
}

QString MogrtToFusionLibraryView::warningText() const
{
    return m_warning->isVisible() ? m_warning->text() : QString();
}

const QList<LibraryItem> &MogrtToFusionLibraryView::items() const
{
    return m_model->items();
}

void MogrtToFusionLibraryView::loadLibrary()
{
    auto items = m_library.load();
    if (!items) {
        m_model->setItems({});
        setErrorText(kLoadFailed + items.error().description);
    } else {
        m_model->setItems(std::move(*items));
        setErrorText({});
    }
}

void MogrtToFusionLibraryView::updateEmptyText()
{
    const bool empty = m_model->rowCount() == 0;
    m_empty->setVisible(empty);
    m_list->setVisible(!empty);
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
    m_warning->hide();
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
    QStringList warnings;
    for (const MogrtImportQueue::Outcome &outcome : outcomes) {
        const QString prefix =
            outcomes.size() == 1 ? QString() : QFileInfo(outcome.source).fileName() + u": ";
        if (!outcome.stored)
            failures.append(prefix + outcome.error);
        else if (outcome.usesDefaults)
            warnings.append(prefix + noKnownControlsText() + u'.');
    }
    m_warning->setText(warnings.join(u"\n"));
    m_warning->setVisible(!warnings.isEmpty());
    for (const MogrtImportQueue::Outcome &outcome : outcomes) {
        if (outcome.stored)
            m_model->insert(MogrtLibrary::itemAt(*outcome.stored));
    }
    if (failures.size() < outcomes.size())
        setErrorText({}); // an earlier message is out of date
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
    QList<LibraryItem> chosen;
    for (int row : rows) {
        if (row >= 0 && row < items().size())
            chosen.append(items().at(row));
    }
    QList<MogrtLibraryDeleteCommand::Trashed> trashed;
    QList<LibraryItem> noTrash;
    QStringList failures;
    for (const LibraryItem &item : std::as_const(chosen)) {
        const auto moved = m_library.moveToTrash(item.fileURL);
        if (moved) {
            m_model->remove(item.id);
            trashed.append({item, *moved});
        } else if (moved.error().is(MogrtLibraryError::TrashUnavailable)) {
            noTrash.append(item);
        } else {
            failures.append(moved.error().description);
        }
    }
    if (!trashed.isEmpty()) {
        setErrorText({}); // an earlier message is out of date
        m_undo->push(std::make_unique<MogrtLibraryDeleteCommand>(
            m_library, m_model, std::move(trashed),
            [this](bool undoing, const QString &description) {
                reportUndoFailure(undoing, description);
            }));
    }
    if (!failures.isEmpty())
        setErrorText(kDeleteFailed + failures.join(u"\n"));
    if (!noTrash.isEmpty())
        askToDeletePermanently(noTrash);
}

void MogrtToFusionLibraryView::askToDeletePermanently(const QList<LibraryItem> &items)
{
    const QString what = items.size() == 1
                             ? QString(u"\u201C" + items.first().displayName + u"\u201D")
                             : QString(QString::number(items.size()) + u" templates");
    auto *box = new QMessageBox(QMessageBox::Warning, kDeletePermanently, kNoTrash.arg(what),
                                QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("permanentDeleteConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *confirm = box->addButton(kDeletePermanently, QMessageBox::DestructiveRole);
    confirm->setObjectName(QStringLiteral("deletePermanentlyButton"));
    box->setDefaultButton(QMessageBox::Cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, confirm, items](QAbstractButton *b) {
        if (b == confirm)
            deletePermanently(items);
    });
    box->open();
}

void MogrtToFusionLibraryView::deletePermanently(const QList<LibraryItem> &items)
{
    QStringList failures;
    for (const LibraryItem &item : items) {
        if (const auto removed = m_library.remove(item.fileURL); !removed)
            failures.append(removed.error().description);
        else
            m_model->remove(item.id);
    }
    if (!failures.isEmpty())
        setErrorText(kDeleteFailed + failures.join(u"\n"));
}

void MogrtToFusionLibraryView::reportUndoFailure(bool undoing, const QString &description)
{
    setErrorText((undoing ? kUndoFailed : kRedoFailed) + description);
}

void MogrtToFusionLibraryView::renameItem(int row, const QString &newName)
{
    if (row < 0 || row >= items().size())
        return;
    const LibraryItem before = items().at(row);
    const auto renamed = m_library.rename(before.fileURL, newName);
    if (!renamed) {
        setErrorText(kRenameFailed + renamed.error().description);
        return;
    }
    if (*renamed == before.fileURL)
        return; // the same name
    setErrorText({});
    const LibraryItem after = MogrtLibrary::itemAt(*renamed);
    const int moved = m_model->replace(before.id, after);
    m_list->setCurrentIndex(m_model->index(moved));
    m_undo->push(std::make_unique<MogrtLibraryRenameCommand>(
        m_library, m_model, before, after, [this](bool undoing, const QString &description) {
            reportUndoFailure(undoing, description);
        }));
}

void MogrtToFusionLibraryView::askToRename(int row)
{
    if (row < 0 || row >= items().size())
        return;
    bool accepted = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Rename"), QStringLiteral("Name:"),
                              QLineEdit::Normal, items().at(row).displayName, &accepted);
    if (accepted)
        renameItem(row, name);
}

void MogrtToFusionLibraryView::shareItem(int row)
{
    if (row < 0 || row >= items().size())
        return;
    auto *sheet = new MogrtShareSheet(items().at(row).fileURL, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setObjectName(QStringLiteral("shareSheet"));
    sheet->open();
}

void MogrtToFusionLibraryView::installItem(int row)
{
    if (row >= 0 && row < items().size())
        install(items().at(row), false);
}

void MogrtToFusionLibraryView::install(const LibraryItem &item, bool replace)
{
    const auto installed = m_library.installIntoFusion(item.fileURL, replace);
    if (!installed && installed.error().is(MogrtLibraryError::NameTaken)) {
        askToReplaceInFusion(item);
        return;
    }
    if (!installed) {
        setErrorText(kInstallFailed + installed.error().description);
        return;
    }
    setErrorText({});
    m_summary->setText(u"Installed \u201C" + item.displayName + u"\u201D into Fusion: " +
                       QDir::toNativeSeparators(*installed));
    m_summary->show();
}

void MogrtToFusionLibraryView::askToReplaceInFusion(const LibraryItem &item)
{
    auto *box = new QMessageBox(QMessageBox::Question, kInstall,
                                kReplaceInFusion.arg(u"\u201C" + item.displayName + u"\u201D"),
                                QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("replaceInFusionConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *confirm = box->addButton(kReplace, QMessageBox::AcceptRole);
    confirm->setObjectName(QStringLiteral("replaceInFusionButton"));
    box->setDefaultButton(QMessageBox::Cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, confirm, item](QAbstractButton *b) {
        if (b == confirm)
            install(item, true);
    });
    box->open();
}

void MogrtToFusionLibraryView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    if (!m_list->selectionModel()->isSelected(index))
        m_list->setCurrentIndex(index);
    const QList<int> rows = selectedRows();
    QMenu menu(this);
    // The rows' painted buttons are not reachable from the keyboard; the menu is.
    QAction *share = menu.addAction(QStringLiteral("Share"));
    share->setEnabled(rows.size() == 1);
    QAction *install = menu.addAction(kInstall);
    install->setEnabled(rows.size() == 1);
    QAction *rename = menu.addAction(QStringLiteral("Rename"));
    rename->setEnabled(rows.size() == 1);
    QAction *remove = menu.addAction(QStringLiteral("Delete"));
    QAction *chosen = menu.exec(m_list->viewport()->mapToGlobal(position));
    if (chosen == share)
        shareItem(index.row());
    else if (chosen == install)
        installItem(index.row());
    else if (chosen == rename)
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
            askToRename(m_list->currentIndex().row());
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
