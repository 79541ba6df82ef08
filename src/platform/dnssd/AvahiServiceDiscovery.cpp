#include "platform/dnssd/AvahiServiceDiscovery.h"

#include "platform/dnssd/AvahiSession.h"
#include "platform/dnssd/ServiceDiscoveryLogging.h"

#include <QByteArray>
#include <QMetaObject>
#include <QPointer>

#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

Error makeError(ServiceDiscoveryError code, const QString &description)
{
    return Error::make(code, description);
}

Error daemonNotRunning()
{
    return makeError(ServiceDiscoveryError::DaemonNotRunning,
                     u"The DNS-SD daemon is not running"_s);
}

// The error of a browser or resolver that failed, or could not be made, from its client's errno.
Error lookupError(int avahiError)
{
    if (avahiError == AVAHI_ERR_NO_DAEMON || avahiError == AVAHI_ERR_DISCONNECTED)
        return daemonNotRunning();
    return makeError(ServiceDiscoveryError::Failed, QString::fromUtf8(avahi_strerror(avahiError)));
}

bool isConnected(AvahiClientState state)
{
    return state == AVAHI_CLIENT_S_REGISTERING || state == AVAHI_CLIENT_S_RUNNING ||
           state == AVAHI_CLIENT_S_COLLISION;
}

// Null for the default domain.
const char *domainOrDefault(const QByteArray &domain)
{
    return domain.isEmpty() ? nullptr : domain.constData();
}

// Runs `deliver` on the job's thread, unless the job is gone or stopped by then. Jobs stop their
// Avahi thread before they go, so `job` is never null when this is called there.
template <typename Job, typename Deliver> void post(const QPointer<Job> &job, Deliver deliver)
{
    QMetaObject::invokeMethod(
        job.data(),
        [job, deliver = std::move(deliver)] {
            if (job && job->isRunning())
                deliver(*job);
        },
        Qt::QueuedConnection);
}

class AvahiBrowser final : public ServiceBrowser {
public:
    AvahiBrowser(const QString &type, const QString &domain);
    ~AvahiBrowser() override;

    void cancel() override;
    bool isRunning() const { return m_worker != nullptr; }

private:
    struct Worker;
    // An instance and the interfaces it is currently seen on.
    struct Seen {
        ServiceInstance instance;
        QList<AvahiIfIndex> interfaces;
    };

    void add(const ServiceInstance &instance, AvahiIfIndex interface);
    void remove(const ServiceInstance &instance, AvahiIfIndex interface);
    void fail(const Error &error);
    void reportResults();

    std::unique_ptr<Worker> m_worker;
    QList<Seen> m_seen; // in the order first seen
};

// What the Avahi thread works on; the job's thread only makes and destroys it.
struct AvahiBrowser::Worker {
    Worker(AvahiBrowser *job, QByteArray serviceType, QByteArray serviceDomain)
        : owner(job), type(std::move(serviceType)), domain(std::move(serviceDomain)),
          session(
              "dnssd.browse", AvahiClientFlags(0),
              [this](AvahiClient *client, AvahiClientState state) { onClientState(client, state); })
    {
    }

    void onClientState(AvahiClient *client, AvahiClientState state);
    static void onBrowse(AvahiServiceBrowser *browser, AvahiIfIndex interface, AvahiProtocol,
                         AvahiBrowserEvent event, const char *name, const char *type,
                         const char *domain, AvahiLookupResultFlags, void *userdata);

    const QPointer<AvahiBrowser> owner;
    const QByteArray type;
    const QByteArray domain;
    bool browsing = false;
    AvahiSession session; // last, so destroyed first: that stops the thread before the rest goes
};

AvahiBrowser::~AvahiBrowser()
{
    m_worker.reset();
}

void AvahiBrowser::cancel()
{
    m_worker.reset();
}

void AvahiBrowser::Worker::onClientState(AvahiClient *client, AvahiClientState state)
{
    if (state == AVAHI_CLIENT_FAILURE) {
        post(owner, [](AvahiBrowser &job) { job.fail(daemonNotRunning()); });
        return;
    }
    if (!isConnected(state) || browsing)
        return;
    browsing = true;
    if (avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, type.constData(),
                                  domainOrDefault(domain), AvahiLookupFlags(0), &Worker::onBrowse,
                                  this)) {
        post(owner, [](AvahiBrowser &job) { Q_EMIT job.ready(); });
    } else {
        post(owner, [error = lookupError(avahi_client_errno(client))](AvahiBrowser &job) {
            job.fail(error);
        });
    }
}

void AvahiBrowser::Worker::onBrowse(AvahiServiceBrowser *browser, AvahiIfIndex interface,
                                    AvahiProtocol, AvahiBrowserEvent event, const char *name,
                                    const char *type, const char *domain, AvahiLookupResultFlags,
                                    void *userdata)
{
    auto *self = static_cast<Worker *>(userdata);
    switch (event) {
    case AVAHI_BROWSER_NEW:
    case AVAHI_BROWSER_REMOVE: {
        ServiceInstance instance{QString::fromUtf8(name), QString::fromUtf8(type),
                                 QString::fromUtf8(domain)};
        post(self->owner, [instance = std::move(instance), interface,
                           added = event == AVAHI_BROWSER_NEW](AvahiBrowser &job) {
            if (added)
                job.add(instance, interface);
            else
                job.remove(instance, interface);
        });
        break;
    }
    case AVAHI_BROWSER_FAILURE: {
        const int error = avahi_client_errno(avahi_service_browser_get_client(browser));
        post(self->owner, [error](AvahiBrowser &job) { job.fail(lookupError(error)); });
        break;
    }
    case AVAHI_BROWSER_CACHE_EXHAUSTED:
    case AVAHI_BROWSER_ALL_FOR_NOW:
        break;
    }
}

AvahiBrowser::AvahiBrowser(const QString &type, const QString &domain)
    : m_worker(std::make_unique<Worker>(this, type.toUtf8(), domain.toUtf8()))
{
    if (!m_worker->session.start()) {
        post(QPointer(this), [](AvahiBrowser &job) {
            job.fail(makeError(ServiceDiscoveryError::Failed,
                               u"The DNS-SD client could not be started"_s));
        });
    }
}

void AvahiBrowser::add(const ServiceInstance &instance, AvahiIfIndex interface)
{
    const auto seen = std::ranges::find(m_seen, instance, &Seen::instance);
    if (seen == m_seen.end()) {
        m_seen.append({instance, {interface}});
        reportResults();
    } else if (!seen->interfaces.contains(interface)) {
        seen->interfaces.append(interface);
    }
}

void AvahiBrowser::remove(const ServiceInstance &instance, AvahiIfIndex interface)
{
    const auto seen = std::ranges::find(m_seen, instance, &Seen::instance);
    if (seen == m_seen.end() || !seen->interfaces.removeOne(interface) ||
        !seen->interfaces.isEmpty())
        return;
    m_seen.erase(seen);
    reportResults();
}

void AvahiBrowser::reportResults()
{
    QList<ServiceInstance> results;
    results.reserve(m_seen.size());
    for (const Seen &seen : std::as_const(m_seen))
        results.append(seen.instance);
    qCDebug(lcServiceDiscovery) << "Browse found" << results.size() << "instance(s)";
    Q_EMIT resultsChanged(results);
}

void AvahiBrowser::fail(const Error &error)
{
    qCDebug(lcServiceDiscovery).noquote() << "Browse failed:" << error.description;
    m_worker.reset();
    Q_EMIT failed(error);
}

class AvahiLookup final : public ServiceLookup {
public:
    explicit AvahiLookup(const ServiceInstance &service);
    ~AvahiLookup() override;

    void cancel() override;
    bool isRunning() const { return m_worker != nullptr; }

private:
    struct Worker;

    void succeed(const ServiceAddress &address);
    void fail(const Error &error);

    std::unique_ptr<Worker> m_worker;
};

// What the Avahi thread works on; the job's thread only makes and destroys it.
struct AvahiLookup::Worker {
    Worker(AvahiLookup *job, const ServiceInstance &service)
        : owner(job), name(service.name.toUtf8()), type(service.type.toUtf8()),
          domain(service.domain.toUtf8()),
          session(
              "dnssd.resolve", AvahiClientFlags(0),
              [this](AvahiClient *client, AvahiClientState state) { onClientState(client, state); })
    {
    }

    void onClientState(AvahiClient *client, AvahiClientState state);
    static void onResolve(AvahiServiceResolver *resolver, AvahiIfIndex, AvahiProtocol,
                          AvahiResolverEvent event, const char *, const char *, const char *,
                          const char *, const AvahiAddress *address, uint16_t port,
                          AvahiStringList *, AvahiLookupResultFlags, void *userdata);

    const QPointer<AvahiLookup> owner;
    const QByteArray name;
    const QByteArray type;
    const QByteArray domain;
    bool resolving = false;
    AvahiSession session; // last, so destroyed first: that stops the thread before the rest goes
};

AvahiLookup::~AvahiLookup()
{
    m_worker.reset();
}

void AvahiLookup::cancel()
{
    m_worker.reset();
}

void AvahiLookup::Worker::onClientState(AvahiClient *client, AvahiClientState state)
{
    if (state == AVAHI_CLIENT_FAILURE) {
        post(owner, [](AvahiLookup &job) { job.fail(daemonNotRunning()); });
        return;
    }
    if (!isConnected(state) || resolving)
        return;
    resolving = true;
    // Queried over IPv4 for an IPv4 address: a query over IPv6 would not find A records.
    if (!avahi_service_resolver_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, name.constData(),
                                    type.constData(), domainOrDefault(domain), AVAHI_PROTO_INET,
                                    AvahiLookupFlags(0), &Worker::onResolve, this)) {
        post(owner, [error = lookupError(avahi_client_errno(client))](AvahiLookup &job) {
            job.fail(error);
        });
    }
}

void AvahiLookup::Worker::onResolve(AvahiServiceResolver *resolver, AvahiIfIndex, AvahiProtocol,
                                    AvahiResolverEvent event, const char *, const char *,
                                    const char *, const char *, const AvahiAddress *address,
                                    uint16_t port, AvahiStringList *, AvahiLookupResultFlags,
                                    void *userdata)
{
    auto *self = static_cast<Worker *>(userdata);
    const int error = event == AVAHI_RESOLVER_FOUND
                          ? AVAHI_OK
                          : avahi_client_errno(avahi_service_resolver_get_client(resolver));
    avahi_service_resolver_free(resolver); // one answer is all that is wanted

    if (event == AVAHI_RESOLVER_FOUND && address && address->proto == AVAHI_PROTO_INET) {
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        post(self->owner, [found = ServiceAddress{QString::fromLatin1(text), port}](
                              AvahiLookup &job) { job.succeed(found); });
    } else if (event == AVAHI_RESOLVER_FOUND || error == AVAHI_ERR_TIMEOUT ||
               error == AVAHI_ERR_NOT_FOUND) {
        post(self->owner, [](AvahiLookup &job) {
            job.fail(makeError(ServiceDiscoveryError::NotFound,
                               u"The service did not answer with an IPv4 address"_s));
        });
    } else {
        post(self->owner, [error](AvahiLookup &job) { job.fail(lookupError(error)); });
    }
}

AvahiLookup::AvahiLookup(const ServiceInstance &service)
    : m_worker(std::make_unique<Worker>(this, service))
{
    if (!m_worker->session.start()) {
        post(QPointer(this), [](AvahiLookup &job) {
            job.fail(makeError(ServiceDiscoveryError::Failed,
                               u"The DNS-SD client could not be started"_s));
        });
    }
}

void AvahiLookup::succeed(const ServiceAddress &address)
{
    qCDebug(lcServiceDiscovery).noquote()
        << "Lookup found" << address.host << "port" << address.port;
    m_worker.reset();
    Q_EMIT resolved(address);
}

void AvahiLookup::fail(const Error &error)
{
    qCDebug(lcServiceDiscovery).noquote() << "Lookup failed:" << error.description;
    m_worker.reset();
    Q_EMIT failed(error);
}

class AvahiDaemonCheck final : public ServiceDaemonCheck {
public:
    AvahiDaemonCheck();
    ~AvahiDaemonCheck() override { m_session.reset(); }

    bool isRunning() const { return m_session != nullptr; }

private:
    void finish(bool answers, const Error &error);

    std::unique_ptr<AvahiSession> m_session;
};

AvahiDaemonCheck::AvahiDaemonCheck()
{
    // Without NO_FAIL the client fails at once when the daemon is missing.
    m_session = std::make_unique<AvahiSession>(
        "dnssd.check", AvahiClientFlags(0),
        [owner = QPointer(this)](AvahiClient *, AvahiClientState state) {
            if (isConnected(state))
                post(owner, [](AvahiDaemonCheck &job) { job.finish(true, {}); });
            else if (state == AVAHI_CLIENT_FAILURE)
                post(owner, [](AvahiDaemonCheck &job) { job.finish(false, daemonNotRunning()); });
        });
    if (!m_session->start())
        post(QPointer(this), [](AvahiDaemonCheck &job) { job.finish(false, daemonNotRunning()); });
}

void AvahiDaemonCheck::finish(bool answers, const Error &error)
{
    m_session.reset();
    Q_EMIT finished(answers, error);
}

} // namespace

std::unique_ptr<ServiceBrowser> AvahiServiceDiscovery::browse(const QString &type,
                                                              const QString &domain)
{
    return std::make_unique<AvahiBrowser>(type, domain);
}

std::unique_ptr<ServiceLookup> AvahiServiceDiscovery::resolve(const ServiceInstance &service)
{
    return std::make_unique<AvahiLookup>(service);
}

std::unique_ptr<ServiceDaemonCheck> AvahiServiceDiscovery::checkDaemon()
{
    return std::make_unique<AvahiDaemonCheck>();
}

} // namespace hb
