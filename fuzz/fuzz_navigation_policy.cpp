// Fuzzes the tutorial browser's address handling: the saved site text (from the settings file)
// and the addresses pages navigate to.
//
// A navigation is let through only to a host that is empty, listed, or ends in a listed suffix;
// the saved form of any text that is not refused reads back as a site whose host is allowed.

#include "browser/NavigationPolicy.h"
#include "browser/YouTubeSearchSite.h"

#include "FuzzCheck.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    using hb::NavigationPolicy;
    using hb::YouTubeSearchSite;

    const QSet<QString> hosts = YouTubeSearchSite::allowedHosts(text);
    const QStringList suffixes = YouTubeSearchSite::allowedHostSuffixes();
    const QUrl url(text);
    if (NavigationPolicy::decide(url, hosts, suffixes) == NavigationPolicy::Decision::Allow) {
        const QString host = url.host().toLower();
        bool listed = host.isEmpty() || hosts.contains(host);
        for (const QString &suffix : suffixes)
            listed = listed || host.endsWith(suffix, Qt::CaseInsensitive);
        check(listed, "only a listed host is let through");
    }

    const auto saved = YouTubeSearchSite::savedSiteText(text);
    if (!saved)
        return 0; // refused with a message: nothing is stored
    check(saved->isEmpty() || YouTubeSearchSite::siteURL(*saved).has_value(),
          "saved text reads back as a site");
    if (const auto site = YouTubeSearchSite::siteURL(*saved)) {
        const QSet<QString> savedHosts = YouTubeSearchSite::allowedHosts(*saved);
        check(NavigationPolicy::decide(*site, savedHosts, suffixes) ==
                  NavigationPolicy::Decision::Allow,
              "the saved site itself is allowed");
    }
    return 0;
}
