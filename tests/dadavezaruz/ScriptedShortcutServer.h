#pragma once

// A stand-in for the shortcut server: says what a test tells it to the pad that connected last,
// and keeps everything the pads send. Lives on the thread that makes it.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace hb::test {

class ScriptedShortcutServer : public QObject {
public:
    ScriptedShortcutServer()
    {
        connect(&m_listener, &QTcpServer::newConnection, this,
                &ScriptedShortcutServer::onNewConnection);
    }

    bool listen(const QHostAddress &address = QHostAddress::LocalHost)
    {
        return m_listener.listen(address, 0);
    }
    quint16 port() const { return m_listener.serverPort(); }
    int connections() const { return int(m_pads.size()); }
    QByteArray received() const { return m_received; } // from every pad, in arrival order

    void say(const QByteArray &bytes)
    {
        if (QTcpSocket *pad = m_pads.value(m_pads.size() - 1)) {
            pad->write(bytes);
            pad->flush();
        }
    }

private:
    void onNewConnection()
    {
        while (QTcpSocket *pad = m_listener.nextPendingConnection()) {
            m_pads.append(pad);
            connect(pad, &QIODevice::readyRead, this,
                    [this, pad] { m_received += pad->readAll(); });
        }
    }

    QTcpServer m_listener;
    QList<QPointer<QTcpSocket>> m_pads;
    QByteArray m_received;
};

} // namespace hb::test
