#include "platform/netif/PlainAddress.h"

namespace hb {

QHostAddress plainAddress(const QHostAddress &address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        return QHostAddress(ipv4);
    QHostAddress plain = address;
    plain.setScopeId(QString());
    return plain;
}

} // namespace hb
