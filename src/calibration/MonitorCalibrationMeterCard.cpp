#include "calibration/MonitorCalibrationMeterCard.h"

#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMeasureReport.h"
#include "calibration/MonitorCalibrationTrackingChart.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace hb {
namespace {

const QString kTitle = QStringLiteral("Light Meter (Optional)");
const QString kSourceTip = QStringLiteral("Meter");
const QString kNetworkMeter = QStringLiteral("Network meter");
const QString kColorimeter = QStringLiteral("Colorimeter (ArgyllCMS)");
const QString kPortRow = QStringLiteral("Port");
const QString kAddressRow = QStringLiteral("Address");
const QString kConnectedRow = QStringLiteral("Connected");
const QString kNoMeter = QStringLiteral("No meter");
const QString kUnnamedMeter = QStringLiteral("Unnamed meter");
const QString kThisDevice = QStringLiteral("this device");
const QString kNoMeasurements = QStringLiteral("No measurements yet");
const QString kStart = QStringLiteral("Start");
const QString kStop = QStringLiteral("Stop");
const QString kSaveLog = QStringLiteral("Save Log\u2026");

constexpr qreal kPlateRadius = 12;
constexpr int kPlatePadding = 12;

QLabel *plainLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Text from the network is shown in full up to this many characters.
constexpr qsizetype kMaxShownText = 240;

QString shortened(const QString &text)
{
    return text.size() <= kMaxShownText ? text : text.left(kMaxShownText) + u'\u2026';
}

QLabel *secondary(QLabel *label)
{
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

MonitorCalibrationMeterCard::MonitorCalibrationMeterCard(
    MonitorCalibrationHostNetworking &networking, const MonitorCalibrationMeterLog &log,
    QWidget *parent, Clock clock)
    : QWidget(parent), m_networking(networking), m_log(log),
      m_clock(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now)),
      m_refreshTimer(new QTimer(this))
{
    m_refreshTimer->setSingleShot(true);
    connect(m_refreshTimer, &QTimer::timeout, this, &MonitorCalibrationMeterCard::showNow);
    setObjectName(QStringLiteral("meterCard"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPlatePadding, kPlatePadding, kPlatePadding, kPlatePadding);
    layout->setSpacing(8);
    addSourceSection(layout);
    addLinkSection(layout);
    addMeasurementSection(layout);
    layout->addStretch(1);
    layout->addLayout(buildButtons());

    connect(&m_networking, &MonitorCalibrationHostNetworking::statusTextChanged, this,
            &MonitorCalibrationMeterCard::refresh);
    connect(&m_networking, &MonitorCalibrationHostNetworking::connectedDeviceNameChanged, this,
            &MonitorCalibrationMeterCard::refresh);
    connect(&m_networking, &MonitorCalibrationHostNetworking::connectedAddressChanged, this,
            &MonitorCalibrationMeterCard::refresh);
    connect(&m_networking, &MonitorCalibrationHostNetworking::lastMeasurementChanged, this,
            &MonitorCalibrationMeterCard::refresh);
    refresh();
}

// The title and the choice of meter; the colorimeter's status when it is chosen.
void MonitorCalibrationMeterCard::addSourceSection(QVBoxLayout *layout)
{
    auto *title = new QLabel(kTitle, this);
    QFont headline = title->font();
    headline.setWeight(QFont::DemiBold);
    headline.setPointSizeF(headline.pointSizeF() * 1.1);
    title->setFont(headline);
    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("meterSource"));
    m_source->setToolTip(kSourceTip);
    m_source->setAccessibleName(kSourceTip);
    m_source->addItem(kNetworkMeter, int(MonitorCalibrationMeterSource::Network));
    m_source->addItem(kColorimeter, int(MonitorCalibrationMeterSource::Colorimeter));
    connect(m_source, &QComboBox::activated, this, [this] {
        const auto source = MonitorCalibrationMeterSource(m_source->currentData().toInt());
        setSource(source);
        Q_EMIT sourceChosen(source);
    });
    m_colorimeterStatus = secondary(plainLabel(QStringLiteral("colorimeterStatus"), this));
    m_colorimeterStatus->setWordWrap(true);
    m_colorimeterStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_colorimeterStatus->hide();
    auto *row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(secondary(new QLabel(kSourceTip, this)));
    row->addWidget(m_source, 1);
    layout->addWidget(title);
    layout->addLayout(row);
    layout->addWidget(m_colorimeterStatus);
}

// The network link's status, and its port, address and meter in two columns.
void MonitorCalibrationMeterCard::addLinkSection(QVBoxLayout *layout)
{
    m_link = new QWidget(this);
    m_status = secondary(plainLabel(QStringLiteral("meterStatus"), this));
    m_status->setWordWrap(true);
    m_port = plainLabel(QStringLiteral("meterPort"), this);
    m_address = plainLabel(QStringLiteral("meterAddress"), this);
    m_connected = plainLabel(QStringLiteral("meterConnected"), this);
    m_connected->setWordWrap(true);
    // A long name or message from the meter must not widen the card.
    for (QLabel *label : {m_status, m_connected})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(16);
    rows->setVerticalSpacing(4);
    rows->setColumnStretch(1, 1);
    const QList<std::pair<QString, QLabel *>> fields{
        {kPortRow, m_port}, {kAddressRow, m_address}, {kConnectedRow, m_connected}};
    for (int row = 0; row < fields.size(); ++row) {
        rows->addWidget(secondary(new QLabel(fields[row].first, this)), row, 0, Qt::AlignTop);
        rows->addWidget(fields[row].second, row, 1);
        fields[row].second->setAlignment(Qt::AlignRight | Qt::AlignTop);
    }
    auto *linkLayout = new QVBoxLayout(m_link);
    linkLayout->setContentsMargins(0, 0, 0, 0);
    linkLayout->setSpacing(8);
    linkLayout->addWidget(m_status);
    linkLayout->addLayout(rows);
    layout->addWidget(m_link);
}

// Below a divider: the latest reading, the tracking chart and the session's count of readings.
void MonitorCalibrationMeterCard::addMeasurementSection(QVBoxLayout *layout)
{
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setForegroundRole(QPalette::Mid);

    m_noMeasurement = secondary(plainLabel(QStringLiteral("noMeasurement"), this));
    m_noMeasurement->setText(kNoMeasurements);
    for (int i = 0; i < 3; ++i) {
        QLabel *line = plainLabel(u"measurementLine" + QString::number(i), this);
        line->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        m_measurementLines.append(line);
    }
    m_chart = new MonitorCalibrationTrackingChart(this);
    m_chart->setObjectName(QStringLiteral("trackingChart"));
    m_logCount = secondary(plainLabel(QStringLiteral("logCount"), this));

    layout->addWidget(divider);
    layout->addWidget(m_noMeasurement);
    for (QLabel *line : std::as_const(m_measurementLines))
        layout->addWidget(line);
    layout->addWidget(m_chart);
    layout->addWidget(m_logCount);
}

// Start and Stop drive the host; Save Log asks the screen to save the session's readings.
QHBoxLayout *MonitorCalibrationMeterCard::buildButtons()
{
    auto *start = new QPushButton(kStart, this);
    start->setObjectName(QStringLiteral("startButton"));
    auto *stop = new QPushButton(kStop, this);
    stop->setObjectName(QStringLiteral("stopButton"));
    m_saveLog = new QPushButton(kSaveLog, this);
    m_saveLog->setObjectName(QStringLiteral("saveLogButton"));
    m_linkButtons = new QWidget(this);
    auto *linkButtons = new QHBoxLayout(m_linkButtons);
    linkButtons->setContentsMargins(0, 0, 0, 0);
    linkButtons->addWidget(start);
    linkButtons->addWidget(stop);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_linkButtons);
    buttons->addStretch(1);
    buttons->addWidget(m_saveLog);
    connect(start, &QPushButton::clicked, &m_networking, &MonitorCalibrationHostNetworking::start);
    connect(stop, &QPushButton::clicked, &m_networking, &MonitorCalibrationHostNetworking::stop);
    connect(m_saveLog, &QPushButton::clicked, this, &MonitorCalibrationMeterCard::saveLogRequested);
    return buttons;
}

void MonitorCalibrationMeterCard::setSource(MonitorCalibrationMeterSource source)
{
    m_sourceShown = source;
    m_source->setCurrentIndex(m_source->findData(int(source)));
    const bool network = source == MonitorCalibrationMeterSource::Network;
    m_link->setVisible(network);
    m_linkButtons->setVisible(network);
    m_colorimeterStatus->setVisible(!network);
    showNow();
}

void MonitorCalibrationMeterCard::setColorimeterStatus(const QString &text)
{
    m_colorimeterStatus->setText(shortened(text));
}

void MonitorCalibrationMeterCard::setColorimeterReading(const QStringList &lines)
{
    m_colorimeterReading = lines;
    refresh();
}

void MonitorCalibrationMeterCard::refresh()
{
    if (m_refreshTimer->isActive())
        return; // what there is then is shown when it fires
    const auto now = m_clock();
    if (!m_shownAt || now - *m_shownAt >= kRefreshInterval) {
        showNow();
        return;
    }
    m_refreshTimer->start(
        std::chrono::ceil<std::chrono::milliseconds>(kRefreshInterval - (now - *m_shownAt)));
}

QString MonitorCalibrationMeterCard::connectedText(const std::optional<QString> &deviceName,
                                                   const std::optional<QString> &address)
{
    if (!address)
        return deviceName.value_or(kNoMeter);
    return shortened(deviceName.value_or(kUnnamedMeter)) + u" (" + *address + u')';
}

void MonitorCalibrationMeterCard::showNow()
{
    m_refreshTimer->stop();
    m_shownAt = m_clock();
    m_status->setText(shortened(m_networking.statusText()));
    m_port->setText(QString::number(m_networking.port()));
    m_address->setText(m_networking.targetAddress().value_or(kThisDevice));
    m_connected->setText(shortened(
        connectedText(m_networking.connectedDeviceName(), m_networking.connectedAddress())));

    QStringList lines = m_colorimeterReading;
    if (m_sourceShown == MonitorCalibrationMeterSource::Network) {
        const auto measurement = m_networking.lastMeasurement();
        lines = measurement ? measurementLines(*measurement) : QStringList{};
    }
    m_noMeasurement->setVisible(lines.isEmpty());
    for (qsizetype i = 0; i < m_measurementLines.size(); ++i) {
        m_measurementLines[i]->setVisible(i < lines.size());
        m_measurementLines[i]->setText(lines.value(i));
    }

    const MonitorCalibrationMeasureReport report(m_log.latest());
    const QList<QPointF> tracking = report.greyPoints();
    m_chart->setPoints(tracking);
    m_chart->setVisible(!tracking.isEmpty());
    Q_EMIT reportChanged(report.summary(), report.gammaByStep());
    const qsizetype count = m_log.size();
    m_logCount->setVisible(count > 0);
    m_logCount->setText(count == 1 ? QStringLiteral("1 reading this session")
                                   : QString::number(count) + u" readings this session");
    m_saveLog->setEnabled(count > 0);
}

void MonitorCalibrationMeterCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.35f));
    painter.drawRoundedRect(QRectF(rect()), kPlateRadius, kPlateRadius);
}

} // namespace hb
