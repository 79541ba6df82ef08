#pragma once

#include <QLoggingCategory>

namespace hb {

// Template import and conversion: archives unpacked, macros written, failures.
// Debug messages are off unless QT_LOGGING_RULES="huebench.templates.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcTemplates)

} // namespace hb
