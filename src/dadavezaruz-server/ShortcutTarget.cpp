#include "dadavezaruz-server/ShortcutTarget.h"

namespace hb {

ShortcutTarget ShortcutTarget::forAppTarget(const QString &appTarget)
{
    if (appTarget.compare(u"resolve", Qt::CaseInsensitive) == 0)
        return {QStringLiteral("com.blackmagic-design.DaVinciResolve"), QStringLiteral("resolve")};
    if (appTarget.compare(u"obs", Qt::CaseInsensitive) == 0)
        return {QStringLiteral("com.obsproject.obs-studio"), QStringLiteral("obs")};
    return {};
}

} // namespace hb
