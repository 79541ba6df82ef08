#pragma once

#include <QtGlobal>

namespace hb {

// Constants of the DadavezaRuz wire protocol, shared by the controller and the server.
// The texts are plain C strings so that both Qt (QLatin1StringView) and C APIs (Avahi) take them.

// TCP port the server listens on; also the controller's and the pairing code's default port.
inline constexpr quint16 kDadavezaRuzPort = 58432;

// DNS-SD service type that servers advertise and controllers browse for.
inline constexpr char kDadavezaRuzServiceType[] = "_huebench._tcp";

// DNS-SD domain the controller browses.
inline constexpr char kDadavezaRuzServiceDomain[] = "local.";

// Instance name the built-in server advertises (with no TXT record).
inline constexpr char kDadavezaRuzInstanceName[] = "Huebench";

} // namespace hb
