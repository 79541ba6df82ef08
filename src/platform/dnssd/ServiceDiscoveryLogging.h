#pragma once

#include <QLoggingCategory>

namespace hb {

// DNS-SD through Avahi: publishing states, browse and lookup outcomes.
// Debug messages are off unless QT_LOGGING_RULES="huebench.dnssd.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcServiceDiscovery)

} // namespace hb
