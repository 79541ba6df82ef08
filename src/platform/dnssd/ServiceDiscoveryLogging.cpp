#include "platform/dnssd/ServiceDiscoveryLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcServiceDiscovery, "huebench.dnssd", QtInfoMsg)

} // namespace hb
