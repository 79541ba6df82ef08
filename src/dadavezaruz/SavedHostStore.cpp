#include "dadavezaruz/SavedHostStore.h"

#include "common/Settings.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"

#include <QDateTime>

#include <algorithm>

namespace hb {

SavedHostStore::SavedHostStore(Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings),
      m_hosts(SavedHostList::decode(settings.bytes(SettingsKey::dadavezaruzSavedHosts)))
{
}

void SavedHostStore::remember(const QString &host, quint16 port)
{
    if (host.trimmed().isEmpty())
        return;
    setHosts(SavedHostList::remember(m_hosts, host, port, QDateTime::currentDateTimeUtc()));
}

void SavedHostStore::forget(const QString &id)
{
    setHosts(SavedHostList::forget(m_hosts, id));
}

bool SavedHostStore::restore(const SavedHost &host, int position)
{
    for (const SavedHost &saved : std::as_const(m_hosts)) {
        if (saved.id == host.id || (saved.host == host.host && saved.port == host.port))
            return false;
    }
    QList<SavedHost> hosts = m_hosts;
    hosts.insert(std::clamp(position, 0, int(hosts.size())), host);
    if (hosts.size() > SavedHostList::kMaxEntries)
        hosts.resize(SavedHostList::kMaxEntries);
    setHosts(hosts);
    return true;
}

void SavedHostStore::setLastHost(const QString &host, quint16 port)
{
    m_settings.setText(SettingsKey::dadavezaruzLastHost, host);
    m_settings.setInteger(SettingsKey::dadavezaruzLastHostPort, port);
}

std::optional<DadavezaRuzPeer> SavedHostStore::resumeTarget() const
{
    const QString host = m_settings.text(SettingsKey::dadavezaruzLastHost);
    if (!host.isEmpty()) {
        const std::optional<qint64> stored =
            m_settings.integer(SettingsKey::dadavezaruzLastHostPort);
        const bool usable = stored && *stored > 0 && *stored <= 65535;
        return DadavezaRuzPeer{host, usable ? quint16(*stored) : kDadavezaRuzPort};
    }
    if (!m_hosts.isEmpty())
        return DadavezaRuzPeer{m_hosts.constFirst().host, m_hosts.constFirst().port};
    return std::nullopt;
}

void SavedHostStore::setHosts(const QList<SavedHost> &hosts)
{
    m_hosts = hosts;
    m_settings.setBytes(SettingsKey::dadavezaruzSavedHosts, SavedHostList::encode(hosts));
    Q_EMIT hostsChanged();
}

} // namespace hb
