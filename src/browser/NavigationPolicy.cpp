#include "browser/NavigationPolicy.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

bool isWebScheme(const QString &scheme)
{
    return scheme == u"http"_s || scheme == u"https"_s;
}

// about:blank, data: and blob: documents are made by the page that asks for them.
bool staysInPage(const QString &scheme)
{
    return scheme == u"about"_s || scheme == u"data"_s || scheme == u"blob"_s;
}

} // namespace

NavigationPolicy::Decision NavigationPolicy::decide(const QUrl &url,
                                                    const QSet<QString> &allowedHosts,
                                                    const QStringList &allowedHostSuffixes)
{
    if (url.isEmpty())
        return Decision::Cancel;
    const QString scheme = url.scheme(); // QUrl keeps schemes in lower case
    if (staysInPage(scheme))
        return Decision::Allow;
    if (!isWebScheme(scheme))
        return Decision::BlockScheme;
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
    const QString scheme = url.scheme();
    if (!scheme.isEmpty() && !isWebScheme(scheme) && !staysInPage(scheme)) {
        return u"Blocked navigation (%1: addresses are not opened here): "_s.arg(scheme) +
               url.toString();
    }
    return u"Blocked navigation: "_s + url.toString();
}

} // namespace hb
