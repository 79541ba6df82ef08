#pragma once

#include <QHostAddress>

namespace hb {

// How far from this machine a peer's address lies, for services that serve only their own
// network:
//
// - Loopback: this machine.
// - LocalNetwork: private IPv4 ranges, IPv4 and IPv6 link-local, IPv6 unique-local.
// - SharedAddressSpace: 100.64.0.0/10. Carriers use it for their customers behind a common NAT,
//   and VPN meshes for their members, so an address there may belong to a stranger.
// - Elsewhere: every other address (public, multicast, unspecified).
//
// Only the address counts: a peer on one of this machine's own non-loopback addresses is
// classified by that address; callers that know their own addresses check those themselves.
class AddressScope {
public:
    enum class Kind { Loopback, LocalNetwork, SharedAddressSpace, Elsewhere };

    static Kind classify(const QHostAddress &address);
};

} // namespace hb
