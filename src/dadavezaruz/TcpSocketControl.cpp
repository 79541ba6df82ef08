#include "dadavezaruz/TcpSocketControl.h"

#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace hb {

namespace {

bool setOption(qintptr descriptor, int level, int name, int value)
{
    return ::setsockopt(int(descriptor), level, name, &value, socklen_t(sizeof value)) == 0;
}

} // namespace

bool TcpSocketControl::enableDeadPeerDetection(qintptr descriptor)
{
    // Both are tried, so that one the system lacks does not cost the other.
    const bool keepAlive =
        enableKeepAlive(descriptor, kKeepAliveIdleSec, kKeepAliveIntervalSec, kKeepAliveCount);
    return setOption(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT, kUserTimeoutMsec) && keepAlive;
}

bool TcpSocketControl::enableKeepAlive(qintptr descriptor, int idleSec, int intervalSec, int count)
{
    bool ok = setOption(descriptor, SOL_SOCKET, SO_KEEPALIVE, 1);
    ok = setOption(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, idleSec) && ok;
    ok = setOption(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, intervalSec) && ok;
    ok = setOption(descriptor, IPPROTO_TCP, TCP_KEEPCNT, count) && ok;
    return ok;
}

std::optional<qint64> TcpSocketControl::unacknowledgedBytes(qintptr descriptor)
{
    int queued = 0;
    if (::ioctl(int(descriptor), SIOCOUTQ, &queued) != 0 || queued < 0)
        return std::nullopt;
    return queued;
}

bool TcpSocketControl::discardUnsentOnClose(qintptr descriptor)
{
    const linger reset{1, 0};
    return ::setsockopt(int(descriptor), SOL_SOCKET, SO_LINGER, &reset, socklen_t(sizeof reset)) ==
           0;
}

} // namespace hb
