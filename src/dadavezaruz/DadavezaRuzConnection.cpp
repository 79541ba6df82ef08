#include "dadavezaruz/DadavezaRuzConnection.h"

#include "common/Settings.h"
#include "common/TextHelpers.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "dadavezaruz/DadavezaRuzTransport.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "platform/dnssd/ServiceDiscovery.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QPointer>

#include <algorithm>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

Q_LOGGING_CATEGORY(lcConnection, "hb.dadavezaruz.connection")

bool containsAny(const QString &text, std::initializer_list<QLatin1StringView> needles)
{
    return std::any_of(needles.begin(), needles.end(),
                       [&](QLatin1StringView needle) { return text.contains(needle); });
}

// The platform's ways of saying that the local network may not be used.
bool isLocalNetworkRefusal(const QString &description)
{
    return containsAny(description, {"denied"_L1, "PolicyDenied"_L1, "-65570"_L1});
}

// What the status line says while the server would not type a press; nothing when it would.
QString notServedText(std::optional<ServerStatusMessage::Status> status)
{
    if (status == ServerStatusMessage::Status::WaitingForApproval)
        return DadavezaRuzConnection::waitingForApprovalText();
    if (status == ServerStatusMessage::Status::Refused)
        return DadavezaRuzConnection::refusedText();
    return {};
}

bool isDiscoveryRefusal(const Error &error)
{
    return error.code == ServiceDiscoveryError::DaemonNotRunning ||
           containsAny(error.description,
                       {"NoAuth"_L1, "PolicyDenied"_L1, "-65555"_L1, "-65570"_L1});
}

} // namespace

QString DadavezaRuzConnection::emptyHostText()
{
    return u"Please enter a host IP or name"_s;
}
QString DadavezaRuzConnection::invalidPortText()
{
    return u"Invalid port"_s;
}
QString DadavezaRuzConnection::waitingText()
{
    return u"Waiting for network path: "_s;
}
QString DadavezaRuzConnection::localNetworkDeniedText()
{
    return u"Local network access denied. Enable 'Huebench' in Settings → Privacy & Security → "
           u"Local Network."_s;
}
QString DadavezaRuzConnection::connectionFailedText()
{
    return u"Connection failed: "_s;
}
QString DadavezaRuzConnection::timedOutText()
{
    return u"Connection timed out (5s)"_s;
}
QString DadavezaRuzConnection::timedOutMessage()
{
    return u"Connection timed out"_s;
}
QString DadavezaRuzConnection::discoveryBlockedText()
{
    return u"Local network/Bonjour discovery is blocked. Use the QR code or type the Mac’s IP "
           u"address manually."_s;
}
QString DadavezaRuzConnection::discoveryErrorText()
{
    return u"Discovery error: "_s;
}
QString DadavezaRuzConnection::probeGrantedText()
{
    return u"Local network access granted. Discovering your Mac…"_s;
}
QString DadavezaRuzConnection::probeFinishedText()
{
    return u"Permission probe finished. If a Local Network alert appeared, tap Allow, then "
           u"Rescan. Otherwise use QR/manual IP."_s;
}
QString DadavezaRuzConnection::waitingForApprovalText()
{
    return u"Waiting for approval on the server"_s;
}
QString DadavezaRuzConnection::refusedText()
{
    return u"Refused by the server"_s;
}

DadavezaRuzConnection::DadavezaRuzConnection(Settings &settings, DadavezaRuzTransport &transport,
                                             ServiceDiscovery &discovery, QObject *parent)
    : QObject(parent), m_settings(settings), m_transport(transport), m_discovery(discovery),
      m_port(kDadavezaRuzPort),
      m_savedHosts(SavedHostList::decode(settings.bytes(SettingsKey::dadavezaruzSavedHosts)))
{
    m_probeTimer.setSingleShot(true);
    connect(&m_probeTimer, &QTimer::timeout, this, [this] {
        if (m_probe)
            onProbeFinished(false, {});
    });
    m_reconnectTimer.setInterval(1000);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &DadavezaRuzConnection::reconnectTick);
}

DadavezaRuzConnection::~DadavezaRuzConnection()
{
    // Not later: the transport and the discovery jobs' threads may end right after this.
    delete m_link.release();
    delete m_browser.release();
    delete m_probe.release();
    for (auto &[id, lookup] : m_lookups)
        delete lookup.release();
}

void DadavezaRuzConnection::setAutoConnectEnabled(bool enabled)
{
    if (enabled == m_autoConnectEnabled)
        return;
    m_autoConnectEnabled = enabled;
    Q_EMIT autoConnectEnabledChanged();
}

void DadavezaRuzConnection::connectToHost(const QString &host, quint16 port)
{
    cancelReconnect();
    m_wasConnected = false;
    beginAttempt(host, port);
}

void DadavezaRuzConnection::beginAttempt(const QString &host, quint16 port)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty()) {
        setLastError(emptyHostText());
        return;
    }
    if (port == 0) {
        setLastError(invalidPortText());
        return;
    }
    setHostAddress(trimmed);
    setPort(port);
    dropLink();
    setState({State::Disconnected, {}});
    setState({State::Connecting, {}});
    setLastError({});
    qCInfo(lcConnection) << "Connecting to" << trimmed << "port" << port;
    startLink(m_transport.linkTo(trimmed, port), false);
    // Each attempt has its own timer: a later attempt is never ended by an earlier one's.
    QTimer::singleShot(m_connectTimeoutMsec, this,
                       [this, attempt = m_attempt] { onTimeout(attempt); });
}

void DadavezaRuzConnection::startLink(std::unique_ptr<DadavezaRuzLink> link, bool byService)
{
    ++m_attempt;
    m_link.reset(link.release());
    m_linkByService = byService;
    setServerStatus(std::nullopt); // each server speaks for itself, and may not speak at all
    connect(m_link.get(), &DadavezaRuzLink::reported, this, &DadavezaRuzConnection::onLinkReport);
    connect(m_link.get(), &DadavezaRuzLink::serverStatusReceived, this,
            &DadavezaRuzConnection::onServerStatus);
    m_link->start();
}

void DadavezaRuzConnection::dropLink()
{
    m_link.reset(); // its reports stop here, even those already on their way
    setServerStatus(std::nullopt);
}

void DadavezaRuzConnection::disconnectFromHost()
{
    cancelReconnect();
    m_wasConnected = false;
    dropLink();
    setState({State::Disconnected, {}});
}

void DadavezaRuzConnection::onLinkReport(DadavezaRuzLink::Report report, const QString &description)
{
    qCInfo(lcConnection) << "Connection state:" << report << description;
    switch (report) {
    case DadavezaRuzLink::Report::Preparing:
        setState({State::Connecting, {}});
        break;
    case DadavezaRuzLink::Report::Waiting:
        setState({State::Connecting, {}});
        setLastError(waitingText() + description);
        break;
    case DadavezaRuzLink::Report::Failed:
        if (m_serverStatus == ServerStatusMessage::Status::Refused) {
            // The server closes the connection it refused: that is its answer, not a network
            // failure, and asking again would only be refused again.
            setLastError(refusedText());
            setState({State::Failed, refusedText()});
            qCInfo(lcConnection) << "Refused by the server";
            return;
        }
        if (m_linkByService) {
            setLastError(description);
        } else if (isLocalNetworkRefusal(description)) {
            setBonjourBlocked(true, description);
            setLastError(localNetworkDeniedText());
        } else {
            setLastError(connectionFailedText() + description);
        }
        setState({State::Failed, description});
        qCInfo(lcConnection) << "Connection failed:" << description;
        connectionLost();
        break;
    case DadavezaRuzLink::Report::Ready: {
        setState({State::Connected, {}});
        m_wasConnected = true;
        m_nextReconnectDelay = 1;
        if (m_linkByService) {
            const DadavezaRuzPeer peer = m_link->peer();
            if (peer.host.isEmpty())
                break;
            setHostAddress(peer.host);
            setPort(peer.port);
        }
        rememberHost(m_hostAddress, m_port);
        storeLastHost(m_hostAddress, m_port);
        break;
    }
    }
}

void DadavezaRuzConnection::onServerStatus(ServerStatusMessage::Status status)
{
    qCInfo(lcConnection).noquote() << "Server status:" << ServerStatusMessage::wireValue(status);
    const QString before = notServedText(m_serverStatus);
    setServerStatus(status);
    const QString now = notServedText(status);
    // Only the status line's own words are replaced: another error stays until it is replaced.
    if (!now.isEmpty())
        setLastError(now);
    else if (!before.isEmpty() && m_lastError == before)
        setLastError({});
}

void DadavezaRuzConnection::onTimeout(quint64 attempt)
{
    if (attempt != m_attempt || m_state.kind != State::Connecting)
        return;
    dropLink();
    setState({State::Failed, timedOutMessage()});
    setLastError(timedOutText());
    connectionLost();
}

void DadavezaRuzConnection::storeLastHost(const QString &host, quint16 port)
{
    m_settings.setText(SettingsKey::dadavezaruzLastHost, host);
    m_settings.setInteger(SettingsKey::dadavezaruzLastHostPort, port);
}

void DadavezaRuzConnection::send(const QString &keyCombo, const QString &appTarget,
                                 const QString &label)
{
    if (m_state.kind != State::Connected || !m_link)
        return;
    if (const QString notServed = notServedText(m_serverStatus); !notServed.isEmpty()) {
        setLastError(notServed);
        return;
    }
    const QByteArray frame = ShortcutMessage{keyCombo, appTarget}.encode();
    // A dropped link may still finish a send before it is gone: only the current one counts.
    m_link->send(frame, [self = QPointer(this), link = m_link.get(),
                         label](const QString &errorDescription) {
        if (!self || self->m_link.get() != link)
            return;
        self->onSent(label, errorDescription);
    });
}

void DadavezaRuzConnection::onSent(const QString &label, const QString &errorDescription)
{
    if (!errorDescription.isEmpty()) {
        setLastError(errorDescription);
        return;
    }
    m_lastSentLabel = label;
    Q_EMIT lastSentLabelChanged(); // also for the same label again: each send is shown
}

void DadavezaRuzConnection::autoConnect()
{
    if (!m_autoConnectEnabled)
        return;
    const QString host = m_settings.text(SettingsKey::dadavezaruzLastHost);
    if (!host.isEmpty()) {
        const std::optional<qint64> stored =
            m_settings.integer(SettingsKey::dadavezaruzLastHostPort);
        const bool usable = stored && *stored > 0 && *stored <= 65535;
        connectToHost(host, usable ? quint16(*stored) : kDadavezaRuzPort);
    } else if (!m_savedHosts.isEmpty()) {
        connectToHost(m_savedHosts.constFirst().host, m_savedHosts.constFirst().port);
    }
}

void DadavezaRuzConnection::startBrowsing()
{
    if (m_browser)
        return;
    m_browser.reset(m_discovery
                        .browse(QString::fromLatin1(kDadavezaRuzServiceType),
                                QString::fromLatin1(kDadavezaRuzServiceDomain))
                        .release());
    connect(m_browser.get(), &ServiceBrowser::ready, this,
            [] { qCInfo(lcConnection) << "Bonjour browser ready"; });
    connect(m_browser.get(), &ServiceBrowser::failed, this,
            &DadavezaRuzConnection::onBrowserFailed);
    connect(m_browser.get(), &ServiceBrowser::resultsChanged, this,
            &DadavezaRuzConnection::onBrowseResults);
}

void DadavezaRuzConnection::onBrowserFailed(const Error &error)
{
    qCInfo(lcConnection) << "Discovery error:" << error.description;
    if (isDiscoveryRefusal(error)) {
        setBonjourBlocked(true, error.description);
        setLastError(discoveryBlockedText());
        dropBrowser();
    } else {
        setLastError(discoveryErrorText() + error.description);
    }
}

void DadavezaRuzConnection::onBrowseResults(const QList<ServiceInstance> &results)
{
    qCInfo(lcConnection).noquote() << "Bonjour results changed:" << results.size() << "result(s)";
    QList<DiscoveredHost> hosts;
    for (const ServiceInstance &service : results) {
        hosts.append({newUuidText(), service.name, service.type, service.domain, std::nullopt});
        qCInfo(lcConnection).noquote()
            << "Found service:"
            << (QStringList{service.name, service.type, service.domain}.join('.'_L1));
    }
    m_lookups.clear();
    m_discoveredHosts = hosts;
    Q_EMIT discoveredHostsChanged();

    // Answers are matched to their entry by its id: the list may change before they come.
    for (const DiscoveredHost &host : std::as_const(m_discoveredHosts)) {
        if (host.resolvedIP)
            continue;
        LaterPtr<ServiceLookup> lookup(
            m_discovery.resolve({host.name, host.type, host.domain}).release());
        connect(lookup.get(), &ServiceLookup::resolved, this,
                [this, id = host.id](const ServiceAddress &address) {
                    m_lookups.erase(id);
                    for (DiscoveredHost &entry : m_discoveredHosts) {
                        if (entry.id == id) {
                            entry.resolvedIP = address.host;
                            Q_EMIT discoveredHostsChanged();
                            return;
                        }
                    }
                });
        connect(lookup.get(), &ServiceLookup::failed, this,
                [this, id = host.id] { m_lookups.erase(id); });
        m_lookups.emplace(host.id, std::move(lookup));
    }
}

void DadavezaRuzConnection::dropBrowser()
{
    if (m_browser)
        qCInfo(lcConnection) << "Bonjour browser cancelled";
    m_browser.reset();
    m_lookups.clear();
}

void DadavezaRuzConnection::rescan(bool force)
{
    if (!force && m_isBonjourBlocked)
        return;
    if (force)
        setBonjourBlocked(false);
    dropBrowser();
    if (!m_discoveredHosts.isEmpty()) {
        m_discoveredHosts.clear();
        Q_EMIT discoveredHostsChanged();
    }
    setLastError({});
    startBrowsing();
}

void DadavezaRuzConnection::connectToDiscovered(const DiscoveredHost &host)
{
    cancelReconnect();
    m_wasConnected = false;
    dropLink();
    if (m_state.kind != State::Connecting)
        setState({State::Connecting, {}});
    startLink(m_transport.linkTo(ServiceInstance{host.name, host.type, host.domain}), true);
}

void DadavezaRuzConnection::rememberHost(const QString &host, quint16 port)
{
    if (host.trimmed().isEmpty())
        return;
    setSavedHosts(
        SavedHostList::remember(m_savedHosts, host, port, QDateTime::currentDateTimeUtc()));
}

void DadavezaRuzConnection::forgetHost(const QString &id)
{
    setSavedHosts(SavedHostList::forget(m_savedHosts, id));
}

void DadavezaRuzConnection::probeLocalNetwork()
{
    m_probe.reset(m_discovery.checkDaemon().release());
    connect(m_probe.get(), &ServiceDaemonCheck::finished, this,
            &DadavezaRuzConnection::onProbeFinished);
    m_probeTimer.start(kProbeMsec);
}

void DadavezaRuzConnection::onProbeFinished(bool answers, const Error &error)
{
    m_probe.reset();
    m_probeTimer.stop();
    if (answers) {
        // Discovery starts afresh first, so that the good news is not wiped by the rescan.
        rescan(true);
        setLastError(probeGrantedText());
        return;
    }
    if (isDiscoveryRefusal(error) || isLocalNetworkRefusal(error.description))
        setBonjourBlocked(true, error.description);
    setLastError(probeFinishedText());
}

void DadavezaRuzConnection::setReconnectAutomatically(bool on)
{
    m_reconnectAutomatically = on;
    if (!on)
        cancelReconnect();
}

void DadavezaRuzConnection::connectionLost()
{
    if (!m_reconnectAutomatically || !m_wasConnected)
        return;
    const int delay = m_nextReconnectDelay;
    m_nextReconnectDelay = std::min(delay * 2, kMaxReconnectDelay);
    setReconnectDelay(delay);
    m_reconnectTimer.start();
}

void DadavezaRuzConnection::reconnectTick()
{
    setReconnectDelay(m_reconnectDelay - 1);
    if (m_reconnectDelay > 0)
        return;
    m_reconnectTimer.stop();
    beginAttempt(m_hostAddress, m_port);
}

void DadavezaRuzConnection::cancelReconnect()
{
    m_reconnectTimer.stop();
    m_nextReconnectDelay = 1;
    setReconnectDelay(0);
}

void DadavezaRuzConnection::setState(const State &state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

void DadavezaRuzConnection::setHostAddress(const QString &host)
{
    if (host == m_hostAddress)
        return;
    m_hostAddress = host;
    Q_EMIT hostAddressChanged();
}

void DadavezaRuzConnection::setPort(quint16 port)
{
    if (port == m_port)
        return;
    m_port = port;
    Q_EMIT portChanged();
}

void DadavezaRuzConnection::setLastError(const QString &text)
{
    if (text == m_lastError)
        return;
    m_lastError = text;
    Q_EMIT lastErrorChanged();
}

void DadavezaRuzConnection::setServerStatus(std::optional<ServerStatusMessage::Status> status)
{
    if (status == m_serverStatus)
        return;
    m_serverStatus = status;
    Q_EMIT serverStatusChanged();
}

void DadavezaRuzConnection::setBonjourBlocked(bool blocked, const QString &reason)
{
    if (blocked == m_isBonjourBlocked && reason == m_blockedReason)
        return;
    m_isBonjourBlocked = blocked;
    m_blockedReason = blocked ? reason : QString();
    Q_EMIT isBonjourBlockedChanged();
}

void DadavezaRuzConnection::setSavedHosts(const QList<SavedHost> &hosts)
{
    m_savedHosts = hosts;
    m_settings.setBytes(SettingsKey::dadavezaruzSavedHosts, SavedHostList::encode(hosts));
    Q_EMIT savedHostsChanged();
}

void DadavezaRuzConnection::setReconnectDelay(int seconds)
{
    if (seconds == m_reconnectDelay)
        return;
    m_reconnectDelay = seconds;
    Q_EMIT reconnectDelayChanged();
}

} // namespace hb
