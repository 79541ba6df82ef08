#pragma once

// A stand-in for the shortcut server: it greets each pad with the bytes a test chooses, says
// more when told to, and keeps everything the pads send. Lives on the thread that makes it.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace hb::test {

class ScriptedShortcutServer : public QObject {
public:
    explicit ScriptedShortcutServer(QByteArray greeting = {}) : m_greeting(std::move(greeting))
    {
        connect(&m_listener, &QTcpServer::newConnection, this,
                &ScriptedShortcutServer::onNewConnection);
    }

    bool listen(const QHostAddress &address = QHostAddress::LocalHost)
    {
        return m_listener.listen(address, 0);
    }
    quint16 port() const { return m_listener.serverPort(); }

    // Connections accepted so far.
    int connections() const { return m_connections; }
    // Everything every pad sent, in the order it arrived.
    QByteArray received() const { return m_received; }

    // Writes to the pad that connected last.
    void say(const QByteArray &bytes)
    {
        if (QTcpSocket *pad = m_pads.value(m_pads.size() - 1)) {
            pad->write(bytes);
            pad->flush();
        }
    }
    // Closes the connection of the pad that connected last, after what was said.
    void close()
    {
        if (QTcpSocket *pad = m_pads.value(m_pads.size() - 1))
            pad->disconnectFromHost();
    }

private:
    void onNewConnection()
    {
        while (QTcpSocket *pad = m_listener.nextPendingConnection()) {
            ++m_connections;
            m_pads.append(pad);
            connect(pad, &QIODevice::readyRead, this,
                    [this, pad] { m_received += pad->readAll(); });
            if (!m_greeting.isEmpty())
                pad->write(m_greeting);
        }
    }

    QTcpServer m_listener;
    QByteArray m_greeting;
    QList<QPointer<QTcpSocket>> m_pads;
    QByteArray m_received;
    int m_connections = 0;
};

} // namespace hb::test
