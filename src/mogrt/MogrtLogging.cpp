#include "mogrt/MogrtLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcTemplates, "huebench.templates", QtInfoMsg)

} // namespace hb
