#pragma once

#include "calibration/MonitorCalibrationMessage.h"
#include "platform/netif/AddressScope.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>

namespace hb {

class MonitorCalibrationLineDelimitedConnection;

// The calibration host's side of the meter stream. It lives on the host's connection thread,
// keeps at most one meter connection (a new one replaces the old), decodes what the meter sends
// and reports it with signals; the host turns those into its published fields on the main thread.
//
// Only meters on this machine or its local network are served: a stream from any other address
// is closed at once and the meter connection there was stays.
class MonitorCalibrationMeterLink : public QObject {
    Q_OBJECT

public:
    using Classifier = std::function<AddressScope::Kind(const QHostAddress &)>;

    // A line longer than this without a line feed is dropped; no message comes close to it.
    static constexpr qsizetype kMaxLineLength = 1024 * 1024;

    // `classifyPeer` empty: AddressScope::classify.
    explicit MonitorCalibrationMeterLink(Classifier classifyPeer = {}, QObject *parent = nullptr);
    ~MonitorCalibrationMeterLink() override;

    // Takes the accepted stream and makes it the meter connection, cancelling the previous one;
    // or closes it when the peer may not be served.
    void adopt(qintptr socketDescriptor);
    // Writes a frame to the meter connection, if there is one.
    void send(const QByteArray &frame);
    // Cancels the meter connection and forgets it.
    void drop();

    // Whether there is a meter connection; readable from any thread.
    bool hasConnection() const { return m_hasConnection.load(); }

    // The status line's text for a line that was too long.
    static QString lineTooLongDescription();
    // The status line for a refused peer, or nothing when a peer of this kind is served.
    static std::optional<QString> refusal(AddressScope::Kind kind, const QString &address);

Q_SIGNALS:
    // "Connection: ready", "Decode failed: ...", "Meter error: ...".
    void statusReported(const QString &statusText);
    void deviceNameReceived(const QString &deviceName);
    // The address of a meter whose stream became the meter connection.
    void peerAccepted(const QString &address);
    void measurementReceived(const hb::MonitorCalibrationMeasurementPayload &measurement);

private:
    void handleLine(const QByteArray &line);
    void setActive(MonitorCalibrationLineDelimitedConnection *connection);

    Classifier m_classifyPeer;
    QPointer<MonitorCalibrationLineDelimitedConnection> m_active;
    std::atomic<bool> m_hasConnection = false;
};

} // namespace hb
