#include "calibration/MonitorCalibrationLineDelimitedConnection.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace hb {

QString MonitorCalibrationLineDelimitedConnection::State::description() const
{
    static const char *const names[] = {"setup", "waiting", "ready", "failed", "cancelled"};
    QString text = QString::fromLatin1(names[int(kind)]);
    if (error && (kind == Kind::Waiting || kind == Kind::Failed))
        text += u" (" + *error + u')';
    return text;
}

MonitorCalibrationLineDelimitedConnection::MonitorCalibrationLineDelimitedConnection(
    QTcpSocket *socket, QObject *parent, qsizetype maxLineLength)
    : QObject(parent), m_socket(socket), m_lines(maxLineLength)
{
    m_socket->setParent(this);
}

MonitorCalibrationLineDelimitedConnection::~MonitorCalibrationLineDelimitedConnection() = default;

MonitorCalibrationLineDelimitedConnection::State
MonitorCalibrationLineDelimitedConnection::stateFor(QAbstractSocket::SocketState socketState)
{
    using Kind = State::Kind;
    switch (socketState) {
    case QAbstractSocket::UnconnectedState:
        return {Kind::Cancelled, std::nullopt};
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return {Kind::Waiting, std::nullopt};
    case QAbstractSocket::ConnectedState:
        return {Kind::Ready, std::nullopt};
    case QAbstractSocket::BoundState:
    case QAbstractSocket::ListeningState:
    case QAbstractSocket::ClosingState:
        break;
    }
    return {Kind::Failed, std::nullopt};
}

void MonitorCalibrationLineDelimitedConnection::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(m_socket, &QTcpSocket::readyRead, this,
            &MonitorCalibrationLineDelimitedConnection::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        readAvailable(); // the last chunk's lines come before the close
        finish({State::Kind::Cancelled, std::nullopt});
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        readAvailable();
        if (error == QAbstractSocket::RemoteHostClosedError)
            finish({State::Kind::Cancelled, std::nullopt});
        else
            finish({State::Kind::Failed, m_socket->errorString()});
    });

    const State initial = stateFor(m_socket->state());
    report(initial);
    if (initial.kind == State::Kind::Ready)
        readAvailable();
    else if (initial.kind == State::Kind::Cancelled)
        m_finished = true;
}

void MonitorCalibrationLineDelimitedConnection::send(const QByteArray &bytes)
{
    if (!m_finished)
        m_socket->write(bytes);
}

void MonitorCalibrationLineDelimitedConnection::cancel()
{
    if (m_finished)
        return;
    m_finished = true;
    m_socket->disconnect(this);
    m_socket->abort();
    report({State::Kind::Cancelled, std::nullopt});
}

void MonitorCalibrationLineDelimitedConnection::closeWhenSent()
{
    if (m_finished || m_closing)
        return;
    m_closing = true;
    m_socket->disconnectFromHost();
}

QHostAddress MonitorCalibrationLineDelimitedConnection::peerAddress() const
{
    return m_socket->peerAddress();
}

void MonitorCalibrationLineDelimitedConnection::report(const State &state)
{
    if (onStateUpdate)
        onStateUpdate(state);
}

void MonitorCalibrationLineDelimitedConnection::readAvailable()
{
    if (m_finished || m_closing)
        return;
    static constexpr qint64 kChunk = 65536;
    char chunk[kChunk];
    for (;;) {
        const qint64 read = m_socket->read(chunk, kChunk);
        if (read <= 0)
            break;
        m_lines.append(
            QByteArrayView(chunk, read),
            [this](QByteArray line) {
                if (!m_finished && !m_closing && onLine) // a callback may have ended the stream
                    onLine(std::move(line));
            },
            [this] {
                if (!m_finished && !m_closing && onLineDropped)
                    onLineDropped();
            });
    }
}

void MonitorCalibrationLineDelimitedConnection::finish(const State &state)
{
    if (m_finished)
        return;
    m_finished = true;
    report(state);
}

} // namespace hb
