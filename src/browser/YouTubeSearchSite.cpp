#include "browser/YouTubeSearchSite.h"

#ifdef HB_YOUTUBE_SEARCH_DEPLOYMENT_HEADER
#include HB_YOUTUBE_SEARCH_DEPLOYMENT_HEADER
#else
#include "browser/YouTubeSearchDeployment.h"
#endif

using namespace Qt::StringLiterals;

namespace hb {
namespace {

std::optional<QUrl> parsed(const QString &text)
{
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

QString YouTubeSearchSite::channelDisplayName()
{
    return QString(YouTubeSearchDeployment::channelDisplayName);
}

QUrl YouTubeSearchSite::channelVideosPage()
{
    return QUrl(QString(YouTubeSearchDeployment::channelVideosPage));
}

std::optional<QUrl> YouTubeSearchSite::siteURL(const QString &siteUrlString)
{
    const QString text = siteUrlString.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (auto url = parsed(text))
        return url;
    return parsed(u"https://"_s + text);
}

QUrl YouTubeSearchSite::targetURL(const QString &siteUrlString)
{
    return siteURL(siteUrlString).value_or(channelVideosPage());
}

QSet<QString> YouTubeSearchSite::allowedHosts(const QString &siteUrlString)
{
    QSet<QString> hosts;
    for (QLatin1StringView host : YouTubeSearchDeployment::exactHosts)
        hosts.insert(QString(host).toLower());
    if (const auto site = siteURL(siteUrlString); site && !site->host().isEmpty())
        hosts.insert(site->host().toLower());
    return hosts;
}

QStringList YouTubeSearchSite::allowedHostSuffixes()
{
    QStringList suffixes;
    for (QLatin1StringView suffix : YouTubeSearchDeployment::hostSuffixes)
        suffixes.append(QString(suffix));
    return suffixes;
}

QString YouTubeSearchSite::savedSiteText(const QString &draftUrl)
{
    QString text = draftUrl.trimmed();
    if (text.isEmpty())
        return {};
    if (text.startsWith(u"http://"_s) || text.startsWith(u"https://"_s))
        return text;
    return u"https://"_s + text;
}

} // namespace hb
