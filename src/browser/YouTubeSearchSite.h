#pragma once

#include "common/Expected.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace hb {

// Why a site address is not taken: codes of the `YouTubeSearchSite` error domain.
enum class SiteAddressError {
    TooLong = 1, // more than YouTubeSearchSite::kMaxAddressLength characters
    Scheme,      // a scheme other than http or https
    NoHost,      // nothing to connect to
    Invalid,     // does not parse (spaces in the host, stray characters, ...)
};
inline QString errorDomain(SiteAddressError)
{
    return QStringLiteral("YouTubeSearchSite");
}

// The tutorial browser's addresses, derived from the saved search-site text: the page to show
// and the hosts it may reach.
class YouTubeSearchSite {
public:
    // Longer site addresses are refused rather than handed to the engine, which shows a blank
    // page for them; real ones are far shorter.
    static constexpr qsizetype kMaxAddressLength = 2048;

    static QString channelDisplayName();
    static QUrl channelVideosPage();

    // The saved text as a URL, by the same rule as savedSiteText(). None for blank text and for
    // text that rule refuses.
    static std::optional<QUrl> siteURL(const QString &siteUrlString);
    // The search site, or the channel's videos page without one.
    static QUrl targetURL(const QString &siteUrlString);
    // The platform's fixed hosts and the search site's host, lower case.
    static QSet<QString> allowedHosts(const QString &siteUrlString);
    static QStringList allowedHostSuffixes();

    // What "Save" stores for the text being edited: trimmed; blank stays empty. Text that starts
    // with "http://" or "https://" (in any case) is kept, its scheme in lower case; text without
    // a scheme ("host", "host:port/path") gets "https://" in front. Refused, with a message that
    // says why: other schemes, no host, text that is no valid address, over-long text.
    static Expected<QString> savedSiteText(const QString &draftUrl);
};

} // namespace hb
