#include "calibration/MonitorCalibrationMeterLink.h"

#include "calibration/CalibrationNetworkLogging.h"
#include "calibration/MonitorCalibrationLineDelimitedConnection.h"
#include "platform/netif/PlainAddress.h"

#include <QTcpSocket>

#include <unistd.h>

namespace hb {
namespace {

const QString kConnection = QStringLiteral("Connection: ");
const QString kDecodeFailed = QStringLiteral("Decode failed: ");
const QString kMeterError = QStringLiteral("Meter error: ");
const QString kRefused = QStringLiteral("Refused a meter at ");
const QString kNotLocal = QStringLiteral(": only meters on the local network are served");
const QString kSharedSpace =
    QStringLiteral(": carrier and VPN addresses (100.64.0.0/10) are not served");

} // namespace

MonitorCalibrationMeterLink::MonitorCalibrationMeterLink(Classifier classifyPeer, QObject *parent)
    : QObject(parent),
      m_classifyPeer(classifyPeer ? std::move(classifyPeer) : Classifier(&AddressScope::classify))
{
}

MonitorCalibrationMeterLink::~MonitorCalibrationMeterLink() = default;

QString MonitorCalibrationMeterLink::lineTooLongDescription()
{
    return QStringLiteral("a line longer than 1 MiB was dropped");
}

std::optional<QString> MonitorCalibrationMeterLink::refusal(AddressScope::Kind kind,
                                                            const QString &address)
{
    switch (kind) {
    case AddressScope::Kind::Loopback:
    case AddressScope::Kind::LocalNetwork:
        return std::nullopt;
    case AddressScope::Kind::SharedAddressSpace:
        return kRefused + address + kSharedSpace;
    case AddressScope::Kind::Elsewhere:
        break;
    }
    return kRefused + address + kNotLocal;
}

void MonitorCalibrationMeterLink::adopt(qintptr socketDescriptor)
{
    auto *socket = new QTcpSocket;
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        qCWarning(lcCalibrationNetwork).noquote()
            << "A meter's connection could not be taken over:" << socket->errorString();
        delete socket;
        ::close(int(socketDescriptor));
        return;
    }
    const QHostAddress peer = socket->peerAddress();
    const QString address = plainAddress(peer).toString();
    if (const auto refused = refusal(m_classifyPeer(peer), address)) {
        qCInfo(lcCalibrationNetwork).noquote() << *refused;
        socket->abort();
        delete socket;
        Q_EMIT statusReported(*refused);
        return;
    }
    auto *connection = new MonitorCalibrationLineDelimitedConnection(socket, this, kMaxLineLength);
    drop(); // the previous meter reports "Connection: cancelled"
    setActive(connection);

    // The callbacks run on this thread while the connection is alive; the connection is this
    // object's child, so it cannot outlive it.
    connection->onStateUpdate =
        [this](const MonitorCalibrationLineDelimitedConnection::State &state) {
            Q_EMIT statusReported(kConnection + state.description());
        };
    connection->onLine = [this](const QByteArray &line) { handleLine(line); };
    connection->onLineDropped = [this] {
        Q_EMIT statusReported(kDecodeFailed + lineTooLongDescription());
    };
    Q_EMIT peerAccepted(address);
    connection->start();
}

void MonitorCalibrationMeterLink::send(const QByteArray &frame)
{
    if (m_active)
        m_active->send(frame);
}

void MonitorCalibrationMeterLink::drop()
{
    if (!m_active)
        return;
    MonitorCalibrationLineDelimitedConnection *previous = m_active;
    setActive(nullptr);
    previous->cancel();
    previous->deleteLater(); // it may be the caller of this through one of its callbacks
}

void MonitorCalibrationMeterLink::setActive(MonitorCalibrationLineDelimitedConnection *connection)
{
    m_active = connection;
    m_hasConnection.store(connection != nullptr);
}

void MonitorCalibrationMeterLink::handleLine(const QByteArray &line)
{
    const auto envelope = decodeEnvelope(line);
    if (!envelope) {
        Q_EMIT statusReported(kDecodeFailed + envelope.error().description);
        return;
    }
    if (envelope->type == MonitorCalibrationMessageType::ShowPatch)
        return; // only the host sends patches
    const auto payload = decodePayload(envelope->type, envelope->payload);
    if (!payload) {
        Q_EMIT statusReported(kDecodeFailed + payload.error().description);
        return;
    }
    if (const auto *hello = std::get_if<MonitorCalibrationHelloPayload>(&*payload))
        Q_EMIT deviceNameReceived(hello->deviceName);
    else if (const auto *reading = std::get_if<MonitorCalibrationMeasurementPayload>(&*payload))
        Q_EMIT measurementReceived(*reading);
    else if (const auto *error = std::get_if<MonitorCalibrationErrorPayload>(&*payload))
        Q_EMIT statusReported(kMeterError + error->message);
}

} // namespace hb
