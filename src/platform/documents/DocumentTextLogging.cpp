#include "platform/documents/DocumentTextLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcDocuments, "huebench.documents", QtInfoMsg)

} // namespace hb
