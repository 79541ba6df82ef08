#include "common/AppLifecycle.h"

namespace hb {

AppLifecycle &AppLifecycle::instance()
{
    static AppLifecycle lifecycle;
    return lifecycle;
}

void AppLifecycle::requestSave()
{
    Q_EMIT saveRequested();
}

} // namespace hb
