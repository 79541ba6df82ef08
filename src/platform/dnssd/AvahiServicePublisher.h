#pragma once

#include "platform/dnssd/ServicePublisher.h"

#include <memory>

namespace hb {

// Publishes through the Avahi daemon, reached over the D-Bus system bus
// ($DBUS_SYSTEM_BUS_ADDRESS when set), on every interface and protocol.
//
// Each publish() starts a private Avahi event loop thread that owns the client; unpublish() and
// the destructor stop and join it. That thread never touches this object: it posts state changes
// back to the owner's thread. When the daemon is missing or goes away the state becomes Failed
// with "The DNS-SD daemon is not running" and the publisher keeps waiting for it, then registers
// again. A name already taken on the network is replaced by Avahi's alternative ("Name #2").
class AvahiServicePublisher final : public ServicePublisher {
    Q_OBJECT

public:
    explicit AvahiServicePublisher(QObject *parent = nullptr);
    ~AvahiServicePublisher() override;

    void publish(const QString &instanceName, const QString &serviceType, quint16 port) override;
    void unpublish() override;

    State state() const override { return m_state; }
    QString errorText() const override { return m_errorText; }

private:
    struct Session;

    void apply(quint64 session, State state, const QString &errorText);
    void setState(State state, const QString &errorText = QString());

    std::unique_ptr<Session> m_session;
    quint64 m_sessionId = 0; // reports of an earlier session are dropped
    State m_state = State::Idle;
    QString m_errorText;
};

} // namespace hb
