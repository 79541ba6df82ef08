#pragma once

// A network for the controller that answers only when a test tells it to.

#include "dadavezaruz/DadavezaRuzLink.h"
#include "dadavezaruz/DadavezaRuzTransport.h"
#include "platform/dnssd/ServiceDiscovery.h"

#include <QPointer>

namespace hb::test {

struct FakeLink : DadavezaRuzLink {
    QString target; // "host:port" or the service name
    bool started = false;
    QList<QByteArray> frames;
    QList<SendCompletion> completions;
    DadavezaRuzPeer remote;

    void start() override { started = true; }
    void send(const QByteArray &frame, SendCompletion done) override
    {
        frames.append(frame);
        completions.append(std::move(done));
    }
    DadavezaRuzPeer peer() const override { return remote; }
    void report(Report what, const QString &description = {})
    {
        Q_EMIT reported(what, description);
    }
    void status(ServerStatusMessage::Status what) { Q_EMIT serverStatusReceived({what}); }
    void status(const ServerStatusMessage &what) { Q_EMIT serverStatusReceived(what); }
};

struct FakeTransport : DadavezaRuzTransport {
    QList<QPointer<FakeLink>> links; // every link made, in order; null once its owner dropped it

    FakeLink *last() const { return links.isEmpty() ? nullptr : links.constLast().data(); }
    std::unique_ptr<DadavezaRuzLink> linkTo(const QString &host, quint16 port) override
    {
        return make(host + u':' + QString::number(port));
    }
    std::unique_ptr<DadavezaRuzLink> linkTo(const ServiceInstance &service) override
    {
        return make(service.name);
    }
    std::unique_ptr<DadavezaRuzLink> make(const QString &target)
    {
        auto link = std::make_unique<FakeLink>();
        link->target = target;
        links.append(link.get());
        return link;
    }
};

struct FakeBrowser : ServiceBrowser {
    void cancel() override {}
    void fail(ServiceDiscoveryError code, const QString &description)
    {
        Q_EMIT failed(Error::make(code, description));
    }
};
struct FakeLookup : ServiceLookup {
    ServiceInstance service;
    void cancel() override {}
};
struct FakeCheck : ServiceDaemonCheck {};

struct FakeDiscovery : ServiceDiscovery {
    QList<QPointer<FakeBrowser>> browsers;
    QList<QPointer<FakeLookup>> lookups;
    QList<QPointer<FakeCheck>> checks;

    std::unique_ptr<ServiceBrowser> browse(const QString &, const QString &) override
    {
        auto browser = std::make_unique<FakeBrowser>();
        browsers.append(browser.get());
        return browser;
    }
    std::unique_ptr<ServiceLookup> resolve(const ServiceInstance &service) override
    {
        auto lookup = std::make_unique<FakeLookup>();
        lookup->service = service;
        lookups.append(lookup.get());
        return lookup;
    }
    std::unique_ptr<ServiceDaemonCheck> checkDaemon() override
    {
        auto check = std::make_unique<FakeCheck>();
        checks.append(check.get());
        return check;
    }
};

} // namespace hb::test
