#include "dadavezaruz-server/DadavezaRuzServerView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ToggleSwitch.h"
#include "dadavezaruz-server/DadavezaRuzControllerList.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/PairingQrCode.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

namespace hb {
namespace {

const QString kServerSection = QStringLiteral("Server");
const QString kStatusSection = QStringLiteral("Status");
const QString kControllersSection = QStringLiteral("Controllers");
const QString kActivitySection = QStringLiteral("Activity");
const QString kNoActivity = QStringLiteral("Refused controllers and presses that were not typed "
                                           "are listed here.");
const QString kRequirementsSection = QStringLiteral("Requirements");
const QString kRunSwitch = QStringLiteral("Run DadavezaRuz Server");
const QString kPortRow = QStringLiteral("Port");
const QString kAddressRow = QStringLiteral("IP Address");
const QString kNone = QStringLiteral("\u2014");
const QString kLastCommand = QStringLiteral("Last command: ");
const QString kPairingHint = QStringLiteral("Scan with the pad to pair");
const QString kPhonePairingHint =
    QStringLiteral("Scan with a phone's camera to open the pad, or with the pad to pair");
const QString kWebPadSwitch = QStringLiteral("Serve the Phone Pad");
const QString kWebPadRow = QStringLiteral("Phone pad");
const QString kNewPairingLink = QStringLiteral("New Pairing Link");
const QString kNewPairingLinkTip =
    QStringLiteral("Makes a new link for the QR code; phones that opened the old one are "
                   "disconnected and must scan again");
const QString kKeystrokes = QStringLiteral(
    "Shortcuts are typed through the X server (XTEST), so no permission is asked for. In a "
    "Wayland session the target application must run under XWayland, or use an X11 session.");

// Pixels per QR module at a device pixel ratio of 1: about 120 pixels across for an IPv4 code.
constexpr int kQrModulePixels = 4;

// How long a start may take before the switch shows the server as it is. The server reports
// every start, but a failure that repeats the previous message changes no field.
constexpr auto kStartWait = std::chrono::seconds(1);

QLabel *secondaryLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QLabel *smallSecondaryLabel(const QString &text, const QString &name, QWidget *parent)
{
    QLabel *label = secondaryLabel(text, name, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

} // namespace

DadavezaRuzServerView::DadavezaRuzServerView(DadavezaRuzServer &server, LocalAddress localAddress,
                                             QWidget *parent)
    : QWidget(parent), m_server(server), m_localAddress(std::move(localAddress))
{
    auto *content = new QWidget;
    auto *form = new QVBoxLayout(content);
    form->setContentsMargins(24, 20, 24, 20);
    form->setSpacing(18);
    form->addWidget(buildServerSection());
    form->addWidget(buildStatusSection());
    auto *controllers = new FormSection(kControllersSection);
    controllers->body()->addWidget(new DadavezaRuzControllerList(m_server));
    form->addWidget(controllers);
    form->addWidget(buildActivitySection());
    form->addWidget(buildRequirementsSection());
    form->addStretch(1);

    Backdrop::fillWithScrolling(this, content);

    m_startWait.setSingleShot(true);
    m_startWait.setInterval(kStartWait);
    connect(&m_startWait, &QTimer::timeout, this, [this] {
        m_startPending = false;
        refresh();
    });
    connect(m_switch, &ToggleSwitch::clicked, this, &DadavezaRuzServerView::onSwitchClicked);
    connect(&m_server, &DadavezaRuzServer::isRunningChanged, this,
            &DadavezaRuzServerView::onRunningChanged);
    connect(&m_server, &DadavezaRuzServer::statusTextChanged, this, [this] {
        m_startPending = false; // the server answered: a failure, or stopped
        refresh();
    });
    connect(&m_server, &DadavezaRuzServer::portChanged, this, &DadavezaRuzServerView::refresh);
    connect(&m_server, &DadavezaRuzServer::lastCommandChanged, this,
            &DadavezaRuzServerView::refresh);
    connect(&m_server, &DadavezaRuzServer::advertisementProblemChanged, this,
            &DadavezaRuzServerView::refresh);
    connect(&m_server, &DadavezaRuzServer::webPadChanged, this, &DadavezaRuzServerView::refresh);
    connect(&m_server, &DadavezaRuzServer::logged, this,
            [this] { m_log->appendPlainText(m_server.log().constLast()); });

    m_address = m_localAddress ? m_localAddress() : std::nullopt;
    refresh();
}

// The server goes on as it is: the screen only watches it.
DadavezaRuzServerView::~DadavezaRuzServerView() = default;

QWidget *DadavezaRuzServerView::buildServerSection()
{
    auto *section = new FormSection(kServerSection);
    m_switch = new ToggleSwitch(kRunSwitch);
    m_switch->setObjectName(QStringLiteral("runSwitch"));
    m_port = secondaryLabel({}, QStringLiteral("port"), nullptr);
    m_addressLabel = secondaryLabel({}, QStringLiteral("localAddress"), nullptr);
    m_addressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(24);
    rows->setVerticalSpacing(10);
    rows->addWidget(m_switch, 0, 0, 1, 2);
    rows->addWidget(new QLabel(kPortRow), 1, 0);
    rows->addWidget(m_port, 1, 1, Qt::AlignRight);
    rows->addWidget(new QLabel(kAddressRow), 2, 0);
    rows->addWidget(m_addressLabel, 2, 1, Qt::AlignRight);
    m_webPadSwitch = new ToggleSwitch(kWebPadSwitch);
    m_webPadSwitch->setObjectName(QStringLiteral("webPadSwitch"));
    m_webPadStatus = secondaryLabel({}, QStringLiteral("webPadStatus"), nullptr);
    m_newLink = new QPushButton(kNewPairingLink);
    m_newLink->setObjectName(QStringLiteral("newPairingLink"));
    m_newLink->setToolTip(kNewPairingLinkTip);
    rows->addWidget(m_webPadSwitch, 3, 0, 1, 2);
    rows->addWidget(new QLabel(kWebPadRow), 4, 0);
    rows->addWidget(m_webPadStatus, 4, 1, Qt::AlignRight);
    rows->addWidget(m_newLink, 5, 0, 1, 2, Qt::AlignLeft);
    rows->setRowStretch(6, 1);
    connect(m_webPadSwitch, &ToggleSwitch::clicked, this,
            [this](bool on) { m_server.setWebPadEnabled(on); });
    connect(m_newLink, &QPushButton::clicked, this, [this] { m_server.newPairingLink(); });

    m_pairing = new QWidget;
    m_pairing->setObjectName(QStringLiteral("pairing"));
    m_qrCode = new QLabel;
    m_qrCode->setObjectName(QStringLiteral("pairingQrCode"));
    m_qrCode->setAccessibleName(kPairingHint);
    m_pairingCode = new QLabel;
    m_pairingCode->setObjectName(QStringLiteral("pairingCode"));
    m_pairingCode->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pairingCode->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
    auto *pairing = new QVBoxLayout(m_pairing);
    pairing->setContentsMargins(0, 0, 0, 0);
    pairing->setSpacing(4);
    pairing->addWidget(m_qrCode, 0, Qt::AlignHCenter);
    pairing->addWidget(m_pairingCode, 0, Qt::AlignHCenter);
    m_pairingHint = smallSecondaryLabel(kPairingHint, QStringLiteral("pairingHint"), m_pairing);
    m_pairingHint->setAlignment(Qt::AlignHCenter);
    m_pairingHint->setMaximumWidth(220);
    pairing->addWidget(m_pairingHint);

    auto *columns = new QHBoxLayout;
    columns->setSpacing(24);
    columns->addLayout(rows, 1);
    columns->addWidget(m_pairing, 0, Qt::AlignTop);
    section->body()->addLayout(columns);
    return section;
}

QWidget *DadavezaRuzServerView::buildStatusSection()
{
    auto *section = new FormSection(kStatusSection);
    m_status = secondaryLabel({}, QStringLiteral("status"), nullptr);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lastCommand = new QLabel;
    m_lastCommand->setObjectName(QStringLiteral("lastCommand"));
    m_lastCommand->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_advertisement = secondaryLabel({}, QStringLiteral("advertisementProblem"), nullptr);
    m_advertisement->setWordWrap(true);
    section->body()->addWidget(m_status);
    section->body()->addWidget(m_advertisement);
    section->body()->addWidget(m_lastCommand);
    return section;
}

QWidget *DadavezaRuzServerView::buildActivitySection()
{
    auto *section = new FormSection(kActivitySection);
    m_log = new QPlainTextEdit;
    m_log->setObjectName(QStringLiteral("activityLog"));
    m_log->setAccessibleName(kActivitySection);
    m_log->setReadOnly(true);
    m_log->setPlaceholderText(kNoActivity);
    m_log->setMaximumBlockCount(int(DadavezaRuzServer::kMaxLogLines));
    m_log->setFixedHeight(m_log->fontMetrics().lineSpacing() * 6 + 12);
    m_log->setPlainText(m_server.log().join(u'\n'));
    section->body()->addWidget(m_log);
    return section;
}

QWidget *DadavezaRuzServerView::buildRequirementsSection()
{
    auto *section = new FormSection(kRequirementsSection);
    section->body()->addWidget(
        smallSecondaryLabel(kKeystrokes, QStringLiteral("keystrokeRequirement"), nullptr));
    return section;
}

void DadavezaRuzServerView::onSwitchClicked(bool on)
{
    m_startPending = on && !m_server.isRunning();
    if (on) {
        m_startWait.start();
        m_server.start();
    } else {
        m_startWait.stop();
        m_server.stop();
    }
    refresh();
}

void DadavezaRuzServerView::onRunningChanged(bool running)
{
    m_startPending = false;
    if (running) // the machine may have moved to another network since the screen opened
        m_address = m_localAddress ? m_localAddress() : std::nullopt;
    refresh();
}

void DadavezaRuzServerView::refresh()
{
    // Setting the state from here emits no click, so the server is never started or stopped.
    m_switch->setChecked(m_server.isRunning() || m_startPending);
    m_port->setText(QString::number(m_server.port()));
    m_addressLabel->setText(m_address.value_or(kNone));
    m_status->setText(m_server.statusText());
    const QString command = m_server.lastCommand();
    m_lastCommand->setText(kLastCommand + (command.isEmpty() ? kNone : command));
    m_advertisement->setText(m_server.advertisementProblem());
    m_advertisement->setVisible(!m_server.advertisementProblem().isEmpty());
    m_webPadSwitch->setChecked(m_server.webPadEnabled());
    QString webPad = m_server.webPadStatus();
    if (const int phones = m_server.phoneCount(); phones > 0)
        webPad +=
            phones == 1 ? QStringLiteral(", 1 phone") : QStringLiteral(", %1 phones").arg(phones);
    m_webPadStatus->setText(webPad);
    m_newLink->setVisible(m_server.webPadEnabled());
    refreshPairingCode();
}

void DadavezaRuzServerView::refreshPairingCode()
{
    // Port 0 stands for "chosen when the server runs": not a code a pad could use.
    const QString code = m_address && m_server.port() != 0
                             ? *m_address + u':' + QString::number(m_server.port())
                             : QString();
    // The phone pad's link opens the pad in a phone's browser; the pad reads it as well.
    const std::optional<QString> link = m_server.webPadUrl();
    const QString text = link && !code.isEmpty() ? *link : code;
    m_pairingHint->setText(link ? kPhonePairingHint : kPairingHint);
    if (text != m_pairingText) {
        m_pairingText = text;
        const qreal ratio = devicePixelRatioF();
        const int scale = std::max(1, static_cast<int>(std::lround(kQrModulePixels * ratio)));
        QPixmap image = QPixmap::fromImage(renderPairingQrCode(text, scale));
        image.setDevicePixelRatio(scale / qreal(kQrModulePixels));
        m_qrCode->setPixmap(image);
        m_pairingCode->setText(code);
    }
    m_pairing->setVisible(!m_qrCode->pixmap().isNull());
}

} // namespace hb
