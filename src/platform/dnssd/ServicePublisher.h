#pragma once

#include <QObject>
#include <QString>

namespace hb {

// Advertises one service on the local network by DNS-SD, with no TXT record, in the default
// domain. Publishing runs in the background; failures are reported, never thrown.
class ServicePublisher : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Registering, Established, Failed };
    Q_ENUM(State)

    using QObject::QObject;
    ~ServicePublisher() override = default;

    // Starts advertising `instanceName` of `serviceType` (e.g. "_huebench._tcp") on `port`.
    // Calling it again while published replaces the earlier advertisement.
    virtual void publish(const QString &instanceName, const QString &serviceType, quint16 port) = 0;
    // Withdraws the advertisement. Safe to call when nothing is published.
    virtual void unpublish() = 0;

    virtual State state() const = 0;
    // The description of the last failure (for example "the DNS-SD daemon is not running").
    virtual QString errorText() const = 0;

Q_SIGNALS:
    // Emitted on the thread that owns the publisher.
    void stateChanged(hb::ServicePublisher::State state);
};

} // namespace hb
