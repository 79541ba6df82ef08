#include "platform/netif/OwnAddresses.h"

#include "platform/netif/PlainAddress.h"

#include <QNetworkInterface>

namespace hb {
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
            m_addresses.append(plainAddress(own));
        m_readAt = now;
        m_read = true;
    }
    return m_addresses.contains(plainAddress(address));
}

} // namespace hb
