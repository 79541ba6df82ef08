#include "platform/store/StoreLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcStore, "huebench.store", QtInfoMsg)

} // namespace hb
