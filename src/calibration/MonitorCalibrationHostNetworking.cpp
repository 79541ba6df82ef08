#include "calibration/MonitorCalibrationHostNetworking.h"

#include "calibration/CalibrationNetworkLogging.h"
#include "calibration/MonitorCalibrationListener.h"
#include "calibration/MonitorCalibrationMeterLink.h"
#include "platform/netif/LocalAddress.h"
#include "platform/netif/OwnAddresses.h"

#include <QThread>

#include <memory>

namespace hb {
namespace {

const QString kIdle = QStringLiteral("Idle");
const QString kStopped = QStringLiteral("Stopped");
const QString kFailedToStart = QStringLiteral("Failed to start: ");
const QString kListener = QStringLiteral("Listener: ");
const QString kSendFailed = QStringLiteral("Send failed: ");
const QString kListeningOnPort = QStringLiteral("Listening on port ");
const QString kTarget = QStringLiteral(" \u2014 meter connects to: ");
const QString kThisDevice = QStringLiteral("this device");

} // namespace

MonitorCalibrationHostNetworking::Options MonitorCalibrationHostNetworking::defaultOptions()
{
    Options options;
    options.localAddress = &localIPv4Address;
    options.classifyPeer = [own = std::make_shared<OwnAddresses>()](const QHostAddress &peer) {
        const AddressScope::Kind kind = AddressScope::classify(peer);
        return kind != AddressScope::Kind::Loopback && own->contains(peer)
                   ? AddressScope::Kind::Loopback
                   : kind;
    };
    return options;
}

MonitorCalibrationHostNetworking::MonitorCalibrationHostNetworking(QObject *parent)
    : MonitorCalibrationHostNetworking(defaultOptions(), parent)
{
}

MonitorCalibrationHostNetworking::MonitorCalibrationHostNetworking(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_listenerThread(new QThread(this)),
      m_connectionThread(new QThread(this)), m_listener(new MonitorCalibrationListener),
      m_link(new MonitorCalibrationMeterLink(m_options.classifyPeer)), m_statusText(kIdle)
{
    m_listenerThread->setObjectName(QStringLiteral("MonitorCalibrationHostNetworking.listener"));
    m_connectionThread->setObjectName(
        QStringLiteral("MonitorCalibrationHostNetworking.connection"));
    m_listener->moveToThread(m_listenerThread);
    m_link->moveToThread(m_connectionThread);
    connect(m_listenerThread, &QThread::finished, m_listener, &QObject::deleteLater);
    connect(m_connectionThread, &QThread::finished, m_link, &QObject::deleteLater);

    // Reports from the worker threads arrive as queued calls on this (main) thread; they end
    // with this object.
    connect(m_listener, &MonitorCalibrationListener::listening, this,
            &MonitorCalibrationHostNetworking::onListening);
    connect(m_listener, &MonitorCalibrationListener::listenFailed, this,
            [this](const QString &error) {
                m_hasListener = false;
                setStatusText(kFailedToStart + error);
            });
    connect(m_listener, &MonitorCalibrationListener::stateReported, this,
            [this](const QString &state) { setStatusText(kListener + state); });
    connect(m_listener, &MonitorCalibrationListener::connectionArrived, m_link,
            &MonitorCalibrationMeterLink::adopt);
    connect(m_link, &MonitorCalibrationMeterLink::statusReported, this,
            &MonitorCalibrationHostNetworking::setStatusText);
    connect(m_link, &MonitorCalibrationMeterLink::deviceNameReceived, this,
            [this](const QString &name) { setConnectedDeviceName(name); });
    connect(m_link, &MonitorCalibrationMeterLink::peerAccepted, this,
            [this](const QString &address) { setConnectedAddress(address); });
    connect(m_link, &MonitorCalibrationMeterLink::measurementReceived, this,
            [this](const MonitorCalibrationMeasurementPayload &measurement) {
                const bool changed = m_lastMeasurement != measurement;
                m_lastMeasurement = measurement;
                if (changed)
                    Q_EMIT lastMeasurementChanged();
                Q_EMIT measurementReceived(measurement);
            });

    m_listenerThread->start();
    m_connectionThread->start();
}

MonitorCalibrationHostNetworking::~MonitorCalibrationHostNetworking()
{
    shutDownWorkers();
    // One thread after the other: the listener sends to the link, and a sender destroyed on one
    // thread while its receiver is destroyed on another races in QObject's disconnection.
    m_listenerThread->quit();
    m_listenerThread->wait();
    m_connectionThread->quit();
    m_connectionThread->wait();
}

QString MonitorCalibrationHostNetworking::listeningText(quint16 port,
                                                        const std::optional<QString> &address)
{
    const QString portText = QString::number(port);
    return kListeningOnPort + portText + kTarget + address.value_or(kThisDevice) + u':' + portText;
}

void MonitorCalibrationHostNetworking::start()
{
    if (m_hasListener)
        return;
    m_hasListener = true;
    QMetaObject::invokeMethod(m_listener,
                              [listener = m_listener, address = m_options.listenAddress,
                               port = m_options.port] { listener->listenOn(address, port); });
}

void MonitorCalibrationHostNetworking::stop()
{
    m_hasListener = false;
    m_listeningPort = 0;
    shutDownWorkers();
    // Queued behind the workers' last reports ("Listener: cancelled", "Connection: cancelled"),
    // so the status line ends on "Stopped".
    QMetaObject::invokeMethod(
        this,
        [this] {
            setConnectedDeviceName(std::nullopt);
            setConnectedAddress(std::nullopt);
            setStatusText(kStopped);
        },
        Qt::QueuedConnection);
}

void MonitorCalibrationHostNetworking::shutDownWorkers()
{
    // Blocking, listener first: a stream accepted before the listener closed reaches the link
    // before the link drops its connection, so none is left behind.
    QMetaObject::invokeMethod(
        m_listener, [listener = m_listener] { listener->cancel(); }, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(
        m_link, [link = m_link] { link->drop(); }, Qt::BlockingQueuedConnection);
}

void MonitorCalibrationHostNetworking::sendShowPatch(const MonitorCalibrationPatch &patch)
{
    if (!m_link->hasConnection())
        return;
    const auto frame = encodeFrame(MonitorCalibrationShowPatchPayload{patch});
    if (!frame) {
        setStatusText(kSendFailed + frame.error().description);
        return;
    }
    QMetaObject::invokeMethod(m_link, [link = m_link, bytes = *frame] { link->send(bytes); });
}

void MonitorCalibrationHostNetworking::onListening(quint16 port)
{
    if (!m_hasListener)
        return; // stopped while the listener was starting
    m_listeningPort = port;
    m_targetAddress = m_options.localAddress ? m_options.localAddress() : std::nullopt;
    setStatusText(listeningText(port, m_targetAddress));
    setStatusText(kListener + QStringLiteral("ready"));
}

void MonitorCalibrationHostNetworking::setStatusText(const QString &text)
{
    if (m_statusText == text)
        return;
    qCDebug(lcCalibrationNetwork).noquote() << "Status:" << text;
    m_statusText = text;
    Q_EMIT statusTextChanged(m_statusText);
}

void MonitorCalibrationHostNetworking::setConnectedDeviceName(const std::optional<QString> &name)
{
    if (m_connectedDeviceName == name)
        return;
    m_connectedDeviceName = name;
    Q_EMIT connectedDeviceNameChanged();
}

void MonitorCalibrationHostNetworking::setConnectedAddress(const std::optional<QString> &address)
{
    if (m_connectedAddress == address)
        return;
    m_connectedAddress = address;
    Q_EMIT connectedAddressChanged();
}

} // namespace hb
