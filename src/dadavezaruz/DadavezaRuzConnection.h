#pragma once

#include "common/LaterDeleter.h"
#include "dadavezaruz/DadavezaRuzDiscovery.h"
#include "dadavezaruz/DadavezaRuzLink.h"
#include "dadavezaruz/DiscoveredHost.h"
#include "dadavezaruz/ReconnectSchedule.h"
#include "dadavezaruz/SavedHostList.h"
#include "dadavezaruz/SavedHostStore.h"
#include "dadavezaruz/ServerStatusMessage.h"
#include "dadavezaruz/ShortcutMessage.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace hb {

class DadavezaRuzTransport;
class ServiceDiscovery;
class Settings;

// The controller's link to one server: connection state, the user's one status line, sending
// presses, the last server (reconnected when the pad opens), servers found on the network and
// servers remembered across runs. This class runs the attempts and keeps the status line; the
// servers found are DadavezaRuzDiscovery's, the remembered ones SavedHostStore's, and the waits
// between automatic reconnections ReconnectSchedule's.
//
// Lives on the main thread; every observed field changes there. Sockets run on the transport's
// network thread. Only the current attempt counts: reports of links that were replaced, and
// timeouts of earlier attempts, are ignored.
//
// A server may say whether it types this pad's presses (serverStatus()). While it waits for its
// user's approval, or after it refused, presses are not sent and the status line says why; a
// server that says nothing is served as before.
//
// A status line also says what kinds of press the server types besides a single combination
// (serverAccepts()): a key sequence goes only to a server that named it, so that an older one is
// never sent a press it would drop. A press the server did not type comes back as a status line
// with the reason, shown as the last error.
class DadavezaRuzConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(hb::DadavezaRuzConnection::State state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString hostAddress READ hostAddress NOTIFY hostAddressChanged)
    Q_PROPERTY(quint16 port READ port NOTIFY portChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(QString lastSentLabel READ lastSentLabel NOTIFY lastSentLabelChanged)
    Q_PROPERTY(std::optional<hb::ServerStatusMessage::Status> serverStatus READ serverStatus NOTIFY
                   serverStatusChanged)
    Q_PROPERTY(QList<hb::DiscoveredHost> discoveredHosts READ discoveredHosts NOTIFY
                   discoveredHostsChanged)
    Q_PROPERTY(QList<hb::SavedHost> savedHosts READ savedHosts NOTIFY savedHostsChanged)
    Q_PROPERTY(bool autoConnectEnabled READ autoConnectEnabled WRITE setAutoConnectEnabled NOTIFY
                   autoConnectEnabledChanged)
    Q_PROPERTY(bool isBonjourBlocked READ isBonjourBlocked NOTIFY isBonjourBlockedChanged)
    Q_PROPERTY(int reconnectDelay READ reconnectDelay NOTIFY reconnectDelayChanged)

public:
    struct State {
        enum Kind { Disconnected, Connecting, Connected, Failed };
        Kind kind = Disconnected;
        QString message; // for Failed
        friend bool operator==(const State &, const State &) = default;
    };

    // The status lines, as shown.
    static QString emptyHostText();
    static QString invalidPortText();
    static QString waitingText();
    static QString localNetworkDeniedText();
    static QString connectionFailedText();
    static QString timedOutText();
    static QString timedOutMessage();
    static QString discoveryBlockedText() { return DadavezaRuzDiscovery::blockedText(); }
    static QString discoveryErrorText() { return DadavezaRuzDiscovery::errorText(); }
    static QString probeGrantedText() { return DadavezaRuzDiscovery::probeGrantedText(); }
    static QString probeFinishedText() { return DadavezaRuzDiscovery::probeFinishedText(); }
    static QString waitingForApprovalText();
    static QString refusedText();
    static QString notTypedText(); // followed by the server's reason
    static QString sequenceNotAcceptedText(const QString &host);

    DadavezaRuzConnection(Settings &settings, DadavezaRuzTransport &transport,
                          ServiceDiscovery &discovery, QObject *parent = nullptr);
    ~DadavezaRuzConnection() override;

    State state() const { return m_state; }
    bool isConnected() const { return m_state.kind == State::Connected; }
    QString hostAddress() const { return m_hostAddress; }
    quint16 port() const { return m_port; }
    QString lastError() const { return m_lastError; }
    QString lastSentLabel() const { return m_lastSentLabel; }
    // What the server of the current attempt last said; nothing until it says something.
    std::optional<ServerStatusMessage::Status> serverStatus() const { return m_serverStatus; }
    // The kinds of press the server said it types besides a single combination, as of its last
    // status line; empty until it says so.
    QStringList serverAccepts() const { return m_serverAccepts; }
    QList<DiscoveredHost> discoveredHosts() const { return m_discovery.hosts(); }
    QList<SavedHost> savedHosts() const { return m_savedHosts.hosts(); }
    bool autoConnectEnabled() const { return m_autoConnectEnabled; }
    void setAutoConnectEnabled(bool enabled);
    bool isBonjourBlocked() const { return m_discovery.isBlocked(); }
    // Why discovery is blocked, when the platform said (e.g. "The DNS-SD daemon is not running").
    QString blockedReason() const { return m_discovery.blockedReason(); }
    // Seconds until the next automatic reconnection, 0 when none is planned.
    int reconnectDelay() const { return m_reconnect.delay(); }

    void connectToHost(const QString &host, quint16 port);
    void disconnectFromHost();
    // Sends one press; does nothing unless connected. A press the server would not type is not
    // sent: the status line says why instead. `posted` runs once the press has been handed to
    // the server (not when it was refused or failed).
    void send(const ShortcutMessage &message, const QString &label,
              const std::function<void()> &posted = {});
    // Connects to the last server, else to the most recent saved host.
    void autoConnect();

    void startBrowsing() { m_discovery.startBrowsing(); }
    void rescan(bool force) { m_discovery.rescan(force); }
    void connectToDiscovered(const DiscoveredHost &host);
    void rememberHost(const QString &host, quint16 port) { m_savedHosts.remember(host, port); }
    void forgetHost(const QString &id) { m_savedHosts.forget(id); }
    bool restoreHost(const SavedHost &host, int position)
    {
        return m_savedHosts.restore(host, position);
    }
    // Asks whether the DNS-SD daemon answers; sends nothing on the network.
    void probeLocalNetwork() { m_discovery.probe(); }

    // How long an attempt may stay connecting; 5 s unless a test shortens it.
    void setConnectTimeout(int msec) { m_connectTimeoutMsec = msec; }

    // While on, a connection that is lost is tried again after 1, 2, 4 … 30 seconds, until it
    // is back, the user connects or disconnects, or this is turned off.
    void setReconnectAutomatically(bool on);

Q_SIGNALS:
    void stateChanged();
    void hostAddressChanged();
    void portChanged();
    void lastErrorChanged();
    void lastSentLabelChanged();
    void serverStatusChanged();
    void discoveredHostsChanged();
    void savedHostsChanged();
    void autoConnectEnabledChanged();
    void isBonjourBlockedChanged();
    void reconnectDelayChanged();

private:
    void beginAttempt(const QString &host, quint16 port);
    void startLink(std::unique_ptr<DadavezaRuzLink> link, bool byService);
    void dropLink();
    void onLinkReport(DadavezaRuzLink::Report report, const QString &description);
    void onServerStatus(const ServerStatusMessage &message);
    void onTimeout(quint64 attempt);
    void onSent(const QString &label, const QString &errorDescription);
    void connectionLost();

    void setState(const State &state);
    void setHostAddress(const QString &host);
    void setPort(quint16 port);
    void setLastError(const QString &text);
    void setServerStatus(std::optional<ServerStatusMessage::Status> status);

    DadavezaRuzTransport &m_transport;

    State m_state;
    QString m_hostAddress;
    quint16 m_port;
    QString m_lastError;
    QString m_lastSentLabel;
    std::optional<ServerStatusMessage::Status> m_serverStatus;
    QStringList m_serverAccepts;
    bool m_autoConnectEnabled = true;

    LaterPtr<DadavezaRuzLink> m_link;
    bool m_linkByService = false; // made by connectToDiscovered
    quint64 m_attempt = 0;        // counts connection attempts; timers name theirs
    int m_connectTimeoutMsec = 5000;

    bool m_reconnectAutomatically = false;
    bool m_wasConnected = false; // the current host answered once; losing it may reconnect

    SavedHostStore m_savedHosts;
    DadavezaRuzDiscovery m_discovery;
    ReconnectSchedule m_reconnect;
};

} // namespace hb

Q_DECLARE_METATYPE(hb::DadavezaRuzConnection::State)
