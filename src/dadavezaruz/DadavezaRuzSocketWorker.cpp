#include "dadavezaruz/DadavezaRuzSocketWorker.h"

#include "dadavezaruz/TcpSocketControl.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace hb {

DadavezaRuzSocketWorker::DadavezaRuzSocketWorker(ReportFunction report, SentFunction sent,
                                                 StatusFunction status)
    : m_report(std::move(report)), m_sent(std::move(sent)), m_status(std::move(status))
{
}

DadavezaRuzSocketWorker::~DadavezaRuzSocketWorker()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    // A press the server has not acknowledged yet must not arrive after the pad let go of it.
    if (!m_pending.isEmpty() && m_socket->socketDescriptor() != -1)
        TcpSocketControl::discardUnsentOnClose(m_socket->socketDescriptor());
    m_socket->abort();
}

QString DadavezaRuzSocketWorker::notOpenText()
{
    return u"The connection is not open"_s;
}

QString DadavezaRuzSocketWorker::stoppedAnsweringText()
{
    return u"The server stopped answering"_s;
}

void DadavezaRuzSocketWorker::open(const QString &host, quint16 port)
{
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(kReadBufferSize);
    m_ackPoll = new QTimer(this);
    m_ackPoll->setInterval(kAckPollMsec);
    m_ackPoll->setTimerType(Qt::PreciseTimer);
    connect(m_ackPoll, &QTimer::timeout, this, &DadavezaRuzSocketWorker::checkAcknowledged);
    connect(m_socket, &QAbstractSocket::stateChanged, this,
            &DadavezaRuzSocketWorker::onStateChanged);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &DadavezaRuzSocketWorker::onError);
    connect(m_socket, &QIODevice::readyRead, this, &DadavezaRuzSocketWorker::onReadyRead);
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
        TcpSocketControl::enableDeadPeerDetection(m_socket->socketDescriptor());
        QHostAddress address = m_socket->peerAddress();
        bool isV4 = false;
        const quint32 v4 = address.toIPv4Address(&isV4); // also unwraps ::ffff:a.b.c.d
        if (isV4)
            address = QHostAddress(v4);
        m_ready = true;
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
    // Once connected, a timeout is the system giving up on a silent server: keep-alive probes or
    // written bytes went unanswered.
    const bool silent = m_ready && m_socket->error() == QAbstractSocket::SocketTimeoutError;
    fail(silent ? stoppedAnsweringText() : m_socket->errorString());
}

void DadavezaRuzSocketWorker::onReadyRead()
{
    // Read in pieces no longer than a status line: an endless line from a broken server is
    // dropped as it comes, never held.
    while (m_socket->bytesAvailable() > 0) {
        const QByteArray chunk = m_socket->read(ServerStatusMessage::kMaxLineLength);
        if (chunk.isEmpty())
            break;
        m_lines.append(chunk, [this](const QByteArray &line) {
            if (m_ended)
                return;
            if (const std::optional<ServerStatusMessage> message =
                    ServerStatusMessage::decode(line))
                m_status(*message);
        });
    }
}

void DadavezaRuzSocketWorker::write(quint64 sendId, const QByteArray &frame)
{
    if (!m_socket || m_ended || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_sent(sendId, notOpenText());
        return;
    }
    const qint64 accepted = m_socket->write(frame);
    if (accepted != frame.size()) {
        m_sent(sendId, m_socket->errorString());
        return;
    }
    m_queued += accepted;
    m_pending.append({sendId, m_queued, QDeadlineTimer(kAckDeadlineMsec)});
    m_socket->flush();
    // On a good link the acknowledgement is often there already: no timer for those.
    checkAcknowledged();
}

qint64 DadavezaRuzSocketWorker::acknowledgedBytes() const
{
    const qint64 handedToSystem = m_queued - m_socket->bytesToWrite();
    const std::optional<qint64> unacknowledged =
        TcpSocketControl::unacknowledgedBytes(m_socket->socketDescriptor());
    // Where the system cannot say, a frame counts once it was handed over, as it did before.
    return handedToSystem - unacknowledged.value_or(0);
}

void DadavezaRuzSocketWorker::checkAcknowledged()
{
    if (m_pending.isEmpty() || m_ended || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_ackPoll->stop();
        return;
    }
    const qint64 acknowledged = acknowledgedBytes();
    while (!m_pending.isEmpty() && m_pending.constFirst().endOffset <= acknowledged)
        m_sent(m_pending.takeFirst().id, {});
    if (m_pending.isEmpty()) {
        m_ackPoll->stop();
        return;
    }
    if (m_pending.constFirst().deadline.hasExpired()) {
        stopAnswering();
        return;
    }
    if (!m_ackPoll->isActive())
        m_ackPoll->start();
}

void DadavezaRuzSocketWorker::stopAnswering()
{
    // Reset rather than close: a plain close would leave the system sending the frames in the
    // background, and the server would type them once the link came back.
    m_socket->disconnect(this);
    TcpSocketControl::discardUnsentOnClose(m_socket->socketDescriptor());
    m_socket->abort();
    fail(stoppedAnsweringText());
}

void DadavezaRuzSocketWorker::fail(const QString &description)
{
    m_ackPoll->stop();
    failPendingSends(description);
    if (m_ended)
        return;
    m_ended = true;
    m_report(DadavezaRuzLink::Report::Failed, description, {});
}

void DadavezaRuzSocketWorker::failPendingSends(const QString &description)
{
    const QList<PendingSend> pending = std::exchange(m_pending, {});
    for (const PendingSend &send : pending)
        m_sent(send.id, description);
}

} // namespace hb
