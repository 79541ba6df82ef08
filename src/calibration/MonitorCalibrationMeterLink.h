#pragma once

#include "calibration/MonitorCalibrationMessage.h"

#include <QObject>
#include <QPointer>

#include <atomic>

namespace hb {

class MonitorCalibrationLineDelimitedConnection;

// The calibration host's side of the meter stream. It lives on the host's connection thread,
// keeps at most one meter connection (a new one replaces the old), decodes what the meter sends
// and reports it with signals; the host turns those into its published fields on the main thread.
class MonitorCalibrationMeterLink : public QObject {
    Q_OBJECT

public:
    // A line longer than this without a line feed is dropped; no message comes close to it.
    static constexpr qsizetype kMaxLineLength = 1024 * 1024;

    explicit MonitorCalibrationMeterLink(QObject *parent = nullptr);
    ~MonitorCalibrationMeterLink() override;

    // Takes the accepted stream and makes it the meter connection, cancelling the previous one.
    void adopt(qintptr socketDescriptor);
    // Writes a frame to the meter connection, if there is one.
    void send(const QByteArray &frame);
    // Cancels the meter connection and forgets it.
    void drop();

    // Whether there is a meter connection; readable from any thread.
    bool hasConnection() const { return m_hasConnection.load(); }

    // The status line's text for a line that was too long.
    static QString lineTooLongDescription();

Q_SIGNALS:
    // "Connection: ready", "Decode failed: ...", "Meter error: ...".
    void statusReported(const QString &statusText);
    void deviceNameReceived(const QString &deviceName);
    void measurementReceived(const hb::MonitorCalibrationMeasurementPayload &measurement);

private:
    void handleLine(const QByteArray &line);
    void setActive(MonitorCalibrationLineDelimitedConnection *connection);

    QPointer<MonitorCalibrationLineDelimitedConnection> m_active;
    std::atomic<bool> m_hasConnection = false;
};

} // namespace hb
