#pragma once

#include <QHostAddress>
#include <QTcpServer>

namespace hb {

// The calibration host's TCP listener. It lives on the host's listener thread and hands each
// accepted stream on as a socket descriptor, so that the stream's socket can be made on the
// connection thread.
class MonitorCalibrationListener : public QTcpServer {
    Q_OBJECT

public:
    explicit MonitorCalibrationListener(QObject *parent = nullptr);

    // Listens, and reports the outcome with listening() or listenFailed().
    void listenOn(const QHostAddress &address, quint16 port);
    // Stops listening; reports "cancelled" if it was listening.
    void cancel();

Q_SIGNALS:
    void listening(quint16 port);
    void listenFailed(const QString &error);
    // A state of the listener after it started, as "failed (reason)" or "cancelled".
    void stateReported(const QString &state);
    // Whoever receives the descriptor owns it and must close it.
    void connectionArrived(qintptr socketDescriptor);

protected:
    void incomingConnection(qintptr socketDescriptor) override;
};

} // namespace hb
