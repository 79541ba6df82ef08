#include "browser/NavigationPolicy.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace hb {

NavigationPolicy::Decision NavigationPolicy::decide(const QUrl &url,
                                                    const QSet<QString> &allowedHosts,
                                                    const QStringList &allowedHostSuffixes)
{
    if (url.isEmpty())
        return Decision::Cancel;
    // about:blank, data: and the like stay within the page that asked for them.
    const QString host = url.host().toLower();
    if (host.isEmpty())
        return Decision::Allow;
    if (allowedHosts.contains(host))
        return Decision::Allow;
    // Every suffix begins with ".", so "notyoutube.com" never passes as "youtube.com".
    for (const QString &suffix : allowedHostSuffixes) {
        if (host.endsWith(suffix, Qt::CaseInsensitive))
            return Decision::Allow;
    }
    return Decision::Block;
}

QString NavigationPolicy::blockedStatus(const QUrl &url)
{
    return u"Blocked navigation: "_s + url.toString();
}

} // namespace hb
