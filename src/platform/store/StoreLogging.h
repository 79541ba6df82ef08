#pragma once

#include <QLoggingCategory>

namespace hb {

// The model store: the file opened, failed statements, rolled-back writes.
// Debug messages are off unless QT_LOGGING_RULES="huebench.store.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)

} // namespace hb
