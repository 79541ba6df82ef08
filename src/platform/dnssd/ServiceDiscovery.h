#pragma once

#include "common/Error.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace hb {

// One DNS-SD service instance as a browse reports it.
struct ServiceInstance {
    QString name;   // instance name, e.g. "Huebench"
    QString type;   // e.g. "_huebench._tcp"
    QString domain; // e.g. "local."
    friend bool operator==(const ServiceInstance &, const ServiceInstance &) = default;
};

// Where a resolved service listens: an IPv4 address in dotted form and a port.
struct ServiceAddress {
    QString host;
    quint16 port = 0;
    friend bool operator==(const ServiceAddress &, const ServiceAddress &) = default;
};

// Error codes of the `dnssd` error domain.
enum class ServiceDiscoveryError {
    DaemonNotRunning = 1, // no DNS-SD daemon answers (or no system bus)
    Failed = 2,           // anything else; the description says what
    NotFound = 3,         // a lookup found no IPv4 address in time
};
inline QString errorDomain(ServiceDiscoveryError)
{
    return QStringLiteral("dnssd");
}

// A running browse for one service type in one domain. Made by ServiceDiscovery::browse(),
// started at once. Signals arrive on the thread that made it; none arrives after cancel() or
// destruction.
class ServiceBrowser : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~ServiceBrowser() override = default;

    virtual void cancel() = 0;

Q_SIGNALS:
    // The browse is running (the daemon answered).
    void ready();
    // The browse cannot run or stopped; nothing more follows.
    void failed(const hb::Error &error);
    // The whole current set of instances, in the order they were first seen, after each change.
    void resultsChanged(const QList<hb::ServiceInstance> &results);
};

// One lookup of a service instance's IPv4 address and port. Exactly one of the two signals
// follows, unless cancelled or destroyed first.
class ServiceLookup : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~ServiceLookup() override = default;

    virtual void cancel() = 0;

Q_SIGNALS:
    void resolved(const hb::ServiceAddress &address);
    void failed(const hb::Error &error);
};

// Asks whether a DNS-SD daemon answers. `finished` follows once, unless destroyed first.
class ServiceDaemonCheck : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~ServiceDaemonCheck() override = default;

Q_SIGNALS:
    // `error` is empty (code 0) when the daemon answers.
    void finished(bool answers, const hb::Error &error);
};

// The DNS-SD client operations the controller needs. Implementations never block the caller.
class ServiceDiscovery {
public:
    virtual ~ServiceDiscovery() = default;

    virtual std::unique_ptr<ServiceBrowser> browse(const QString &type, const QString &domain) = 0;
    virtual std::unique_ptr<ServiceLookup> resolve(const ServiceInstance &service) = 0;
    virtual std::unique_ptr<ServiceDaemonCheck> checkDaemon() = 0;
};

} // namespace hb
