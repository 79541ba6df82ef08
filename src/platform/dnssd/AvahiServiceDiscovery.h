#pragma once

#include "platform/dnssd/ServiceDiscovery.h"

namespace hb {

// Looks services up through the Avahi daemon, reached over the D-Bus system bus
// ($DBUS_SYSTEM_BUS_ADDRESS when set), over IPv4 on every interface.
//
// Each browse, lookup and daemon check runs a private Avahi event loop thread with a client of its
// own; cancel() and destruction stop and join it. That thread never touches the job object: it
// posts what it learns back to the thread that made the job, which emits it. A missing daemon or
// system bus, or a daemon that goes away, ends a job with DaemonNotRunning; nothing is retried.
class AvahiServiceDiscovery final : public ServiceDiscovery {
public:
    std::unique_ptr<ServiceBrowser> browse(const QString &type, const QString &domain) override;
    std::unique_ptr<ServiceLookup> resolve(const ServiceInstance &service) override;
    std::unique_ptr<ServiceDaemonCheck> checkDaemon() override;
};

} // namespace hb
