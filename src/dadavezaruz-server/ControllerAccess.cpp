#include "dadavezaruz-server/ControllerAccess.h"

namespace hb {
namespace {

QHostAddress plain(const QHostAddress &address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4) : address;
}

bool inSubnet(const QHostAddress &address, const char *subnet)
{
    return address.isInSubnet(QHostAddress::parseSubnet(QString::fromLatin1(subnet)));
}

} // namespace

ControllerAccess::Kind ControllerAccess::classify(const QHostAddress &address)
{
    const QHostAddress peer = plain(address);
    if (peer.isLoopback())
        return Kind::Loopback;
    for (const char *subnet : {"10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16", "169.254.0.0/16",
                               "fc00::/7", "fe80::/10"}) {
        if (inSubnet(peer, subnet))
            return Kind::LocalNetwork;
    }
    return Kind::Elsewhere;
}

QString ControllerAccess::addressText(const QHostAddress &address)
{
    QHostAddress peer = plain(address);
    peer.setScopeId(QString());
    return peer.toString();
}

} // namespace hb
