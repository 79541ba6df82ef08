#pragma once

#include <QStringList>
#include <QStringView>

namespace hb {

// Which requests the web pad answers, by the headers a browser sets itself.
//
// A page of another site may point its own name at this machine (DNS rebinding) and then talk to
// the web pad as if it were its own; its requests still carry that name in Host. And a WebSocket
// may be opened from any page; its Origin says which.
class WebPadOrigin {
public:
    // Whether the Host header (a host and an optional ":port") names this machine: an IPv4
    // address in dotted decimal, an IPv6 address in brackets, "localhost", or one of `ownNames`
    // (without case). Every other name, an empty header, a port that is not 1 to 65535 in
    // decimal, and anything else is refused.
    static bool isAcceptableHost(QStringView hostHeader, const QStringList &ownNames);

    // Whether the Origin header is this server as the Host header names it: "http://" and the
    // same host (without case) on the same port, port 80 when none is written. "null", other
    // schemes, hosts and ports, a path or anything after the authority, and an empty header are
    // refused.
    static bool isSameOrigin(QStringView originHeader, QStringView hostHeader);
};

} // namespace hb
