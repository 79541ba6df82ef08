#include "dadavezaruz-server/TrustedControllers.h"

namespace hb {

TrustedControllers::TrustedControllers(const Load &load, Save save, QObject *parent)
    : QObject(parent), m_save(std::move(save)), m_addresses(load ? load() : QStringList())
{
    m_addresses.removeAll(QString());
    m_addresses.removeDuplicates();
}

void TrustedControllers::add(const QString &address)
{
    if (address.isEmpty() || m_addresses.contains(address))
        return;
    m_addresses.append(address);
    store();
}

void TrustedControllers::remove(const QString &address)
{
    if (m_addresses.removeAll(address) > 0)
        store();
}

void TrustedControllers::store()
{
    if (m_save)
        m_save(m_addresses);
    Q_EMIT addressesChanged(m_addresses);
}

} // namespace hb
