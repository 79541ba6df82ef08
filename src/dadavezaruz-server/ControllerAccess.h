#pragma once

#include "platform/netif/AddressScope.h"

#include <QHostAddress>
#include <QString>

#include <optional>

namespace hb {

// Who may type into this computer, by the address a controller connects from.
//
// - Loopback: this machine; always served (so is any of this machine's own addresses, which the
//   server checks itself).
// - LocalNetwork: private IPv4 ranges, IPv4 and IPv6 link-local, IPv6 unique-local. The user
//   allows such a controller once (or refuses it).
// - SharedAddressSpace: 100.64.0.0/10. Carriers use it for their customers behind a common NAT,
//   and VPN meshes for their members, so an address there may belong to a stranger. Served only
//   when the user allowed the address explicitly; never asked about.
// - Elsewhere: every other address (public, multicast, unspecified). Never served.
class ControllerAccess {
public:
    using Kind = AddressScope::Kind;

    static Kind classify(const QHostAddress &address);
    // The address as text, IPv4 addresses carried in IPv6 written as plain IPv4, no scope.
    static QString addressText(const QHostAddress &address);

    // Why the address typed by the user cannot be allowed, or nothing when it can: it must be
    // an IP address that a controller could be served from once allowed.
    static std::optional<QString> allowProblem(const QString &text);
};

} // namespace hb
