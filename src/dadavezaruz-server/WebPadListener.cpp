#include "dadavezaruz-server/WebPadListener.h"

#include "platform/netif/PlainAddress.h"

#include <QTcpSocket>

namespace hb {

WebPadListener::WebPadListener(Admission admits, QObject *parent)
    : QTcpServer(parent), m_admits(std::move(admits))
{
}

void WebPadListener::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    const QString address = plainAddress(socket->peerAddress()).toString();
    if (m_counts->all >= kMaxConnections ||
        m_counts->perAddress.value(address) >= kMaxConnectionsPerAddress ||
        !m_admits(socket->peerAddress(), socket->localAddress())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_counts->all;
    ++m_counts->perAddress[address];
    // The socket lives on in the WebSocket it may become; it is counted until it is gone.
    connect(socket, &QObject::destroyed, [counts = m_counts, address] {
        --counts->all;
        if (--counts->perAddress[address] <= 0)
            counts->perAddress.remove(address);
    });
    // The HTTP server keeps everything it has not answered yet; the WebSocket it may become
    // drops this connection (and every other) when it takes the socket over.
    connect(socket, &QTcpSocket::readyRead, socket, [socket] {
        if (socket->bytesAvailable() > kMaxBufferedRequestBytes)
            socket->abort();
    });
    addPendingConnection(socket);
}

} // namespace hb
