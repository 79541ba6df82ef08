#include "dadavezaruz/TcpDadavezaRuzTransport.h"

#include "dadavezaruz/TcpDadavezaRuzLink.h"

using namespace Qt::StringLiterals;

namespace hb {

TcpDadavezaRuzTransport::TcpDadavezaRuzTransport(ServiceDiscovery &discovery)
    : m_discovery(discovery)
{
    m_thread.setObjectName(u"dadavezaruz.network"_s);
    m_thread.start();
}

TcpDadavezaRuzTransport::~TcpDadavezaRuzTransport()
{
    // Sockets of links already gone are deleted later on the thread; it does that as it ends.
    m_thread.quit();
    m_thread.wait();
}

std::unique_ptr<DadavezaRuzLink> TcpDadavezaRuzTransport::linkTo(const QString &host, quint16 port)
{
    return std::make_unique<TcpDadavezaRuzLink>(&m_thread, host, port);
}

std::unique_ptr<DadavezaRuzLink> TcpDadavezaRuzTransport::linkTo(const ServiceInstance &service)
{
    return std::make_unique<TcpDadavezaRuzLink>(&m_thread, m_discovery, service);
}

} // namespace hb
