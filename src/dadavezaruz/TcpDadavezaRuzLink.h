#pragma once

#include "dadavezaruz/DadavezaRuzLink.h"
#include "platform/dnssd/ServiceDiscovery.h"

#include <QHash>
#include <QPointer>

#include <memory>
#include <optional>

namespace hb {

class DadavezaRuzSocketWorker;

// A TCP link whose socket runs on the network thread. A link to an advertised service first
// looks up the service's address, then connects to it.
class TcpDadavezaRuzLink final : public DadavezaRuzLink {
    Q_OBJECT

public:
    // `sockets` lives on the network thread and becomes the parent of this link's socket.
    TcpDadavezaRuzLink(QObject *sockets, const QString &host, quint16 port);
    TcpDadavezaRuzLink(QObject *sockets, ServiceDiscovery &discovery,
                       const ServiceInstance &service);
    ~TcpDadavezaRuzLink() override;

    void start() override;
    void send(const QByteArray &frame, SendCompletion done) override;
    DadavezaRuzPeer peer() const override { return m_peer; }

private:
    void open(const QString &host, quint16 port);
    void onReport(Report report, const QString &description, const DadavezaRuzPeer &peer);
    void onSent(quint64 sendId, const QString &errorDescription);

    QObject *m_sockets;
    ServiceDiscovery *m_discovery = nullptr;
    std::optional<ServiceInstance> m_service;
    DadavezaRuzPeer m_target;
    std::unique_ptr<ServiceLookup> m_lookup;
    QPointer<DadavezaRuzSocketWorker> m_worker; // lives on the network thread
    DadavezaRuzPeer m_peer;
    QHash<quint64, SendCompletion> m_sends;
    quint64 m_nextSendId = 0;
};

} // namespace hb
