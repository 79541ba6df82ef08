#include "browser/YouTubeSearchSite.h"

#ifdef HB_YOUTUBE_SEARCH_DEPLOYMENT_HEADER
#include HB_YOUTUBE_SEARCH_DEPLOYMENT_HEADER
#else
#include "browser/YouTubeSearchDeployment.h"
#endif

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

Error refusal(SiteAddressError code, const QString &why)
{
    return Error::make(code, u"Not saved: "_s + why);
}

// The scheme the text starts with, lower case, and where the rest begins; an empty scheme when
// there is none. "host:8080/path" names a port, not a scheme called "host".
std::pair<QString, qsizetype> schemeOf(const QString &text)
{
    static const QRegularExpression scheme(u"^([A-Za-z][A-Za-z0-9+.-]*):"_s);
    static const QRegularExpression port(u"^[0-9]+([/?#]|$)"_s);
    const QRegularExpressionMatch match = scheme.match(text);
    if (!match.hasMatch())
        return {};
    const qsizetype rest = match.capturedEnd();
    if (!text.mid(rest).startsWith(u"//"_s) && port.match(text.mid(rest)).hasMatch())
        return {};
    return {match.captured(1).toLower(), rest};
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
    const Expected<QString> saved = savedSiteText(siteUrlString);
    if (!saved || saved->isEmpty())
        return std::nullopt;
    return QUrl(*saved, QUrl::StrictMode);
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

Expected<QString> YouTubeSearchSite::savedSiteText(const QString &draftUrl)
{
    const QString text = draftUrl.trimmed();
    if (text.isEmpty())
        return QString();
    if (text.size() > kMaxAddressLength) {
        return refusal(SiteAddressError::TooLong,
                       u"the address is longer than %1 characters."_s.arg(kMaxAddressLength));
    }
    const auto [scheme, rest] = schemeOf(text);
    if (!scheme.isEmpty() && scheme != u"http"_s && scheme != u"https"_s) {
        return refusal(SiteAddressError::Scheme,
                       u"only http and https addresses can be shown here, not %1:."_s.arg(scheme));
    }
    QString saved = scheme.isEmpty() ? u"https://"_s + text : scheme + text.mid(rest - 1);
    const QUrl url(saved, QUrl::StrictMode);
    if (!url.isValid()) {
        return refusal(SiteAddressError::Invalid,
                       u"this is not a valid web address (look for spaces or stray characters)."_s);
    }
    if (url.host().isEmpty())
        return refusal(SiteAddressError::NoHost, u"the address has no host name."_s);
    return saved;
}

} // namespace hb
