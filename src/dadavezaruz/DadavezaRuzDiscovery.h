#pragma once

#include "common/LaterDeleter.h"
#include "dadavezaruz/DiscoveredHost.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

namespace hb {

class ServiceBrowser;
class ServiceDaemonCheck;
class ServiceDiscovery;
class ServiceLookup;
struct Error;
struct ServiceInstance;

// The servers found on the local network: a DNS-SD browse for the server's service type, and a
// lookup of each one's address. Also whether discovery is blocked (and why, when the platform
// said), and the probe that asks whether the DNS-SD daemon answers. What it does or hits is
// also said in words, for the controller's one status line.
//
// Lives on the main thread. Answers of lookups are matched to their entry by its id, so that
// those of entries no longer listed land nowhere.
class DadavezaRuzDiscovery : public QObject {
    Q_OBJECT

public:
    static constexpr int kProbeMsec = 1000;

    // The words for the status line, as shown.
    static QString blockedText();
    static QString errorText();
    static QString probeGrantedText();
    static QString probeFinishedText();

    // The platform's ways of saying that the local network may not be used.
    static bool isLocalNetworkRefusal(const QString &description);

    explicit DadavezaRuzDiscovery(ServiceDiscovery &discovery, QObject *parent = nullptr);
    ~DadavezaRuzDiscovery() override;

    QList<DiscoveredHost> hosts() const { return m_hosts; }
    bool isBlocked() const { return m_isBlocked; }
    // Why discovery is blocked, when the platform said (e.g. "The DNS-SD daemon is not running").
    QString blockedReason() const { return m_blockedReason; }
    void setBlocked(bool blocked, const QString &reason = {});

    // Starts a browse unless one is running.
    void startBrowsing();
    // Browses afresh from an empty list and a clear status line. Unless forced, does nothing
    // while blocked; forced, it unblocks first.
    void rescan(bool force);
    // Asks whether the DNS-SD daemon answers; sends nothing on the network. Within kProbeMsec
    // the status line says how it went; when the daemon answers, discovery starts afresh.
    void probe();

Q_SIGNALS:
    void hostsChanged();
    void blockedChanged();
    // A new status line; empty to clear it.
    void statusReported(const QString &text);

private:
    void onBrowserFailed(const Error &error);
    void onBrowseResults(const QList<ServiceInstance> &results);
    void onResolved(const QString &id, const QString &address);
    void dropBrowser();
    void onProbeFinished(bool answers, const Error &error);

    ServiceDiscovery &m_discovery;
    QList<DiscoveredHost> m_hosts;
    bool m_isBlocked = false;
    QString m_blockedReason;

    LaterPtr<ServiceBrowser> m_browser;
    std::map<QString, LaterPtr<ServiceLookup>> m_lookups; // by discovered host id
    LaterPtr<ServiceDaemonCheck> m_probe;
    QTimer m_probeTimer;
};

} // namespace hb
