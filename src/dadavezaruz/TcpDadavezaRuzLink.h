#pragma once

#include "dadavezaruz/DadavezaRuzLink.h"
#include "platform/dnssd/ServiceDiscovery.h"

#include <QHash>

#include <memory>
#include <optional>

class QThread;

namespace hb {

class DadavezaRuzSocketWorker;

// A TCP link whose socket runs on the network thread. A link to an advertised service first
// looks up the service's address, then connects to it.
class TcpDadavezaRuzLink final : public DadavezaRuzLink {
    Q_OBJECT

public:
    TcpDadavezaRuzLink(QThread *networkThread, const QString &host, quint16 port);
    TcpDadavezaRuzLink(QThread *networkThread, ServiceDiscovery &discovery,
                       const ServiceInstance &service);
    ~TcpDadavezaRuzLink() override;

    void start() override;
    void send(const QByteArray &frame, SendCompletion done) override;
    DadavezaRuzPeer peer() const override { return m_peer; }

private:
    void open(const QString &host, quint16 port);
    void onReport(Report report, const QString &description, const DadavezaRuzPeer &peer);
    void onSent(quint64 sendId, const QString &errorDescription);

    QThread *m_thread;
    ServiceDiscovery *m_discovery = nullptr;
    std::optional<ServiceInstance> m_service;
    DadavezaRuzPeer m_target;
    std::unique_ptr<ServiceLookup> m_lookup;
    DadavezaRuzSocketWorker *m_worker = nullptr; // owned; lives on m_thread
    DadavezaRuzPeer m_peer;
    QHash<quint64, SendCompletion> m_sends;
    quint64 m_nextSendId = 0;
};

} // namespace hb
