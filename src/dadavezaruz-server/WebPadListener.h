#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>

#include <functional>
#include <memory>

namespace hb {

// The web pad's TCP listener: decides by address who may connect at all, before the HTTP server
// reads a byte, and bounds what one connection may hold. Connections from an address it does not
// admit are cut at once; so are connections past the limits, and an HTTP connection that buffers
// more than a request could need (the pad's page only ever sends small GET requests).
class WebPadListener : public QTcpServer {
    Q_OBJECT

public:
    static constexpr int kMaxConnections = 128;
    static constexpr int kMaxConnectionsPerAddress = 16;
    static constexpr qint64 kMaxBufferedRequestBytes = 64 * 1024;

    // `admits` gets the peer's and the local address, and tells whether to go on.
    using Admission = std::function<bool(const QHostAddress &peer, const QHostAddress &local)>;

    explicit WebPadListener(Admission admits, QObject *parent = nullptr);

    int connectionCount() const { return m_counts->all; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    // Shared with the sockets, which may outlive the listener inside the WebSockets they became.
    struct Counts {
        int all = 0;
        QHash<QString, int> perAddress;
    };
    Admission m_admits;
    std::shared_ptr<Counts> m_counts = std::make_shared<Counts>();
};

} // namespace hb
