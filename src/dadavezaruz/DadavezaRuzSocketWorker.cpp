#include "dadavezaruz/DadavezaRuzSocketWorker.h"

#include <QHostAddress>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace hb {

DadavezaRuzSocketWorker::DadavezaRuzSocketWorker(ReportFunction report, SentFunction sent)
    : m_report(std::move(report)), m_sent(std::move(sent))
{
}

DadavezaRuzSocketWorker::~DadavezaRuzSocketWorker()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

QString DadavezaRuzSocketWorker::notOpenText()
{
    return u"The connection is not open"_s;
}

void DadavezaRuzSocketWorker::open(const QString &host, quint16 port)
{
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QAbstractSocket::stateChanged, this,
            &DadavezaRuzSocketWorker::onStateChanged);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &DadavezaRuzSocketWorker::onError);
    connect(m_socket, &QAbstractSocket::bytesWritten, this,
            &DadavezaRuzSocketWorker::onBytesWritten);
    m_socket->connectToHost(host, port);
}

void DadavezaRuzSocketWorker::onStateChanged(QAbstractSocket::SocketState state)
{
    switch (state) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        m_report(DadavezaRuzLink::Report::Preparing, {}, {});
        break;
    case QAbstractSocket::ConnectedState: {
        // One small frame per press: it must leave at once, not wait to be coalesced.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QHostAddress address = m_socket->peerAddress();
        bool isV4 = false;
        const quint32 v4 = address.toIPv4Address(&isV4); // also unwraps ::ffff:a.b.c.d
        if (isV4)
            address = QHostAddress(v4);
        m_report(DadavezaRuzLink::Report::Ready, {},
                 DadavezaRuzPeer{address.toString(), m_socket->peerPort()});
        break;
    }
    case QAbstractSocket::UnconnectedState:
    case QAbstractSocket::BoundState:
    case QAbstractSocket::ListeningState:
    case QAbstractSocket::ClosingState:
        break;
    }
}

void DadavezaRuzSocketWorker::onError()
{
    const QString description = m_socket->errorString();
    failPendingSends(description);
    if (m_ended)
        return;
    m_ended = true;
    m_report(DadavezaRuzLink::Report::Failed, description, {});
}

void DadavezaRuzSocketWorker::write(quint64 sendId, const QByteArray &frame)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_sent(sendId, notOpenText());
        return;
    }
    const qint64 accepted = m_socket->write(frame);
    if (accepted != frame.size()) {
        m_sent(sendId, m_socket->errorString());
        return;
    }
    m_queued += accepted;
    m_pending.append({sendId, m_queued});
    m_socket->flush();
}

void DadavezaRuzSocketWorker::onBytesWritten(qint64 bytes)
{
    m_written += bytes;
    while (!m_pending.isEmpty() && m_pending.constFirst().endOffset <= m_written)
        m_sent(m_pending.takeFirst().id, {});
}

void DadavezaRuzSocketWorker::failPendingSends(const QString &description)
{
    const QList<PendingSend> pending = std::exchange(m_pending, {});
    for (const PendingSend &send : pending)
        m_sent(send.id, description);
}

} // namespace hb
