#include "dadavezaruz/DadavezaRuzConnection.h"

#include "dadavezaruz/DadavezaRuzLogging.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "dadavezaruz/DadavezaRuzTransport.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "platform/dnssd/ServiceDiscovery.h"

#include <QPointer>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

// What the status line says while the server would not type a press; nothing when it would.
QString notServedText(std::optional<ServerStatusMessage::Status> status)
{
    if (status == ServerStatusMessage::Status::WaitingForApproval)
        return DadavezaRuzConnection::waitingForApprovalText();
    if (status == ServerStatusMessage::Status::Refused)
        return DadavezaRuzConnection::refusedText();
    return {};
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
    return u"Local network access denied. A firewall rule or security policy on this computer "
           u"refuses the connection."_s;
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
QString DadavezaRuzConnection::waitingForApprovalText()
{
    return u"Waiting for approval on the server"_s;
}
QString DadavezaRuzConnection::refusedText()
{
    return u"Refused by the server"_s;
}
QString DadavezaRuzConnection::notTypedText()
{
    return u"Not typed: "_s;
}
QString DadavezaRuzConnection::sequenceNotAcceptedText(const QString &host)
{
    return u"This server types one key combination per press. Update Huebench on %1 to send key "
           u"sequences."_s.arg(host);
}

DadavezaRuzConnection::DadavezaRuzConnection(Settings &settings, DadavezaRuzTransport &transport,
                                             ServiceDiscovery &discovery, QObject *parent)
    : QObject(parent), m_transport(transport), m_port(kDadavezaRuzPort), m_savedHosts(settings),
      m_discovery(discovery)
{
    connect(&m_savedHosts, &SavedHostStore::hostsChanged, this,
            &DadavezaRuzConnection::savedHostsChanged);
    connect(&m_discovery, &DadavezaRuzDiscovery::hostsChanged, this,
            &DadavezaRuzConnection::discoveredHostsChanged);
    connect(&m_discovery, &DadavezaRuzDiscovery::blockedChanged, this,
            &DadavezaRuzConnection::isBonjourBlockedChanged);
    connect(&m_discovery, &DadavezaRuzDiscovery::statusReported, this,
            &DadavezaRuzConnection::setLastError);
    connect(&m_reconnect, &ReconnectSchedule::delayChanged, this,
            &DadavezaRuzConnection::reconnectDelayChanged);
    connect(&m_reconnect, &ReconnectSchedule::due, this,
            [this] { beginAttempt(m_hostAddress, m_port); });
}

DadavezaRuzConnection::~DadavezaRuzConnection()
{
    // Not later: the transport's thread may end right after this. (m_discovery does the same
    // with its jobs.)
    delete m_link.release();
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
    m_reconnect.cancel();
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
    qCInfo(lcDadavezaRuz) << "Connecting to" << trimmed << "port" << port;
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
    m_reconnect.cancel();
    m_wasConnected = false;
    dropLink();
    setState({State::Disconnected, {}});
}

void DadavezaRuzConnection::onLinkReport(DadavezaRuzLink::Report report, const QString &description)
{
    qCInfo(lcDadavezaRuz) << "Connection state:" << report << description;
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
            qCInfo(lcDadavezaRuz) << "Refused by the server";
            return;
        }
        if (m_linkByService) {
            setLastError(description);
        } else if (DadavezaRuzDiscovery::isLocalNetworkRefusal(description)) {
            m_discovery.setBlocked(true, description);
            setLastError(localNetworkDeniedText());
        } else {
            setLastError(connectionFailedText() + description);
        }
        setState({State::Failed, description});
        qCInfo(lcDadavezaRuz) << "Connection failed:" << description;
        connectionLost();
        break;
    case DadavezaRuzLink::Report::Ready: {
        setState({State::Connected, {}});
        m_wasConnected = true;
        m_reconnect.resetBackoff();
        if (m_linkByService) {
            const DadavezaRuzPeer peer = m_link->peer();
            if (peer.host.isEmpty())
                break;
            setHostAddress(peer.host);
            setPort(peer.port);
        }
        rememberHost(m_hostAddress, m_port);
        m_savedHosts.setLastHost(m_hostAddress, m_port);
        break;
    }
    }
}

void DadavezaRuzConnection::onServerStatus(const ServerStatusMessage &message)
{
    qCInfo(lcDadavezaRuz).noquote()
        << "Server status:" << ServerStatusMessage::wireValue(message.status) << message.notTyped;
    m_serverAccepts = message.accepts;
    const QString before = notServedText(m_serverStatus);
    setServerStatus(message.status);
    const QString now = notServedText(message.status);
    // Only the status line's own words are replaced: another error stays until it is replaced.
    if (!now.isEmpty())
        setLastError(now);
    else if (!message.notTyped.isEmpty())
        setLastError(notTypedText() + message.notTyped);
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

void DadavezaRuzConnection::send(const ShortcutMessage &message, const QString &label,
                                 const std::function<void()> &posted)
{
    if (m_state.kind != State::Connected || !m_link)
        return;
    if (const QString notServed = notServedText(m_serverStatus); !notServed.isEmpty()) {
        setLastError(notServed);
        return;
    }
    // An older server reads only keyCombo: it would drop the whole sequence without a word.
    if (!message.thenKeyCombos.isEmpty() &&
        !m_serverAccepts.contains(QLatin1StringView(ShortcutMessage::kKeySequence))) {
        setLastError(sequenceNotAcceptedText(m_hostAddress));
        return;
    }
    const QByteArray frame = message.encode();
    // A dropped link may still finish a send before it is gone: only the current one counts.
    m_link->send(frame, [self = QPointer(this), link = m_link.get(), label,
                         posted](const QString &errorDescription) {
        if (!self || self->m_link.get() != link)
            return;
        self->onSent(label, errorDescription);
        if (errorDescription.isEmpty() && posted)
            posted();
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
    if (const std::optional<DadavezaRuzPeer> target = m_savedHosts.resumeTarget())
        connectToHost(target->host, target->port);
}

void DadavezaRuzConnection::connectToDiscovered(const DiscoveredHost &host)
{
    m_reconnect.cancel();
    m_wasConnected = false;
    dropLink();
    if (m_state.kind != State::Connecting)
        setState({State::Connecting, {}});
    startLink(m_transport.linkTo(ServiceInstance{host.name, host.type, host.domain}), true);
}

void DadavezaRuzConnection::setReconnectAutomatically(bool on)
{
    m_reconnectAutomatically = on;
    if (!on)
        m_reconnect.cancel();
}

void DadavezaRuzConnection::connectionLost()
{
    if (m_reconnectAutomatically && m_wasConnected)
        m_reconnect.schedule();
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
    if (!status)
        m_serverAccepts.clear(); // the next server speaks for itself
    if (status == m_serverStatus)
        return;
    m_serverStatus = status;
    Q_EMIT serverStatusChanged();
}

} // namespace hb
