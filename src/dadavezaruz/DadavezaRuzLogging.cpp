#include "dadavezaruz/DadavezaRuzLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcDadavezaRuz, "huebench.dadavezaruz", QtInfoMsg)

} // namespace hb
