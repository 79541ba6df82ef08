#pragma once

#include <QLoggingCategory>

namespace hb {

// The shortcut server: its activity lines and status changes, as its screen and the headless
// command show them.
// Debug messages are off unless QT_LOGGING_RULES="huebench.server.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcServer)

} // namespace hb
