#include "dadavezaruz/DadavezaRuzDiscovery.h"

#include "common/TextHelpers.h"
#include "dadavezaruz/DadavezaRuzLogging.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "platform/dnssd/ServiceDiscovery.h"

#include <algorithm>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

bool containsAny(const QString &text, std::initializer_list<QLatin1StringView> needles)
{
    return std::any_of(needles.begin(), needles.end(),
                       [&](QLatin1StringView needle) { return text.contains(needle); });
}

bool isDiscoveryRefusal(const Error &error)
{
    return error.is(ServiceDiscoveryError::DaemonNotRunning) ||
           containsAny(error.description,
                       {"NoAuth"_L1, "PolicyDenied"_L1, "-65555"_L1, "-65570"_L1});
}

} // namespace

QString DadavezaRuzDiscovery::blockedText()
{
    return u"DNS-SD discovery is blocked: the Avahi daemon is not running or refuses this "
           u"program. Use the QR code or type the server’s IP address manually."_s;
}
QString DadavezaRuzDiscovery::errorText()
{
    return u"Discovery error: "_s;
}
QString DadavezaRuzDiscovery::probeGrantedText()
{
    return u"The Avahi daemon answers. Looking for servers…"_s;
}
QString DadavezaRuzDiscovery::probeFinishedText()
{
    return u"Discovery through the Avahi daemon is not available. Make sure avahi-daemon is "
           u"running, then Rescan. Otherwise use QR/manual IP."_s;
}

bool DadavezaRuzDiscovery::isLocalNetworkRefusal(const QString &description)
{
    return containsAny(description, {"denied"_L1, "PolicyDenied"_L1, "-65570"_L1});
}

DadavezaRuzDiscovery::DadavezaRuzDiscovery(ServiceDiscovery &discovery, QObject *parent)
    : QObject(parent), m_discovery(discovery)
{
    m_probeTimer.setSingleShot(true);
    connect(&m_probeTimer, &QTimer::timeout, this, [this] {
        if (m_probe)
            onProbeFinished(false, {});
    });
}

DadavezaRuzDiscovery::~DadavezaRuzDiscovery()
{
    // Not later: the discovery jobs' threads may end right after this.
    delete m_browser.release();
    delete m_probe.release();
    for (auto &[id, lookup] : m_lookups)
        delete lookup.release();
}

void DadavezaRuzDiscovery::setBlocked(bool blocked, const QString &reason)
{
    if (blocked == m_isBlocked && reason == m_blockedReason)
        return;
    m_isBlocked = blocked;
    m_blockedReason = blocked ? reason : QString();
    Q_EMIT blockedChanged();
}

void DadavezaRuzDiscovery::startBrowsing()
{
    if (m_browser)
        return;
    m_browser.reset(m_discovery
                        .browse(QString::fromLatin1(kDadavezaRuzServiceType),
                                QString::fromLatin1(kDadavezaRuzServiceDomain))
                        .release());
    connect(m_browser.get(), &ServiceBrowser::ready, this,
            [] { qCInfo(lcDadavezaRuz) << "DNS-SD browser ready"; });
    connect(m_browser.get(), &ServiceBrowser::failed, this, &DadavezaRuzDiscovery::onBrowserFailed);
    connect(m_browser.get(), &ServiceBrowser::resultsChanged, this,
            &DadavezaRuzDiscovery::onBrowseResults);
}

void DadavezaRuzDiscovery::onBrowserFailed(const Error &error)
{
    qCInfo(lcDadavezaRuz) << "Discovery error:" << error.description;
    if (isDiscoveryRefusal(error)) {
        setBlocked(true, error.description);
        Q_EMIT statusReported(blockedText());
        dropBrowser();
    } else {
        Q_EMIT statusReported(errorText() + error.description);
    }
}

void DadavezaRuzDiscovery::onBrowseResults(const QList<ServiceInstance> &results)
{
    qCInfo(lcDadavezaRuz).noquote() << "DNS-SD results changed:" << results.size() << "result(s)";
    QList<DiscoveredHost> hosts;
    for (const ServiceInstance &service : results) {
        hosts.append({newUuidText(), service.name, service.type, service.domain, std::nullopt});
        qCInfo(lcDadavezaRuz).noquote()
            << "Found service:"
            << (QStringList{service.name, service.type, service.domain}.join('.'_L1));
    }
    m_lookups.clear();
    m_hosts = hosts;
    Q_EMIT hostsChanged();

    for (const DiscoveredHost &host : std::as_const(m_hosts)) {
        if (host.resolvedIP)
            continue;
        LaterPtr<ServiceLookup> lookup(
            m_discovery.resolve({host.name, host.type, host.domain}).release());
        connect(
            lookup.get(), &ServiceLookup::resolved, this,
            [this, id = host.id](const ServiceAddress &address) { onResolved(id, address.host); });
        connect(lookup.get(), &ServiceLookup::failed, this,
                [this, id = host.id] { m_lookups.erase(id); });
        m_lookups.emplace(host.id, std::move(lookup));
    }
}

void DadavezaRuzDiscovery::onResolved(const QString &id, const QString &address)
{
    m_lookups.erase(id);
    for (DiscoveredHost &entry : m_hosts) {
        if (entry.id == id) {
            entry.resolvedIP = address;
            Q_EMIT hostsChanged();
            return;
        }
    }
}

void DadavezaRuzDiscovery::dropBrowser()
{
    if (m_browser)
        qCInfo(lcDadavezaRuz) << "DNS-SD browser cancelled";
    m_browser.reset();
    m_lookups.clear();
}

void DadavezaRuzDiscovery::rescan(bool force)
{
    if (!force && m_isBlocked)
        return;
    if (force)
        setBlocked(false);
    dropBrowser();
    if (!m_hosts.isEmpty()) {
        m_hosts.clear();
        Q_EMIT hostsChanged();
    }
    Q_EMIT statusReported({});
    startBrowsing();
}

void DadavezaRuzDiscovery::probe()
{
    m_probe.reset(m_discovery.checkDaemon().release());
    connect(m_probe.get(), &ServiceDaemonCheck::finished, this,
            &DadavezaRuzDiscovery::onProbeFinished);
    m_probeTimer.start(kProbeMsec);
}

void DadavezaRuzDiscovery::onProbeFinished(bool answers, const Error &error)
{
    m_probe.reset();
    m_probeTimer.stop();
    if (answers) {
        // Discovery starts afresh first, so that the good news is not wiped by the rescan.
        rescan(true);
        Q_EMIT statusReported(probeGrantedText());
        return;
    }
    if (isDiscoveryRefusal(error) || isLocalNetworkRefusal(error.description))
        setBlocked(true, error.description);
    Q_EMIT statusReported(probeFinishedText());
}

} // namespace hb
