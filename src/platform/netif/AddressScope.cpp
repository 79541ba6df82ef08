#include "platform/netif/AddressScope.h"

#include "platform/netif/PlainAddress.h"

namespace hb {
namespace {

bool inSubnet(const QHostAddress &address, const char *subnet)
{
    return address.isInSubnet(QHostAddress::parseSubnet(QString::fromLatin1(subnet)));
}

} // namespace

AddressScope::Kind AddressScope::classify(const QHostAddress &address)
{
    const QHostAddress peer = plainAddress(address);
    if (peer.isLoopback())
        return Kind::Loopback;
    for (const char *subnet : {"10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16", "169.254.0.0/16",
                               "fc00::/7", "fe80::/10"}) {
        if (inSubnet(peer, subnet))
            return Kind::LocalNetwork;
    }
    if (inSubnet(peer, "100.64.0.0/10"))
        return Kind::SharedAddressSpace;
    return Kind::Elsewhere;
}

} // namespace hb
