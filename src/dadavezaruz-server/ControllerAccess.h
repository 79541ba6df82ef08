#pragma once

#include <QHostAddress>
#include <QString>

namespace hb {

// Who may type into this computer. A controller on this machine is always served; one on the
// local network (private or link-local address) must be approved once by the user; one from
// anywhere else is refused outright.
class ControllerAccess {
public:
    enum class Kind { Loopback, LocalNetwork, Elsewhere };

    static Kind classify(const QHostAddress &address);
    // The address as text, IPv4 addresses carried in IPv6 written as plain IPv4.
    static QString addressText(const QHostAddress &address);
};

} // namespace hb
