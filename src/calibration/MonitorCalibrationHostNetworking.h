#pragma once

#include "calibration/MonitorCalibrationMessage.h"
#include "platform/netif/AddressScope.h"

#include <QHostAddress>
#include <QObject>

#include <functional>
#include <optional>

class QThread;

namespace hb {

class MonitorCalibrationListener;
class MonitorCalibrationMeterLink;

// The computer end of the calibration link: listens for one light meter, tells it which patch
// is on screen, and publishes a status line, the meter's name and its latest reading.
//
// The object and its published fields belong to the main thread. The listener runs on the
// thread "MonitorCalibrationHostNetworking.listener"; the meter stream, its reading and decoding
// on "MonitorCalibrationHostNetworking.connection", which alone touches the active connection.
// Destroying the object closes the listener and the meter stream.
class MonitorCalibrationHostNetworking : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)

public:
    static constexpr quint16 kPort = 8765;

    struct Options {
        // 0 lets the system choose (tests); listeningPort() then tells which.
        quint16 port = kPort;
        QHostAddress listenAddress = QHostAddress::Any;
        // This computer's address for the meter; nothing when there is none.
        std::function<std::optional<QString>()> localAddress;
        // Where a meter connects from; meters on this machine and the local network are served,
        // others refused. Called on the connection thread.
        std::function<AddressScope::Kind(const QHostAddress &)> classifyPeer =
            &AddressScope::classify;
    };

    // Port 8765 on every local address; the target shown is the address of the interface with
    // the default route; a meter on one of this machine's own addresses counts as this machine.
    static Options defaultOptions();

    explicit MonitorCalibrationHostNetworking(QObject *parent = nullptr);
    explicit MonitorCalibrationHostNetworking(Options options, QObject *parent = nullptr);
    ~MonitorCalibrationHostNetworking() override;

    QString statusText() const { return m_statusText; }
    std::optional<QString> connectedDeviceName() const { return m_connectedDeviceName; }
    std::optional<MonitorCalibrationMeasurementPayload> lastMeasurement() const
    {
        return m_lastMeasurement;
    }
    // The address of the meter connection accepted last; survives its end, like the name, and
    // is forgotten by stop().
    std::optional<QString> connectedAddress() const { return m_connectedAddress; }
    quint16 port() const { return m_options.port; }
    // The port being listened on; 0 when not listening.
    quint16 listeningPort() const { return m_listeningPort; }
    // The address the meter should connect to, as found by the last start().
    std::optional<QString> targetAddress() const { return m_targetAddress; }

    // Begins listening; does nothing while a listener exists (also one that has failed).
    void start();
    // Stops listening, drops the meter and forgets its name.
    void stop();
    // Tells the meter which patch is shown; does nothing without a meter.
    void sendShowPatch(const MonitorCalibrationPatch &patch);

    // "Listening on port 8765 — meter connects to: 192.0.2.7:8765", or "…this device:8765".
    static QString listeningText(quint16 port, const std::optional<QString> &address);

    QThread *listenerThread() const { return m_listenerThread; }
    QThread *connectionThread() const { return m_connectionThread; }

Q_SIGNALS:
    void statusTextChanged(const QString &statusText);
    void connectedDeviceNameChanged();
    void connectedAddressChanged();
    void lastMeasurementChanged();
    // Every reading, also one equal to the last.
    void measurementReceived(const hb::MonitorCalibrationMeasurementPayload &measurement);

private:
    void setStatusText(const QString &text);
    void setConnectedDeviceName(const std::optional<QString> &name);
    void setConnectedAddress(const std::optional<QString> &address);
    void onListening(quint16 port);
    void shutDownWorkers();

    Options m_options;
    QThread *m_listenerThread;
    QThread *m_connectionThread;
    MonitorCalibrationListener *m_listener;
    MonitorCalibrationMeterLink *m_link;
    bool m_hasListener = false;
    quint16 m_listeningPort = 0;
    QString m_statusText;
    std::optional<QString> m_connectedDeviceName;
    std::optional<QString> m_connectedAddress;
    std::optional<MonitorCalibrationMeasurementPayload> m_lastMeasurement;
    std::optional<QString> m_targetAddress;
};

} // namespace hb
