#include "dadavezaruz-server/ShortcutTarget.h"

namespace hb {

ShortcutTarget ShortcutTarget::forAppTarget(const QString &appTarget)
{
    const QString target = appTarget.toLower();
    if (target == u"resolve")
        return {QStringLiteral("com.blackmagic-design.DaVinciResolve"), QStringLiteral("resolve")};
    if (target == u"obs")
        return {QStringLiteral("com.obsproject.obs-studio"), QStringLiteral("obs")};
    return {};
}

} // namespace hb
