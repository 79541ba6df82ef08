#include "dadavezaruz/DadavezaRuzView.h"

#include "common/Backdrop.h"
#include "common/IconLibrary.h"
#include "common/ScreenTitle.h"
#include "common/Settings.h"
#include "dadavezaruz/AddPageSheet.h"
#include "dadavezaruz/ConnectionSheet.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/EditButtonSheet.h"
#include "dadavezaruz/ShortcutGrid.h"
#include "dadavezaruz/ShortcutGridView.h"
#include "dadavezaruz/ShortcutPageListModel.h"
#include "dadavezaruz/TcpDadavezaRuzTransport.h"
#include "platform/dnssd/AvahiServiceDiscovery.h"
#include "platform/store/ModelStore.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPauseAnimation>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSequentialAnimationGroup>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"DadavezaRuz"_s;
const QString kEdit = u"Edit"_s;
const QString kDone = u"Done"_s;
const QString kNotConnected = u"Not connected — tap WiFi icon to connect"_s;
const QString kConnecting = u"Connecting…"_s;
const QString kConnectedTo = u"Connected to "_s;
const QString kErrorPrefix = u"Error: "_s;
const QString kReconnecting = u" — reconnecting in %1 s…"_s;
const QString kSeparator = u" — "_s;
const QString kSentPrefix = u"Sent: "_s;
const QString kRename = u"Rename"_s;
const QString kRenameTitle = u"Rename Page"_s;
const QString kPageName = u"Page Name"_s;
const QString kDeletePage = u"Delete Page"_s;
const QString kNoPages = u"No pages yet"_s;
const QString kAddFirstPage = u"Add First Page"_s;
const QString kConnectionTip = u"Connection"_s;
const QString kNewPageTip = u"New Page"_s;

const QColor kPurple(0x6B, 0x5C, 0xE7);
const QColor kTeal(0x18, 0xD3, 0xBC);
const QColor kGreen(0x28, 0xB7, 0x4F);
const QColor kRed(0xFC, 0x44, 0x44);

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

QString DadavezaRuzView::statusText(const DadavezaRuzConnection &connection)
{
    using State = DadavezaRuzConnection::State;
    const State state = connection.state();
    QString text;
    switch (state.kind) {
    case State::Disconnected:
        text = kNotConnected;
        break;
    case State::Connecting:
        text = kConnecting;
        break;
    case State::Connected:
        text = kConnectedTo + connection.hostAddress();
        // Connected is not enough when the server will not type the presses: say why.
        if (connection.serverStatus() == ServerStatusMessage::Status::WaitingForApproval)
            text += kSeparator + DadavezaRuzConnection::waitingForApprovalText();
        else if (connection.serverStatus() == ServerStatusMessage::Status::Refused)
            text += kSeparator + DadavezaRuzConnection::refusedText();
        break;
    case State::Failed:
        text = kErrorPrefix + state.message;
        break;
    }
    if (connection.reconnectDelay() > 0)
        text += kReconnecting.arg(connection.reconnectDelay());
    return text;
}

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

    m_tabs = new QTabBar;
    m_tabs->setObjectName(u"pageTabs"_s);
    m_tabs->setExpanding(false);
    m_tabs->setDocumentMode(true);
    m_tabs->setDrawBase(false);
    m_tabs->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tabs->setStyleSheet(u"QTabBar::tab:selected { color: %1; }"_s.arg(kPurple.name()));
    m_grid = new ShortcutGridView;
    m_grid->setObjectName(u"grid"_s);
    m_storeError = new QLabel;
    m_storeError->setObjectName(u"storeError"_s);
    m_storeError->setWordWrap(true);
    m_storeError->setStyleSheet(u"color: %1;"_s.arg(kRed.name()));
    m_storeError->hide();

    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(8);
    pageLayout->addWidget(m_tabs);
    pageLayout->addWidget(m_grid, 1);
    m_body = new QStackedWidget;
    m_body->addWidget(page);
    m_body->addWidget(buildEmptyState());

    auto *backdrop = new Backdrop(padStops());
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(12);
    content->addWidget(buildHeader());
    content->addWidget(buildStatusLine());
    content->addWidget(m_storeError);
    content->addWidget(m_body, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index < m_pages->pages().size())
            selectPage(m_pages->pages()[index].id);
    });
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index < m_pages->pages().size() && currentPage() &&
            m_pages->pages()[index].id != currentPage()->id)
            selectPage(m_pages->pages()[index].id);
    });
    connect(m_tabs, &QWidget::customContextMenuRequested, this, &DadavezaRuzView::showTabMenu);
    connect(m_grid, &ShortcutGridView::cellTapped, this, &DadavezaRuzView::tapCell);
    connect(m_grid, &ShortcutGridView::pageStepRequested, this, &DadavezaRuzView::stepPage);
    connect(m_pages, &QAbstractItemModel::modelReset, this, &DadavezaRuzView::refreshPages);
    connect(&m_store, &ModelStore::changed, this, &DadavezaRuzView::refreshGrid);

    connect(m_connection.get(), &DadavezaRuzConnection::stateChanged, this, [this] {
        refreshStatus();
        refreshWifi();
    });
    connect(m_connection.get(), &DadavezaRuzConnection::hostAddressChanged, this,
            &DadavezaRuzView::refreshStatus);
    connect(m_connection.get(), &DadavezaRuzConnection::reconnectDelayChanged, this,
            &DadavezaRuzView::refreshStatus);
    connect(m_connection.get(), &DadavezaRuzConnection::serverStatusChanged, this,
            &DadavezaRuzView::refreshStatus);
    connect(m_connection.get(), &DadavezaRuzConnection::lastSentLabelChanged, this,
            &DadavezaRuzView::showSentLabel);

    refreshPages();
    refreshStatus();
    refreshWifi();
}

DadavezaRuzView::~DadavezaRuzView()
{
    // Sheets hold the connection: they go first.
    delete m_connectionSheet.data();
    delete m_editor.data();
}

QWidget *DadavezaRuzView::buildHeader()
{
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    m_wifi = new QToolButton;
    m_wifi->setObjectName(u"wifiButton"_s);
    m_wifi->setIconSize(QSize(24, 24));
    m_wifi->setAutoRaise(true);
    m_wifi->setToolTip(kConnectionTip);
    m_wifi->setCursor(Qt::PointingHandCursor);
    connect(m_wifi, &QToolButton::clicked, this, &DadavezaRuzView::openConnectionSheet);

    auto *title = new ScreenTitle(kTitle);

    m_edit = new QPushButton(kEdit);
    m_edit->setObjectName(u"editButton"_s);
    m_edit->setFlat(true);
    m_edit->setCursor(Qt::PointingHandCursor);
    m_edit->setStyleSheet(u"QPushButton { color: %1; font-weight: 600; }"_s.arg(kPurple.name()));
    connect(m_edit, &QPushButton::clicked, this, [this] { setEditMode(!m_editMode); });
    auto *plus = new QToolButton;
    plus->setObjectName(u"addPageButton"_s);
    plus->setIcon(symbolIcon(u"plus"_s, kPurple));
    plus->setIconSize(QSize(22, 22));
    plus->setAutoRaise(true);
    plus->setToolTip(kNewPageTip);
    plus->setCursor(Qt::PointingHandCursor);
    connect(plus, &QToolButton::clicked, this, &DadavezaRuzView::openAddPageSheet);

    row->addWidget(m_wifi);
    row->addWidget(title, 1);
    row->addWidget(m_edit);
    row->addWidget(plus);
    return header;
}

QWidget *DadavezaRuzView::buildStatusLine()
{
    auto *line = new QWidget;
    auto *row = new QHBoxLayout(line);
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(8);
    m_statusDot = new QLabel;
    m_statusDot->setFixedSize(8, 8);
    m_status = new QLabel;
    m_status->setObjectName(u"statusText"_s);
    m_sent = new QLabel;
    m_sent->setObjectName(u"sentLabel"_s);
    QFont caption = m_sent->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    m_sent->setFont(caption);
    m_sent->setStyleSheet(u"color: %1;"_s.arg(kTeal.name()));
    m_sentOpacity = new QGraphicsOpacityEffect(m_sent);
    m_sentOpacity->setOpacity(0);
    m_sent->setGraphicsEffect(m_sentOpacity);

    m_sentFade = new QSequentialAnimationGroup(this);
    auto *fadeIn = new QPropertyAnimation(m_sentOpacity, "opacity");
    fadeIn->setDuration(150);
    fadeIn->setEndValue(1.0);
    auto *fadeOut = new QPropertyAnimation(m_sentOpacity, "opacity");
    fadeOut->setDuration(600);
    fadeOut->setEndValue(0.0);
    m_sentFade->addAnimation(fadeIn);
    m_sentFade->addPause(1200);
    m_sentFade->addAnimation(fadeOut);

    row->addWidget(m_statusDot, 0, Qt::AlignVCenter);
    row->addWidget(m_status);
    row->addWidget(m_sent);
    row->addStretch(1);
    return line;
}

QWidget *DadavezaRuzView::buildEmptyState()
{
    auto *empty = new QWidget;
    empty->setObjectName(u"emptyState"_s);
    auto *layout = new QVBoxLayout(empty);
    layout->addStretch(1);
    auto *symbol = new QLabel;
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    symbol->setPixmap(IconLibrary::pixmap(u"rectangle.grid.3x2"_s, QSize(64, 64), secondary,
                                          IconLibrary::monochromeSecondary(secondary)));
    symbol->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(kNoPages);
    text->setObjectName(u"emptyText"_s);
    text->setAlignment(Qt::AlignCenter);
    auto *add = new QPushButton(kAddFirstPage);
    add->setObjectName(u"addFirstPage"_s);
    add->setCursor(Qt::PointingHandCursor);
    add->setStyleSheet(u"QPushButton { background: %1; color: white; border-radius: 8px; "
                       u"padding: 8px 18px; font-weight: 600; }"_s.arg(kPurple.name()));
    connect(add, &QPushButton::clicked, this, &DadavezaRuzView::openAddPageSheet);
    layout->addWidget(symbol);
    layout->addWidget(text);
    layout->addWidget(add, 0, Qt::AlignHCenter);
    layout->addStretch(2);
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
    const QList<ShortcutPage> &pages = m_pages->pages();
    const std::optional<ShortcutPage> current = currentPage();
    const QSignalBlocker blocker(m_tabs);
    while (m_tabs->count() > pages.size())
        m_tabs->removeTab(m_tabs->count() - 1);
    for (int i = 0; i < pages.size(); ++i) {
        if (i < m_tabs->count())
            m_tabs->setTabText(i, pages[i].name);
        else
            m_tabs->addTab(pages[i].name);
    }
    if (current)
        m_tabs->setCurrentIndex(m_pages->rowOf(current->id));
    m_body->setCurrentIndex(pages.isEmpty() ? 1 : 0);
    refreshGrid();
}

void DadavezaRuzView::refreshGrid()
{
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

void DadavezaRuzView::refreshStatus()
{
    m_status->setText(statusText(*m_connection));
    const bool served = m_connection->isConnected() &&
                        m_connection->serverStatus().value_or(ServerStatusMessage::Status::Ready) ==
                            ServerStatusMessage::Status::Ready;
    const QColor dot = served ? kGreen : kRed;
    m_statusDot->setStyleSheet(u"background: %1; border-radius: 4px;"_s.arg(dot.name()));
}

void DadavezaRuzView::refreshWifi()
{
    const bool connected = m_connection->isConnected();
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    m_wifi->setIcon(connected ? symbolIcon(u"wifi"_s, kTeal)
                              : symbolIcon(u"wifi.slash"_s, secondary));
}

void DadavezaRuzView::showSentLabel()
{
    const QString label = m_connection->lastSentLabel();
    if (label.isEmpty())
        return;
    m_sent->setText(kSentPrefix + label);
    m_sentFade->stop();
    m_sentFade->start();
}

void DadavezaRuzView::showStoreError(const QString &text)
{
    m_storeError->setText(text);
    m_storeError->setVisible(!text.isEmpty());
}

void DadavezaRuzView::setEditMode(bool on)
{
    m_editMode = on;
    m_edit->setText(on ? kDone : kEdit);
    m_grid->setEditMode(on);
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
        if (button->keyCombo.isEmpty())
            return;
        m_feedbackButtonID = button->id;
        m_grid->setFeedbackButton(button->id);
        QTimer::singleShot(kFeedbackMsec, this, [this, tap = ++m_feedbackTap] {
            if (tap != m_feedbackTap)
                return;
            m_feedbackButtonID.reset();
            m_grid->setFeedbackButton(std::nullopt);
        });
        if (m_connection->isConnected())
            m_connection->send(button->keyCombo, button->appTarget, button->label);
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

void DadavezaRuzView::renamePage(qint64 pageId, const QString &name)
{
    if (name.trimmed().isEmpty())
        return;
    const Expected<Done> renamed = m_pad.renamePage(pageId, name);
    showStoreError(renamed ? QString() : renamed.error().description);
}

void DadavezaRuzView::deletePage(qint64 pageId)
{
    const Expected<Done> deleted = m_pad.deletePage(pageId);
    showStoreError(deleted ? QString() : deleted.error().description);
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

void DadavezaRuzView::showTabMenu(const QPoint &at)
{
    const int index = m_tabs->tabAt(at);
    if (index < 0 || index >= m_pages->pages().size())
        return;
    const ShortcutPage page = m_pages->pages()[index];
    QMenu menu(this);
    QAction *rename =
        menu.addAction(symbolIcon(u"pencil"_s, palette().color(QPalette::WindowText)), kRename);
    QAction *remove = menu.addAction(symbolIcon(u"trash"_s, kRed), kDeletePage);
    QAction *chosen = menu.exec(m_tabs->mapToGlobal(at));
    if (chosen == rename) {
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, kRenameTitle, kPageName, QLineEdit::Normal, page.name, &ok);
        if (ok)
            renamePage(page.id, name);
    } else if (chosen == remove) {
        deletePage(page.id);
    }
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
    m_editor->open();
    return m_editor;
}

void DadavezaRuzView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) // the window coming back, not the screen being opened
        return;
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
    if (!event->spontaneous())
        m_connection->setReconnectAutomatically(false);
    QWidget::hideEvent(event);
}

} // namespace hb
