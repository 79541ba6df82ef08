#pragma once

#include <QLoggingCategory>

namespace hb {

// The pad's controller connection and discovery of servers.
// Debug messages are off unless QT_LOGGING_RULES="huebench.dadavezaruz.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDadavezaRuz)

} // namespace hb
