#pragma once

#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

namespace hb {

// What the address choice needs to know of one network interface.
struct InterfaceAddresses {
    QString name;
    bool isUp = false;
    bool isLoopback = false;
    QList<QHostAddress> addresses;
};

// The interface that carries the IPv4 default route, read from the text of /proc/net/route:
// the up route with destination and mask 0.0.0.0 and the lowest metric.
std::optional<QString> defaultRouteInterface(QByteArrayView procNetRoute);

// The address peers on the local network reach this machine at: the first IPv4 address of the
// default-route interface, else the first IPv4 address of the first interface that is up and not
// loopback, else none.
std::optional<QString> chooseLocalIPv4Address(const std::optional<QString> &routeInterface,
                                              const QList<InterfaceAddresses> &interfaces);

// The numeric IPv4 address of this machine on its local network, or none.
std::optional<QString> localIPv4Address();

} // namespace hb
