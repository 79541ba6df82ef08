#pragma once

#include "dadavezaruz-server/WebPadSnapshot.h"

#include <QAbstractHttpServer>
#include <QStringList>

#include <memory>

namespace hb {

// The web pad's HTTP side: the page, its script, style, manifest and icons from the resources,
// the bundled button icons, and the buttons' custom images by their hash. Only GET, only for a
// Host header that names this machine (a page of another site that was pointed at this machine's
// address by its DNS server gets nothing), and with headers that keep the page out of other sites'
// frames and keep browsers from guessing types. A WebSocket upgrade goes to
// newWebSocketConnection() when it asks for the pad's socket from the pad's own page; any other is
// answered 403 before the handshake (a page of another site may open sockets to any address).
class WebPadHttpServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    // `ownNames`: the host names of this machine that a Host header may carry besides addresses
    // and "localhost".
    explicit WebPadHttpServer(QStringList ownNames, QObject *parent = nullptr);

    void setSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot);
    const QStringList &ownNames() const { return m_ownNames; }

Q_SIGNALS:
    // A WebSocket upgrade from `address` was refused.
    void socketRefused(const QString &address);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    QStringList m_ownNames;
    std::shared_ptr<const WebPadSnapshot> m_snapshot;
};

} // namespace hb
