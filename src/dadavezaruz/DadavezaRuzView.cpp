#include "dadavezaruz/DadavezaRuzView.h"

#include "common/Backdrop.h"
#include "common/IconLibrary.h"
#include "common/ScreenUndo.h"
#include "common/Settings.h"
#include "common/UndoNotice.h"
#include "dadavezaruz/AddPageSheet.h"
#include "dadavezaruz/ConnectionSheet.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/EditButtonSheet.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/PadCommands.h"
#include "dadavezaruz/PadEmptyState.h"
#include "dadavezaruz/PadHeader.h"
#include "dadavezaruz/PadStatusLine.h"
#include "dadavezaruz/PageTabBar.h"
#include "dadavezaruz/ShortcutGrid.h"
#include "dadavezaruz/ShortcutGridView.h"
#include "dadavezaruz/ShortcutPageListModel.h"
#include "dadavezaruz/TcpDadavezaRuzTransport.h"
#include "platform/dnssd/AvahiServiceDiscovery.h"
#include "platform/store/ModelStore.h"

#include <QAction>
#include <QHideEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"DadavezaRuz"_s;
const QString kRename = u"Rename"_s;
const QString kRenameTitle = u"Rename Page"_s;
const QString kPageName = u"Page Name"_s;
const QString kDeletePage = u"Delete Page"_s;
const QString kDuplicatePage = u"Duplicate Page"_s;
const QString kDuplicate = u"Duplicate"_s;
const QString kCopyToPage = u"Copy to Page"_s;

// An action for a key anywhere on the pad but in its sheets, which are windows of their own.
QAction *padKey(QWidget *pad, const QKeySequence &keys, const std::function<void()> &slot)
{
    auto *action = new QAction(pad);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(action, &QAction::triggered, pad, slot);
    pad->addAction(action);
    return action;
}

QGradientStops padStops()
{
    return {{0.0, QColor::fromRgbF(0.05f, 0.07f, 0.14f)},
            {1.0, QColor::fromRgbF(0.04f, 0.05f, 0.10f)}};
}

QIcon symbolIcon(const QString &symbol, const QColor &color)
{
    return IconLibrary::icon(symbol, color, IconLibrary::monochromeSecondary(color));
}

} // namespace

DadavezaRuzView::DadavezaRuzView(ModelStore &store, Settings &settings, QWidget *parent)
    : DadavezaRuzView(store, settings, std::make_unique<AvahiServiceDiscovery>(), nullptr, parent)
{
}

DadavezaRuzView::DadavezaRuzView(ModelStore &store, Settings &settings,
                                 std::unique_ptr<ServiceDiscovery> discovery,
                                 std::unique_ptr<DadavezaRuzTransport> transport, QWidget *parent)
    : QWidget(parent), m_store(store), m_settings(settings), m_pad(store),
      m_discovery(std::move(discovery)),
      m_transport(transport ? std::move(transport)
                            : std::make_unique<TcpDadavezaRuzTransport>(*m_discovery)),
      m_connection(std::make_unique<DadavezaRuzConnection>(settings, *m_transport, *m_discovery)),
      m_pages(new ShortcutPageListModel(store, this))
{
    setWindowTitle(kTitle);
    m_storeError = new QLabel;
    m_storeError->setObjectName(u"storeError"_s);
    m_storeError->setWordWrap(true);
    m_storeError->setStyleSheet(u"color: %1;"_s.arg(PadColors::red.name()));
    m_storeError->hide();
    m_body = new QStackedWidget;
    m_body->addWidget(buildPage());
    m_body->addWidget(buildEmptyState());

    auto *backdrop = new Backdrop(padStops());
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(12);
    content->addWidget(buildHeader());
    m_statusLine = new PadStatusLine(*m_connection);
    content->addWidget(m_statusLine);
    content->addWidget(m_storeError);
    content->addWidget(m_body, 1);
    m_undo = new ScreenUndo(this);
    content->addWidget(m_undo->notice());
    m_commands = std::make_unique<PadCommands>(
        m_store, m_pad, *m_undo,
        PadCommands::Hooks{[this](const QString &text) { showStoreError(text); },
                           [this](qint64 page, std::optional<ShortcutGridCell> cell) {
                               selectPage(page);
                               if (cell)
                                   m_grid->setFocusCell(*cell);
                           }});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    connect(m_pages, &QAbstractItemModel::modelReset, this, &DadavezaRuzView::refreshPages);
    connect(&m_store, &ModelStore::changed, this, &DadavezaRuzView::refreshGrid);
    connect(m_connection.get(), &DadavezaRuzConnection::stateChanged, this,
            [this] { m_header->setConnected(m_connection->isConnected()); });

    refreshPages();
    m_statusLine->refresh();
    m_header->setConnected(m_connection->isConnected());
}

DadavezaRuzView::~DadavezaRuzView()
{
    // Sheets hold the connection: they go first.
    delete m_connectionSheet.data();
    delete m_editor.data();
}

// The current page: its tab among the others, above its grid.
QWidget *DadavezaRuzView::buildPage()
{
    m_tabs = new PageTabBar(*m_pages);
    m_tabs->setObjectName(u"pageTabs"_s);
    m_grid = new ShortcutGridView;
    m_grid->setObjectName(u"grid"_s);
    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(8);
    pageLayout->addWidget(m_tabs);
    pageLayout->addWidget(m_grid, 1);

    connect(m_tabs, &PageTabBar::pageClicked, this, &DadavezaRuzView::selectPage);
    connect(m_tabs, &PageTabBar::currentPageChanged, this, [this](qint64 pageId) {
        if (currentPage() && pageId != currentPage()->id)
            selectPage(pageId);
    });
    connect(m_tabs, &PageTabBar::menuRequested, this, &DadavezaRuzView::showPageMenu);
    connect(m_grid, &ShortcutGridView::cellTapped, this, &DadavezaRuzView::tapCell);
    connect(m_grid, &ShortcutGridView::pageStepRequested, this, &DadavezaRuzView::stepPage);
    connect(m_grid, &ShortcutGridView::buttonDropped, this, &DadavezaRuzView::dropButton);
    connect(m_tabs, &PageTabBar::pageMoved, this, [this](qint64 pageId, int newIndex) {
        if (m_editMode)
            movePage(pageId, newIndex);
        // The tabs show the store's order again, whether the move went through or not.
        refreshPages();
    });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &DadavezaRuzView::showButtonMenu);

    // Anywhere on the pad but in its sheets, which are windows of their own.
    auto *duplicate = new QAction(kDuplicate, this);
    duplicate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    duplicate->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(duplicate, &QAction::triggered, this, &DadavezaRuzView::duplicateFocusedButton);
    addAction(duplicate);
    padKey(this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp),
           [this] { moveCurrentPage(-1); });
    padKey(this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown),
           [this] { moveCurrentPage(1); });
    padKey(this, QKeySequence(Qt::CTRL | Qt::Key_X), [this] { cutFocusedButton(); });
    padKey(this, QKeySequence(Qt::CTRL | Qt::Key_V), [this] { pasteOnFocusedCell(); });
    // Only while a button is cut, so that Esc keeps its other uses.
    m_forgetCut = padKey(this, QKeySequence(Qt::Key_Escape), [this] { forgetCut(); });
    m_forgetCut->setEnabled(false);
    return page;
}

QWidget *DadavezaRuzView::buildHeader()
{
    m_header = new PadHeader(kTitle);
    connect(m_header, &PadHeader::connectionClicked, this, &DadavezaRuzView::openConnectionSheet);
    connect(m_header, &PadHeader::editClicked, this, [this] {
        setEditMode(!m_editMode);
        // The pad's keys go on working: the grid keeps the keyboard, not the button.
        m_grid->setFocus(Qt::OtherFocusReason);
    });
    connect(m_header, &PadHeader::addPageClicked, this, &DadavezaRuzView::openAddPageSheet);
    return m_header;
}

QWidget *DadavezaRuzView::buildEmptyState()
{
    auto *empty = new PadEmptyState(palette().color(QPalette::PlaceholderText));
    connect(empty, &PadEmptyState::addPageClicked, this, &DadavezaRuzView::openAddPageSheet);
    return empty;
}

std::optional<ShortcutPage> DadavezaRuzView::currentPage() const
{
    const QList<ShortcutPage> &pages = m_pages->pages();
    if (m_selectedPage) {
        for (const ShortcutPage &page : pages) {
            if (page.id == *m_selectedPage)
                return page;
        }
    }
    if (pages.isEmpty())
        return std::nullopt;
    return pages.constFirst();
}

void DadavezaRuzView::selectPage(qint64 pageId)
{
    // The editor's button belongs to the page being left.
    if (m_editor && (!currentPage() || currentPage()->id != pageId))
        m_editor->reject();
    m_selectedPage = pageId;
    refreshPages();
}

void DadavezaRuzView::stepPage(int delta)
{
    const QList<ShortcutPage> &pages = m_pages->pages();
    const std::optional<ShortcutPage> current = currentPage();
    if (!current || pages.isEmpty())
        return;
    const int row = m_pages->rowOf(current->id);
    const int next = std::clamp(row + delta, 0, int(pages.size()) - 1);
    selectPage(pages[next].id);
}

void DadavezaRuzView::refreshPages()
{
    const std::optional<ShortcutPage> current = currentPage();
    m_tabs->showPages(current ? std::optional(current->id) : std::nullopt);
    m_body->setCurrentIndex(m_pages->pages().isEmpty() ? 1 : 0);
    refreshGrid();
}

void DadavezaRuzView::refreshGrid()
{
    if (m_parked) {
        m_gridStale = true;
        return;
    }
    const std::optional<ShortcutPage> page = currentPage();
    if (!page) {
        m_grid->setButtons({});
        return;
    }
    Expected<QList<ShortcutButton>> buttons = m_pad.buttons(page->id);
    if (!buttons) {
        showStoreError(buttons.error().description);
        return;
    }
    m_grid->setButtons(*buttons);
}

QString DadavezaRuzView::storeErrorText() const
{
    return m_storeError->isHidden() ? QString() : m_storeError->text();
}

void DadavezaRuzView::showStoreError(const QString &text)
{
    m_storeError->setText(text);
    m_storeError->setVisible(!text.isEmpty());
}

void DadavezaRuzView::setEditMode(bool on)
{
    m_editMode = on;
    if (!on)
        forgetCut();
    m_header->setEditMode(on);
    m_grid->setEditMode(on);
    m_tabs->setArranging(on);
}

void DadavezaRuzView::tapCell(int row, int col)
{
    if (row < 0 || row >= ShortcutGrid::kRows || col < 0 || col >= ShortcutGrid::kColumns)
        return;
    const std::optional<ShortcutButton> &button =
        m_grid->cells()[size_t(ShortcutGrid::indexOf(row, col))];
    if (button && m_editMode) {
        openEditor(button->id);
    } else if (button) {
        const QStringList keys = button->keysToSend();
        if (keys.isEmpty())
            return;
        m_feedbackButtonID = button->id;
        m_grid->setFeedbackButton(button->id);
        QTimer::singleShot(kFeedbackMsec, this, [this, tap = ++m_feedbackTap] {
            if (tap != m_feedbackTap)
                return;
            m_feedbackButtonID.reset();
            m_grid->setFeedbackButton(std::nullopt);
        });
        if (!m_connection->isConnected())
            return;
        const ShortcutMessage message{keys.first(), button->appTarget, keys.sliced(1),
                                      button->sequenceDelayMs};
        std::function<void()> posted;
        if (button->isToggle)
            posted = [this, id = button->id] { flipToggle(id); };
        m_connection->send(message, button->shownLabel(), posted);
    } else if (m_editMode) {
        const std::optional<ShortcutPage> page = currentPage();
        if (!page)
            return;
        Expected<ShortcutButton> added = m_pad.addButton(page->id, row, col);
        if (!added) {
            showStoreError(added.error().description);
            return;
        }
        openEditor(added->id);
    }
}

// Once a press has gone to the server, a two-state button shows and sends its other state. The
// button is read again: it may have been edited or deleted since the tap.
void DadavezaRuzView::flipToggle(qint64 buttonId)
{
    const Expected<std::optional<ShortcutButton>> button = m_pad.button(buttonId);
    if (!button) {
        showStoreError(button.error().description);
        return;
    }
    if (!*button || !(*button)->isToggle)
        return;
    const Expected<Done> flipped = m_pad.setToggledOn(buttonId, !(*button)->toggledOn);
    showStoreError(flipped ? QString() : flipped.error().description);
}

void DadavezaRuzView::renamePage(qint64 pageId, const QString &name)
{
    if (name.trimmed().isEmpty())
        return;
    const Expected<Done> renamed = m_pad.renamePage(pageId, name);
    showStoreError(renamed ? QString() : renamed.error().description);
}

void DadavezaRuzView::deletePage(qint64 pageId)
{
    m_commands->deletePage(pageId);
}

Expected<Done> DadavezaRuzView::deleteButton(qint64 buttonId)
{
    if (!m_commands->deleteButton(buttonId))
        return m_commands->lastError();
    return Done{};
}

void DadavezaRuzView::duplicateButton(qint64 buttonId)
{
    m_commands->duplicateButton(buttonId);
}

void DadavezaRuzView::copyButtonToPage(qint64 buttonId, qint64 pageId)
{
    m_commands->copyButtonToPage(buttonId, pageId);
}

void DadavezaRuzView::duplicatePage(qint64 pageId)
{
    m_commands->duplicatePage(pageId);
}

void DadavezaRuzView::duplicateFocusedButton()
{
    if (!m_editMode || m_body->currentIndex() != 0)
        return;
    const ShortcutGridCell cell = m_grid->focusCell();
    const std::optional<ShortcutButton> &button =
        m_grid->cells()[size_t(ShortcutGrid::indexOf(cell.row, cell.col))];
    if (button)
        duplicateButton(button->id);
}

void DadavezaRuzView::movePage(qint64 pageId, int newIndex)
{
    m_commands->movePage(pageId, newIndex);
}

void DadavezaRuzView::moveButton(qint64 buttonId, qint64 pageId, int row, int col)
{
    m_commands->moveButton(buttonId, pageId, row, col);
}

void DadavezaRuzView::moveCurrentPage(int delta)
{
    const std::optional<ShortcutPage> current = currentPage();
    if (!m_editMode || m_body->currentIndex() != 0 || !current)
        return;
    const int next = m_pages->rowOf(current->id) + delta;
    if (next >= 0 && next < m_pages->pages().size())
        movePage(current->id, next);
}

void DadavezaRuzView::cutFocusedButton()
{
    if (!m_editMode || m_body->currentIndex() != 0)
        return;
    const ShortcutGridCell cell = m_grid->focusCell();
    const std::optional<ShortcutButton> &button =
        m_grid->cells()[size_t(ShortcutGrid::indexOf(cell.row, cell.col))];
    if (!button)
        return;
    m_cutButton = button->id;
    m_grid->setCutButton(button->id);
    m_forgetCut->setEnabled(true);
}

void DadavezaRuzView::pasteOnFocusedCell()
{
    const std::optional<ShortcutPage> page = currentPage();
    if (!m_editMode || !m_cutButton || m_body->currentIndex() != 0 || !page)
        return;
    const qint64 button = *m_cutButton;
    forgetCut();
    const ShortcutGridCell cell = m_grid->focusCell();
    moveButton(button, page->id, cell.row, cell.col);
}

void DadavezaRuzView::dropButton(qint64 buttonId, int row, int col)
{
    const std::optional<ShortcutPage> page = currentPage();
    if (!m_editMode || !page || m_body->currentIndex() != 0)
        return;
    // The move it was cut for is done.
    if (m_cutButton == buttonId)
        forgetCut();
    moveButton(buttonId, page->id, row, col);
}

void DadavezaRuzView::forgetCut()
{
    m_cutButton.reset();
    m_grid->setCutButton(std::nullopt);
    if (m_forgetCut)
        m_forgetCut->setEnabled(false);
}

void DadavezaRuzView::addPage(const QString &name)
{
    Expected<ShortcutPage> page = m_pad.addPage(name);
    if (!page) {
        showStoreError(page.error().description);
        return;
    }
    showStoreError({});
    selectPage(page->id);
}

void DadavezaRuzView::showPageMenu(const ShortcutPage &page, const QPoint &globalPos)
{
    pageMenu(page)->exec(globalPos);
}

std::unique_ptr<QMenu> DadavezaRuzView::pageMenu(const ShortcutPage &page)
{
    auto menu = std::make_unique<QMenu>(this);
    const QColor text = palette().color(QPalette::WindowText);
    connect(menu->addAction(symbolIcon(u"pencil"_s, text), kRename), &QAction::triggered, this,
            [this, page] {
                bool ok = false;
                const QString name = QInputDialog::getText(this, kRenameTitle, kPageName,
                                                           QLineEdit::Normal, page.name, &ok);
                if (ok)
                    renamePage(page.id, name);
            });
    connect(menu->addAction(symbolIcon(u"plus.rectangle.fill"_s, text), kDuplicatePage),
            &QAction::triggered, this, [this, id = page.id] { duplicatePage(id); });
    connect(menu->addAction(symbolIcon(u"trash"_s, PadColors::red), kDeletePage),
            &QAction::triggered, this, [this, id = page.id] { deletePage(id); });
    return menu;
}

void DadavezaRuzView::showButtonMenu(const QPoint &at)
{
    const std::optional<ShortcutGridCell> cell = ShortcutGrid::cellAt(QSizeF(m_grid->size()), at);
    if (!m_editMode || !cell)
        return;
    const std::optional<ShortcutButton> &button =
        m_grid->cells()[size_t(ShortcutGrid::indexOf(cell->row, cell->col))];
    if (!button)
        return;
    m_grid->setFocusCell(*cell);
    buttonMenu(*button)->exec(m_grid->mapToGlobal(at));
}

std::unique_ptr<QMenu> DadavezaRuzView::buttonMenu(const ShortcutButton &button)
{
    auto menu = std::make_unique<QMenu>(this);
    const QColor text = palette().color(QPalette::WindowText);
    QAction *duplicate = menu->addAction(symbolIcon(u"plus.rectangle.fill"_s, text), kDuplicate);
    duplicate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(duplicate, &QAction::triggered, this, [this, id = button.id] { duplicateButton(id); });
    QMenu *copyTo = menu->addMenu(kCopyToPage);
    for (const ShortcutPage &page : m_pages->pages()) {
        if (page.id == button.page)
            continue;
        QAction *to = copyTo->addAction(QString(page.name).replace(u'&', u"&&"_s));
        to->setData(page.id);
        connect(to, &QAction::triggered, this,
                [this, id = button.id, page = page.id] { copyButtonToPage(id, page); });
    }
    copyTo->setEnabled(!copyTo->isEmpty());
    return menu;
}

ConnectionSheet *DadavezaRuzView::openConnectionSheet()
{
    if (m_connectionSheet)
        return m_connectionSheet;
    m_connectionSheet = new ConnectionSheet(*m_connection, m_settings, this);
    m_connectionSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_connectionSheet->open();
    return m_connectionSheet;
}

QWidget *DadavezaRuzView::openAddPageSheet()
{
    if (m_addPageSheet)
        return m_addPageSheet;
    auto *sheet = new AddPageSheet(this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &AddPageSheet::nameChosen, this, &DadavezaRuzView::addPage);
    m_addPageSheet = sheet;
    sheet->open();
    return sheet;
}

EditButtonSheet *DadavezaRuzView::openEditor(qint64 buttonId)
{
    if (m_editor)
        return m_editor;
    m_editor = new EditButtonSheet(m_pad, buttonId, this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    m_editor->setRemover([this](qint64 button) { return deleteButton(button); });
    m_editor->open();
    return m_editor;
}

void DadavezaRuzView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) // the window coming back, not the screen being opened
        return;
    m_parked = false;
    if (m_gridStale) {
        m_gridStale = false;
        refreshPages();
    }
    Expected<std::optional<qint64>> seeded = m_pad.seedDefaultPages();
    if (!seeded)
        showStoreError(seeded.error().description);
    else if (*seeded)
        selectPage(**seeded);
    m_connection->setReconnectAutomatically(
        m_settings.integer(SettingsKey::dadavezaruzReconnectAutomatically).value_or(0) != 0);
    if (!m_connection->isConnected())
        m_connection->autoConnect();
    m_grid->setFocus();
}

void DadavezaRuzView::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous()) {
        m_connection->setReconnectAutomatically(false);
        closeSheets();
        m_parked = true;
    }
    QWidget::hideEvent(event);
}

// Sheets are windows of their own: they would stay open over another tool, the connection
// sheet browsing the network. The editor asks first when it holds changes, unless the whole
// window is going away: then it keeps them.
void DadavezaRuzView::closeSheets()
{
    if (m_connectionSheet)
        m_connectionSheet->close();
    if (m_addPageSheet)
        m_addPageSheet->close();
    if (!m_editor)
        return;
    if (window() != this && !window()->isVisible())
        m_editor->keepAndClose();
    else
        m_editor->reject();
}

} // namespace hb
