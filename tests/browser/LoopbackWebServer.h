#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

// A tiny HTTP server on a loopback address for browser tests: serves fixed pages by path and
// counts the requests it sees. Every connection is answered once and closed.
class LoopbackWebServer : public QObject {
public:
    explicit LoopbackWebServer(const QHostAddress &address)
    {
        m_server.listen(address, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool isListening() const { return m_server.isListening(); }
    QString origin() const
    {
        return QStringLiteral("http://%1:%2")
            .arg(m_server.serverAddress().toString())
            .arg(m_server.serverPort());
    }
    // `status` is the HTTP status line's code and phrase, e.g. "404 Not Found".
    void setPage(const QString &path, const QString &html, const QByteArray &status = "200 OK")
    {
        m_pages.insert(path, Page{html, status});
    }
    // Requests for pages, favicon lookups left out.
    int pageRequests() const { return m_pageRequests; }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        m_requests.remove(socket);
        const QString path = words.size() > 1 ? QString::fromLatin1(words.at(1)) : QString();
        const auto page = m_pages.constFind(path);
        if (page != m_pages.cend())
            ++m_pageRequests;
        const QByteArray body =
            page != m_pages.cend() ? page->html.toUtf8() : QByteArrayLiteral("not found");
        const QByteArray status = page != m_pages.cend() ? page->status : "404 Not Found";
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\n" +
                      "Cache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    struct Page {
        QString html;
        QByteArray status;
    };

    QTcpServer m_server;
    QHash<QString, Page> m_pages;
    QHash<QTcpSocket *, QByteArray> m_requests;
    int m_pageRequests = 0;
};
