#include "dadavezaruz/TcpDadavezaRuzTransport.h"

#include "dadavezaruz/TcpDadavezaRuzLink.h"

using namespace Qt::StringLiterals;

namespace hb {

TcpDadavezaRuzTransport::TcpDadavezaRuzTransport(ServiceDiscovery &discovery)
    : m_discovery(discovery), m_sockets(new QObject)
{
    m_thread.setObjectName(u"dadavezaruz.network"_s);
    m_sockets->moveToThread(&m_thread);
    m_thread.start();
}

TcpDadavezaRuzTransport::~TcpDadavezaRuzTransport()
{
    // Whatever sockets are left (a link dropped but not yet deleted, say) close on their thread.
    QObject *sockets = m_sockets;
    QMetaObject::invokeMethod(
        sockets, [sockets] { delete sockets; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

std::unique_ptr<DadavezaRuzLink> TcpDadavezaRuzTransport::linkTo(const QString &host, quint16 port)
{
    return std::make_unique<TcpDadavezaRuzLink>(m_sockets, host, port);
}

std::unique_ptr<DadavezaRuzLink> TcpDadavezaRuzTransport::linkTo(const ServiceInstance &service)
{
    return std::make_unique<TcpDadavezaRuzLink>(m_sockets, m_discovery, service);
}

} // namespace hb
