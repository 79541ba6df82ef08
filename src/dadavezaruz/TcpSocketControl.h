#pragma once

#include <QtGlobal>

#include <optional>

namespace hb {

// What the pad asks of its TCP socket beyond what QTcpSocket offers: to notice quickly that the
// server is gone, to tell which written bytes the server's machine has acknowledged, and to throw
// away what it has not when the pad gives up. Linux socket options; each call takes the socket's
// descriptor and reports whether the system accepted it.
class TcpSocketControl {
public:
    // A silent peer is probed after 1 s and given up after two unanswered probes, 1 s apart.
    static constexpr int kKeepAliveIdleSec = 1;
    static constexpr int kKeepAliveIntervalSec = 1;
    static constexpr int kKeepAliveCount = 2;
    // Written bytes that stay unacknowledged this long make the system drop the connection,
    // so that they are never delivered late.
    static constexpr int kUserTimeoutMsec = 2000;

    static bool enableDeadPeerDetection(qintptr descriptor);

    // Keep-alive probes alone: a silent peer is probed after `idleSec` and given up after `count`
    // unanswered probes `intervalSec` apart (for a server, which only reads).
    static bool enableKeepAlive(qintptr descriptor, int idleSec, int intervalSec, int count);

    // Bytes written to the system and not yet acknowledged by the peer (sent or still queued);
    // nothing when the system cannot say.
    static std::optional<qint64> unacknowledgedBytes(qintptr descriptor);

    // Closing then resets the connection and drops the bytes still queued, instead of sending
    // them in the background.
    static bool discardUnsentOnClose(qintptr descriptor);
};

} // namespace hb
