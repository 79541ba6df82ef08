#include "dadavezaruz-server/ServerLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcServer, "huebench.server", QtInfoMsg)

} // namespace hb
