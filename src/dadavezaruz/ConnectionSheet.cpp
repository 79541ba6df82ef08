#include "dadavezaruz/ConnectionSheet.h"

#include "common/FormSection.h"
#include "common/IconLibrary.h"
#include "common/Settings.h"
#include "common/ToggleSwitch.h"
#include "dadavezaruz/ConnectionStatusSection.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "dadavezaruz/DiscoveredHostsSection.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/PairingCode.h"
#include "dadavezaruz/QRScannerView.h"
#include "dadavezaruz/SavedHostsSection.h"
#include "dadavezaruz/SheetControls.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"Connect to Server"_s;
const QString kCancel = u"Cancel"_s;
const QString kPreferences = u"Preferences"_s;
const QString kAutoConnect = u"Auto-connect on launch"_s;
const QString kReconnect = u"Reconnect automatically"_s;
const QString kBlockedTitle = u"Automatic Discovery Blocked"_s;
const QString kBlockedLine1 = u"Automatic discovery uses DNS-SD through the Avahi daemon, which "
                              u"is not running or does not answer this program."_s;
const QString kBlockedLine2 =
    u"Use the QR code, or type the server’s IP address below: DadavezaRuz Server shows it in its "
    u"IP Address row, huebench-server in the status line that it prints in its terminal."_s;
const QString kRequestPermission = u"Check Avahi Daemon"_s;
const QString kManualTitle = u"Manual Connection"_s;
const QString kHostField = u"Server IP address"_s;
const QString kPortField = u"Port"_s;
const QString kConnect = u"Connect"_s;
const QString kScan = u"Scan QR Code"_s;
const QString kUnreadableCode = u"Could not read QR code"_s;
const QString kHelpTitle = u"How to set up the server"_s;
const QStringList kHelpLines{
    u"1. On the computer that should type the shortcuts, open “DadavezaRuz Server” in "
    u"Huebench, or run the server without a window in a terminal:"_s,
    u"huebench-server"_s,
    u"2. A QR code appears in the server window or in that terminal — take a screenshot of it "
    u"and click Scan QR Code above."_s,
    u"3. Or pick the computer from the Discovered Servers list."_s,
    u"4. Both computers must be on the same local network (Wi-Fi or Ethernet)."_s,
    u"5. If the server does not appear, type the IP address from its status line into Manual "
    u"Connection."_s};

QPushButton *symbolButton(const QString &text, const QString &symbol, const QColor &color)
{
    auto *button = new QPushButton(
        IconLibrary::icon(symbol, color, IconLibrary::monochromeSecondary(color)), text);
    button->setStyleSheet(u"QPushButton { color: %1; text-align: left; }"_s.arg(color.name()));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
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
    QWidget *content = buildContent();
    auto *scroll = new QScrollArea;
    scroll->setAccessibleName(kTitle);
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

    followConnection();
    const Inputs inputs = initialInputs(m_connection);
    m_host->setText(inputs.host);
    m_port->setText(inputs.port);
    m_status->refresh();
    refreshBlocked();
    m_discovered->refresh();
    m_recent->refresh();
    m_discovered->refreshError();
    m_connection.rescan(false);
}

QWidget *ConnectionSheet::buildContent()
{
    auto *content = new QWidget;
    auto *form = new QVBoxLayout(content);
    form->setContentsMargins(16, 16, 16, 16);
    form->setSpacing(18);
    m_status = new ConnectionStatusSection(m_connection);
    form->addWidget(m_status);
    for (QWidget *section : {buildPreferences(), buildBlocked(), buildDiscovered(), buildRecent(),
                             buildManual(), buildHelp()})
        form->addWidget(section);
    form->addStretch(1);
    return content;
}

// Each part of the sheet shows the connection's fields as they change.
void ConnectionSheet::followConnection()
{
    connect(&m_connection, &DadavezaRuzConnection::stateChanged, this, [this] {
        m_status->refresh();
        m_recent->refresh();
    });
    connect(&m_connection, &DadavezaRuzConnection::hostAddressChanged, this, [this] {
        m_status->refresh();
        m_recent->refresh();
    });
    connect(&m_connection, &DadavezaRuzConnection::portChanged, m_status,
            &ConnectionStatusSection::refresh);
    connect(&m_connection, &DadavezaRuzConnection::isBonjourBlockedChanged, this,
            &ConnectionSheet::refreshBlocked);
    connect(&m_connection, &DadavezaRuzConnection::discoveredHostsChanged, m_discovered,
            &DiscoveredHostsSection::refresh);
    connect(&m_connection, &DadavezaRuzConnection::savedHostsChanged, m_recent,
            &SavedHostsSection::refresh);
    connect(&m_connection, &DadavezaRuzConnection::lastErrorChanged, m_discovered,
            &DiscoveredHostsSection::refreshError);
    connect(&m_connection, &DadavezaRuzConnection::autoConnectEnabledChanged, this,
            [this] { m_autoConnect->setChecked(m_connection.autoConnectEnabled()); });
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
    m_blocked->body()->addWidget(SheetControls::wrappedLabel(kBlockedLine1));
    m_blocked->body()->addWidget(SheetControls::wrappedLabel(kBlockedLine2));
    m_blockedReason = SheetControls::secondaryLabel(QString());
    m_blocked->body()->addWidget(m_blockedReason);
    QPushButton *request = symbolButton(kRequestPermission, u"wifi.circle"_s, PadColors::teal);
    request->setObjectName(u"requestPermission"_s);
    connect(request, &QPushButton::clicked, this, [this] { m_connection.probeLocalNetwork(); });
    m_blocked->body()->addWidget(request);
    // There are no privacy settings to open on this platform, so no "Open Settings" button.
    return m_blocked;
}

QWidget *ConnectionSheet::buildDiscovered()
{
    m_discovered = new DiscoveredHostsSection(m_connection);
    connect(m_discovered, &DiscoveredHostsSection::hostChosen, this, &QDialog::accept);
    return m_discovered;
}

QWidget *ConnectionSheet::buildRecent()
{
    m_recent = new SavedHostsSection(m_connection);
    connect(m_recent, &SavedHostsSection::hostChosen, this, &QDialog::accept);
    return m_recent;
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
    QPushButton *connectButton =
        symbolButton(kConnect, u"arrow.right.circle.fill"_s, PadColors::purpleText);
    connectButton->setObjectName(u"connect"_s);
    QPushButton *scan = symbolButton(kScan, u"qrcode.viewfinder"_s, PadColors::teal);
    scan->setObjectName(u"scan"_s);
    connect(connectButton, &QPushButton::clicked, this, &ConnectionSheet::connectManually);
    connect(m_host, &QLineEdit::returnPressed, this, &ConnectionSheet::connectManually);
    connect(m_port, &QLineEdit::returnPressed, this, &ConnectionSheet::connectManually);
    connect(scan, &QPushButton::clicked, this, &ConnectionSheet::openScanner);
    section->body()->addWidget(connectButton);
    section->body()->addWidget(scan);
    m_scannedError = new QLabel;
    m_scannedError->setObjectName(u"scannedError"_s);
    m_scannedError->setStyleSheet(u"color: %1;"_s.arg(PadColors::red.name()));
    m_scannedError->hide();
    section->body()->addWidget(m_scannedError);
    return section;
}

QWidget *ConnectionSheet::buildHelp()
{
    auto *section = new FormSection(kHelpTitle);
    for (const QString &line : kHelpLines) {
        QLabel *label = SheetControls::wrappedLabel(line);
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

void ConnectionSheet::refreshBlocked()
{
    m_blocked->setVisible(m_connection.isBonjourBlocked());
    m_blockedReason->setText(m_connection.blockedReason());
    m_blockedReason->setVisible(!m_connection.blockedReason().isEmpty());
}

} // namespace hb
