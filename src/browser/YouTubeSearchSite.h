#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace hb {

// The tutorial browser's addresses, derived from the saved search-site text: the page to show
// and the hosts it may reach.
class YouTubeSearchSite {
public:
    static QString channelDisplayName();
    static QUrl channelVideosPage();

    // The saved text, trimmed, as a URL: taken as it stands when it has a scheme, otherwise with
    // "https://" in front. None for blank text or text that does not parse either way.
    static std::optional<QUrl> siteURL(const QString &siteUrlString);
    // The search site, or the channel's videos page without one.
    static QUrl targetURL(const QString &siteUrlString);
    // The platform's fixed hosts and the search site's host, lower case.
    static QSet<QString> allowedHosts(const QString &siteUrlString);
    static QStringList allowedHostSuffixes();

    // What "Save" stores for the text being edited: trimmed; "https://" put in front unless it
    // already starts with "http://" or "https://" (exactly these, lower case); blank stays empty.
    static QString savedSiteText(const QString &draftUrl);
};

} // namespace hb
