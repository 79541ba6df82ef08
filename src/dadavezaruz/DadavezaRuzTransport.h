#pragma once

#include <QString>

#include <memory>

namespace hb {

class DadavezaRuzLink;
struct ServiceInstance;

// Makes links to servers: by host and port, or by an advertised service. Links are made
// unstarted; their owner starts them.
class DadavezaRuzTransport {
public:
    virtual ~DadavezaRuzTransport() = default;

    virtual std::unique_ptr<DadavezaRuzLink> linkTo(const QString &host, quint16 port) = 0;
    virtual std::unique_ptr<DadavezaRuzLink> linkTo(const ServiceInstance &service) = 0;
};

} // namespace hb
