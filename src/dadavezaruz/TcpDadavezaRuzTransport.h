#pragma once

#include "dadavezaruz/DadavezaRuzTransport.h"

#include <QThread>

namespace hb {

class ServiceDiscovery;

// Links over TCP. Owns the network thread, named "dadavezaruz.network", on which every socket
// of its links lives. Destroying the transport closes the sockets of links that are still
// around (links must not be used after that).
class TcpDadavezaRuzTransport final : public DadavezaRuzTransport {
public:
    explicit TcpDadavezaRuzTransport(ServiceDiscovery &discovery);
    ~TcpDadavezaRuzTransport() override;

    std::unique_ptr<DadavezaRuzLink> linkTo(const QString &host, quint16 port) override;
    std::unique_ptr<DadavezaRuzLink> linkTo(const ServiceInstance &service) override;

private:
    ServiceDiscovery &m_discovery;
    QThread m_thread;
    QObject *m_sockets; // lives on m_thread; parent of every link's socket worker
};

} // namespace hb
