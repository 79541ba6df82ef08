#include "dadavezaruz/ConnectionSheet.h"

#include "common/FormSection.h"
#include "common/IconLibrary.h"
#include "common/Settings.h"
#include "common/ToggleSwitch.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "dadavezaruz/PairingCode.h"
#include "dadavezaruz/QRScannerView.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"Connect to Mac"_s;
const QString kCancel = u"Cancel"_s;
const QString kNotConnected = u"Not Connected"_s;
const QString kConnecting = u"Connecting…"_s;
const QString kConnected = u"Connected"_s;
const QString kConnectionFailed = u"Connection failed"_s;
const QString kDisconnect = u"Disconnect"_s;
const QString kPreferences = u"Preferences"_s;
const QString kAutoConnect = u"Auto-connect on launch"_s;
const QString kReconnect = u"Reconnect automatically"_s;
const QString kBlockedTitle = u"Automatic Discovery Blocked"_s;
const QString kBlockedLine1 =
    u"Your device or simulator is currently blocking Bonjour/mDNS discovery."_s;
const QString kBlockedLine2 =
    u"Use the QR code or type the Mac’s IP address shown in Terminal below."_s;
const QString kRequestPermission = u"Request Local Network Permission"_s;
const QString kDiscoveredTitle = u"Discovered Macs"_s;
const QString kRescan = u"Rescan"_s;
const QString kNoneFound = u"No Macs found automatically"_s;
const QString kNoneFoundHelp =
    u"Make sure the Mac server is running and both devices are on the same "
    u"Wi-Fi. A USB cable also works because it creates a direct network "
    u"between the devices."_s;
const QString kRecentTitle = u"Recent Connections"_s;
const QString kPortPrefix = u"Port "_s;
const QString kDelete = u"Delete"_s;
const QString kNoSavedHosts = u"No saved hosts yet"_s;
const QString kManualTitle = u"Manual Connection"_s;
const QString kHostField = u"Mac IP address"_s;
const QString kPortField = u"Port"_s;
const QString kConnect = u"Connect"_s;
const QString kScan = u"Scan QR Code"_s;
const QString kUnreadableCode = u"Could not read QR code"_s;
const QString kHelpTitle = u"How to set up the Mac server"_s;
const QStringList kHelpLines{
    u"1. On your Mac, run the companion script:"_s,
    u"python3 shortcut_server.py"_s,
    u"2. A QR code will appear in Terminal — tap Scan QR Code above."_s,
    u"3. Or pick your Mac from the Discovered Macs list."_s,
    u"4. Both devices must be on the same Wi-Fi network (or connected via USB)."_s,
    u"5. If the Mac does not appear, type its Wi-Fi IP from Terminal into Manual Connection."_s,
    u"On a Linux editing computer, open “DadavezaRuz Server” in Huebench there, or run "
    u"huebench-server; its pairing QR code can be scanned from a screenshot."_s};

const QColor kTeal(0x18, 0xD3, 0xBC);
const QColor kPurple(0x6B, 0x5C, 0xE7);
const QColor kGreen(0x28, 0xB7, 0x4F);
const QColor kRed(0xFC, 0x44, 0x44);

QLabel *symbolLabel(const QString &symbol, const QColor &color, int size)
{
    auto *label = new QLabel;
    label->setPixmap(IconLibrary::pixmap(symbol, QSize(size, size), color,
                                         IconLibrary::monochromeSecondary(color)));
    label->setFixedSize(size, size);
    return label;
}

QLabel *wrappedLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QLabel *secondaryLabel(const QString &text)
{
    QLabel *label = wrappedLabel(text);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QPushButton *symbolButton(const QString &text, const QString &symbol, const QColor &color)
{
    auto *button = new QPushButton(
        IconLibrary::icon(symbol, color, IconLibrary::monochromeSecondary(color)), text);
    button->setStyleSheet(u"QPushButton { color: %1; text-align: left; }"_s.arg(color.name()));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// One list row: a symbol, a title with an optional second line, and an optional symbol at the end.
QWidget *listRow(const QString &symbol, const QColor &color, const QString &title,
                 const QString &subtitle, const QString &trailing, const QColor &trailingColor)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(10);
    layout->addWidget(symbolLabel(symbol, color, 22));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(new QLabel(title));
    if (!subtitle.isEmpty()) {
        QLabel *second = secondaryLabel(subtitle);
        QFont small = second->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        second->setFont(small);
        texts->addWidget(second);
    }
    layout->addLayout(texts, 1);
    if (!trailing.isEmpty())
        layout->addWidget(symbolLabel(trailing, trailingColor, 16));
    row->setAttribute(Qt::WA_TransparentForMouseEvents);
    return row;
}

QListWidget *hostList(const QString &name)
{
    auto *list = new QListWidget;
    list->setObjectName(name);
    list->setFrameShape(QFrame::NoFrame);
    list->setStyleSheet(u"QListWidget { background: transparent; }"_s);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    return list;
}

void fitToRows(QListWidget *list)
{
    int height = 0;
    for (int row = 0; row < list->count(); ++row)
        height += list->sizeHintForRow(row);
    list->setFixedHeight(height + 2 * list->frameWidth());
    list->setVisible(list->count() > 0);
}

} // namespace

ConnectionSheet::Inputs ConnectionSheet::initialInputs(const DadavezaRuzConnection &connection)
{
    if (!connection.hostAddress().isEmpty())
        return {connection.hostAddress(), QString::number(connection.port())};
    const QList<SavedHost> saved = connection.savedHosts();
    if (!saved.isEmpty())
        return {saved.constFirst().host, QString::number(saved.constFirst().port)};
    return {QString(), QString::number(kDadavezaRuzPort)};
}

quint16 ConnectionSheet::manualPort(const QString &text)
{
    return readPortNumber(text).value_or(kDadavezaRuzPort);
}

ConnectionSheet::ConnectionSheet(DadavezaRuzConnection &connection, Settings &settings,
                                 QWidget *parent)
    : QDialog(parent), m_connection(connection), m_settings(settings)
{
    setWindowTitle(kTitle);
    auto *content = new QWidget;
    auto *form = new QVBoxLayout(content);
    form->setContentsMargins(16, 16, 16, 16);
    form->setSpacing(18);
    for (QWidget *section : {buildStatus(), buildPreferences(), buildBlocked(), buildDiscovered(),
                             buildRecent(), buildManual(), buildHelp()})
        form->addWidget(section);
    form->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(kCancel, QDialogButtonBox::RejectRole)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    buttons->setContentsMargins(16, 0, 16, 0);
    resize(520, 760);

    connect(&m_connection, &DadavezaRuzConnection::stateChanged, this, [this] {
        refreshStatus();
        refreshRecent();
    });
    connect(&m_connection, &DadavezaRuzConnection::hostAddressChanged, this, [this] {
        refreshStatus();
        refreshRecent();
    });
    connect(&m_connection, &DadavezaRuzConnection::portChanged, this,
            &ConnectionSheet::refreshStatus);
    connect(&m_connection, &DadavezaRuzConnection::isBonjourBlockedChanged, this,
            &ConnectionSheet::refreshBlocked);
    connect(&m_connection, &DadavezaRuzConnection::discoveredHostsChanged, this,
            &ConnectionSheet::refreshDiscovered);
    connect(&m_connection, &DadavezaRuzConnection::savedHostsChanged, this,
            &ConnectionSheet::refreshRecent);
    connect(&m_connection, &DadavezaRuzConnection::lastErrorChanged, this,
            &ConnectionSheet::refreshError);
    connect(&m_connection, &DadavezaRuzConnection::autoConnectEnabledChanged, this,
            [this] { m_autoConnect->setChecked(m_connection.autoConnectEnabled()); });

    const Inputs inputs = initialInputs(m_connection);
    m_host->setText(inputs.host);
    m_port->setText(inputs.port);
    refreshStatus();
    refreshBlocked();
    refreshDiscovered();
    refreshRecent();
    refreshError();
    m_connection.rescan(false);
}

QWidget *ConnectionSheet::buildStatus()
{
    auto *section = new FormSection(QString());
    auto *row = new QHBoxLayout;
    m_statusDot = new QLabel;
    m_statusDot->setFixedSize(10, 10);
    m_statusHeadline = new QLabel;
    m_statusHeadline->setObjectName(u"statusHeadline"_s);
    QFont headline = m_statusHeadline->font();
    headline.setWeight(QFont::DemiBold);
    headline.setPointSizeF(headline.pointSizeF() * 1.15);
    m_statusHeadline->setFont(headline);
    row->addWidget(m_statusDot);
    row->addWidget(m_statusHeadline, 1);
    section->body()->addLayout(row);
    m_statusEndpoint = secondaryLabel(QString());
    m_statusEndpoint->setObjectName(u"statusEndpoint"_s);
    section->body()->addWidget(m_statusEndpoint);
    m_disconnect = new QPushButton(kDisconnect);
    m_disconnect->setObjectName(u"disconnect"_s);
    m_disconnect->setFlat(true);
    m_disconnect->setStyleSheet(u"QPushButton { color: %1; text-align: left; }"_s.arg(kRed.name()));
    connect(m_disconnect, &QPushButton::clicked, this,
            [this] { m_connection.disconnectFromHost(); });
    section->body()->addWidget(m_disconnect);
    return section;
}

QWidget *ConnectionSheet::buildPreferences()
{
    auto *section = new FormSection(kPreferences);
    m_autoConnect = new ToggleSwitch(kAutoConnect);
    m_autoConnect->setObjectName(u"autoConnect"_s);
    m_autoConnect->setChecked(m_connection.autoConnectEnabled());
    connect(m_autoConnect, &ToggleSwitch::toggled, this,
            [this](bool on) { m_connection.setAutoConnectEnabled(on); });
    m_reconnect = new ToggleSwitch(kReconnect);
    m_reconnect->setObjectName(u"reconnect"_s);
    m_reconnect->setChecked(
        m_settings.integer(SettingsKey::dadavezaruzReconnectAutomatically).value_or(0) != 0);
    connect(m_reconnect, &ToggleSwitch::toggled, this, [this](bool on) {
        m_settings.setInteger(SettingsKey::dadavezaruzReconnectAutomatically, on ? 1 : 0);
        m_connection.setReconnectAutomatically(on);
    });
    section->body()->addWidget(m_autoConnect);
    section->body()->addWidget(m_reconnect);
    return section;
}

QWidget *ConnectionSheet::buildBlocked()
{
    m_blocked = new FormSection(kBlockedTitle);
    m_blocked->setObjectName(u"blockedSection"_s);
    m_blocked->body()->addWidget(wrappedLabel(kBlockedLine1));
    m_blocked->body()->addWidget(wrappedLabel(kBlockedLine2));
    m_blockedReason = secondaryLabel(QString());
    m_blocked->body()->addWidget(m_blockedReason);
    QPushButton *request = symbolButton(kRequestPermission, u"wifi.circle"_s, kTeal);
    request->setObjectName(u"requestPermission"_s);
    connect(request, &QPushButton::clicked, this, [this] { m_connection.probeLocalNetwork(); });
    m_blocked->body()->addWidget(request);
    // There are no privacy settings to open on this platform, so no "Open Settings" button.
    return m_blocked;
}

QWidget *ConnectionSheet::buildDiscovered()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *header = new QHBoxLayout;
    auto *title = new QLabel(kDiscoveredTitle);
    QFont bold = title->font();
    bold.setWeight(QFont::DemiBold);
    title->setFont(bold);
    title->setContentsMargins(4, 0, 0, 0);
    auto *rescan = new QPushButton(kRescan);
    rescan->setObjectName(u"rescan"_s);
    rescan->setFlat(true);
    rescan->setStyleSheet(u"QPushButton { color: %1; }"_s.arg(kPurple.name()));
    connect(rescan, &QPushButton::clicked, this, [this] { m_connection.rescan(true); });
    header->addWidget(title, 1);
    header->addWidget(rescan);
    layout->addLayout(header);

    auto *section = new FormSection(QString());
    m_discovered = hostList(u"discoveredHosts"_s);
    m_discovered->setCursor(Qt::PointingHandCursor);
    const auto choose = [this](QListWidgetItem *item) {
        const QList<DiscoveredHost> hosts = m_connection.discoveredHosts();
        const int row = m_discovered->row(item);
        if (row < 0 || row >= hosts.size())
            return;
        m_connection.connectToDiscovered(hosts[row]);
        accept();
    };
    connect(m_discovered, &QListWidget::itemClicked, this, choose);
    connect(m_discovered, &QListWidget::itemActivated, this, choose);
    section->body()->addWidget(m_discovered);
    m_discoveredEmpty = new QLabel(kNoneFound);
    m_discoveredEmpty->setObjectName(u"noneFound"_s);
    section->body()->addWidget(m_discoveredEmpty);
    m_discoveredHelp = secondaryLabel(kNoneFoundHelp);
    section->body()->addWidget(m_discoveredHelp);
    layout->addWidget(section);

    m_error = wrappedLabel(QString());
    m_error->setObjectName(u"lastError"_s);
    m_error->setStyleSheet(u"color: %1;"_s.arg(kRed.name()));
    m_error->setContentsMargins(4, 0, 0, 0);
    layout->addWidget(m_error);
    return box;
}

QWidget *ConnectionSheet::buildRecent()
{
    auto *section = new FormSection(kRecentTitle);
    m_recent = hostList(u"savedHosts"_s);
    m_recent->setCursor(Qt::PointingHandCursor);
    m_recent->setContextMenuPolicy(Qt::CustomContextMenu);
    const auto choose = [this](QListWidgetItem *item) {
        const QList<SavedHost> hosts = m_connection.savedHosts();
        const int row = m_recent->row(item);
        if (row < 0 || row >= hosts.size())
            return;
        m_connection.connectToHost(hosts[row].host, hosts[row].port);
        accept();
    };
    connect(m_recent, &QListWidget::itemClicked, this, choose);
    connect(m_recent, &QListWidget::itemActivated, this, choose);
    connect(m_recent, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QListWidgetItem *item = m_recent->itemAt(at);
        if (!item)
            return;
        m_recent->setCurrentItem(item);
        QMenu menu(this);
        QAction *forget = menu.addAction(
            IconLibrary::icon(u"trash"_s, kRed, IconLibrary::monochromeSecondary(kRed)), kDelete);
        if (menu.exec(m_recent->viewport()->mapToGlobal(at)) == forget)
            forgetSelectedHost();
    });
    auto *forgetKey =
        new QShortcut(QKeySequence::Delete, m_recent, nullptr, nullptr, Qt::WidgetShortcut);
    connect(forgetKey, &QShortcut::activated, this, &ConnectionSheet::forgetSelectedHost);
    section->body()->addWidget(m_recent);
    m_recentEmpty = new QLabel(kNoSavedHosts);
    m_recentEmpty->setObjectName(u"noSavedHosts"_s);
    section->body()->addWidget(m_recentEmpty);
    return section;
}

QWidget *ConnectionSheet::buildManual()
{
    auto *section = new FormSection(kManualTitle);
    m_host = new QLineEdit;
    m_host->setObjectName(u"hostInput"_s);
    m_host->setPlaceholderText(kHostField);
    m_host->setAccessibleName(kHostField);
    m_port = new QLineEdit;
    m_port->setObjectName(u"portInput"_s);
    m_port->setPlaceholderText(kPortField);
    m_port->setAccessibleName(kPortField);
    m_port->setMaximumWidth(110);
    auto *fields = new QHBoxLayout;
    fields->addWidget(m_host, 1);
    fields->addWidget(m_port);
    section->body()->addLayout(fields);
    QPushButton *connectButton = symbolButton(kConnect, u"arrow.right.circle.fill"_s, kPurple);
    connectButton->setObjectName(u"connect"_s);
    QPushButton *scan = symbolButton(kScan, u"qrcode.viewfinder"_s, kTeal);
    scan->setObjectName(u"scan"_s);
    connect(connectButton, &QPushButton::clicked, this, &ConnectionSheet::connectManually);
    connect(m_host, &QLineEdit::returnPressed, this, &ConnectionSheet::connectManually);
    connect(m_port, &QLineEdit::returnPressed, this, &ConnectionSheet::connectManually);
    connect(scan, &QPushButton::clicked, this, &ConnectionSheet::openScanner);
    section->body()->addWidget(connectButton);
    section->body()->addWidget(scan);
    m_scannedError = new QLabel;
    m_scannedError->setObjectName(u"scannedError"_s);
    m_scannedError->setStyleSheet(u"color: %1;"_s.arg(kRed.name()));
    m_scannedError->hide();
    section->body()->addWidget(m_scannedError);
    return section;
}

QWidget *ConnectionSheet::buildHelp()
{
    auto *section = new FormSection(kHelpTitle);
    for (const QString &line : kHelpLines) {
        QLabel *label = wrappedLabel(line);
        if (line == kHelpLines[1])
            label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        section->body()->addWidget(label);
    }
    return section;
}

void ConnectionSheet::connectManually()
{
    const QString host = m_host->text().trimmed();
    if (host.isEmpty())
        return;
    const quint16 port = manualPort(m_port->text());
    m_connection.connectToHost(host, port);
    // A port of 0 is refused with a status line; the sheet stays so that it can be read.
    if (m_connection.state().kind == DadavezaRuzConnection::State::Connecting)
        accept();
}

void ConnectionSheet::openScanner()
{
    if (m_scanner)
        return;
    m_scanner = new QRScannerView(this);
    m_scanner->setAttribute(Qt::WA_DeleteOnClose);
    m_scanner->onCodeScanned = [this](const QString &text) { applyScannedCode(text); };
    m_scanner->open();
}

void ConnectionSheet::applyScannedCode(const QString &text)
{
    const std::optional<PairingCode> code = parsePairingCode(text);
    if (!code) {
        m_scannedError->setText(kUnreadableCode);
        m_scannedError->show();
        return;
    }
    m_host->setText(code->host);
    m_port->setText(QString::number(code->port));
    m_scannedError->clear();
    m_scannedError->hide();
    m_connection.connectToHost(code->host, code->port);
    if (m_connection.state().kind == DadavezaRuzConnection::State::Connecting)
        accept();
}

void ConnectionSheet::refreshStatus()
{
    using State = DadavezaRuzConnection::State;
    const State state = m_connection.state();
    const bool connected = state.kind == State::Connected;
    static const QHash<int, QString> headlines{{State::Disconnected, kNotConnected},
                                               {State::Connecting, kConnecting},
                                               {State::Connected, kConnected},
                                               {State::Failed, kConnectionFailed}};
    m_statusHeadline->setText(headlines.value(state.kind));
    m_statusDot->setStyleSheet(
        u"background: %1; border-radius: 5px;"_s.arg((connected ? kGreen : kRed).name()));
    m_statusEndpoint->setText(m_connection.hostAddress() + u':' +
                              QString::number(m_connection.port()));
    m_statusEndpoint->setVisible(connected);
    m_disconnect->setEnabled(state.kind != State::Disconnected);
}

void ConnectionSheet::refreshBlocked()
{
    m_blocked->setVisible(m_connection.isBonjourBlocked());
    m_blockedReason->setText(m_connection.blockedReason());
    m_blockedReason->setVisible(!m_connection.blockedReason().isEmpty());
}

void ConnectionSheet::refreshDiscovered()
{
    m_discovered->clear();
    for (const DiscoveredHost &host : m_connection.discoveredHosts()) {
        auto *item = new QListWidgetItem(m_discovered);
        item->setData(Qt::AccessibleTextRole, host.name);
        QWidget *row =
            listRow(u"desktopcomputer"_s, kTeal, host.name, host.resolvedIP.value_or(QString()),
                    u"chevron.right"_s, palette().color(QPalette::PlaceholderText));
        item->setSizeHint(row->sizeHint());
        m_discovered->setItemWidget(item, row);
    }
    fitToRows(m_discovered);
    const bool empty = m_discovered->count() == 0;
    m_discoveredEmpty->setVisible(empty);
    m_discoveredHelp->setVisible(empty);
}

void ConnectionSheet::refreshRecent()
{
    const int current = m_recent->currentRow();
    m_recent->clear();
    for (const SavedHost &saved : m_connection.savedHosts()) {
        auto *item = new QListWidgetItem(m_recent);
        item->setData(Qt::AccessibleTextRole, saved.host);
        const bool inUse = m_connection.isConnected() && m_connection.hostAddress() == saved.host;
        QWidget *row = listRow(u"clock.arrow.circlepath"_s, kPurple, saved.host,
                               kPortPrefix + QString::number(saved.port),
                               inUse ? u"checkmark"_s : QString(), kGreen);
        item->setSizeHint(row->sizeHint());
        m_recent->setItemWidget(item, row);
    }
    fitToRows(m_recent);
    m_recent->setCurrentRow(std::min(current, m_recent->count() - 1));
    m_recentEmpty->setVisible(m_recent->count() == 0);
}

void ConnectionSheet::refreshError()
{
    m_error->setText(m_connection.lastError());
    m_error->setVisible(!m_connection.lastError().isEmpty());
}

void ConnectionSheet::forgetSelectedHost()
{
    const QList<SavedHost> hosts = m_connection.savedHosts();
    const int row = m_recent->currentRow();
    if (row >= 0 && row < hosts.size())
        m_connection.forgetHost(hosts[row].id);
}

} // namespace hb
