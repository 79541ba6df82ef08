#include "calibration/MonitorCalibrationListener.h"

namespace hb {

MonitorCalibrationListener::MonitorCalibrationListener(QObject *parent) : QTcpServer(parent)
{
    // Accepting failed (out of descriptors, for example); the listener stays as it is.
    connect(this, &QTcpServer::acceptError, this,
            [this] { Q_EMIT stateReported(u"failed (" + errorString() + u')'); });
}

void MonitorCalibrationListener::listenOn(const QHostAddress &address, quint16 port)
{
    if (isListening())
        return;
    if (!listen(address, port)) {
        Q_EMIT listenFailed(errorString());
        return;
    }
    Q_EMIT listening(serverPort());
}

void MonitorCalibrationListener::cancel()
{
    if (!isListening())
        return;
    close();
    Q_EMIT stateReported(QStringLiteral("cancelled"));
}

void MonitorCalibrationListener::incomingConnection(qintptr socketDescriptor)
{
    Q_EMIT connectionArrived(socketDescriptor);
}

} // namespace hb
