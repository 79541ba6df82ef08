#include "platform/netif/OwnAddresses.h"

#include <QNetworkInterface>

namespace hb {
namespace {

QHostAddress plain(QHostAddress address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        return QHostAddress(ipv4);
    address.setScopeId(QString());
    return address;
}

} // namespace

OwnAddresses::OwnAddresses(Reader reader, std::chrono::milliseconds maxAge)
    : m_reader(reader ? std::move(reader) : Reader(&QNetworkInterface::allAddresses)),
      m_maxAge(maxAge)
{
}

bool OwnAddresses::contains(const QHostAddress &address)
{
    const QMutexLocker lock(&m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!m_read || now - m_readAt >= m_maxAge) {
        m_addresses.clear();
        for (const QHostAddress &own : m_reader())
            m_addresses.append(plain(own));
        m_readAt = now;
        m_read = true;
    }
    return m_addresses.contains(plain(address));
}

} // namespace hb
