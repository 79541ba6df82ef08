#include "dadavezaruz-server/ControllerAccess.h"

namespace hb {
namespace {

using namespace Qt::StringLiterals;

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
    if (inSubnet(peer, "100.64.0.0/10"))
        return Kind::SharedAddressSpace;
    return Kind::Elsewhere;
}

QString ControllerAccess::addressText(const QHostAddress &address)
{
    QHostAddress peer = plain(address);
    peer.setScopeId(QString());
    return peer.toString();
}

std::optional<QString> ControllerAccess::allowProblem(const QString &text)
{
    const QHostAddress address(text.trimmed());
    if (address.isNull())
        return u"\u201C"_s + text.trimmed() + u"\u201D is not an IP address"_s;
    if (classify(address) == Kind::Elsewhere) {
        return addressText(address) +
               u" is not on the local network: controllers there are never served"_s;
    }
    return std::nullopt;
}

} // namespace hb
