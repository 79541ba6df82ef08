#include "browser/YouTubeSearchState.h"

#include "browser/YouTubeSearchSite.h"
#include "common/Settings.h"

namespace hb {

YouTubeSearchState::YouTubeSearchState(Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_siteUrlString(settings.youtubeSearchSiteUrl())
{
}

void YouTubeSearchState::setDraftUrl(const QString &text)
{
    if (text == m_draftUrl)
        return;
    m_draftUrl = text;
    setSaveError({});
    Q_EMIT draftUrlChanged();
}

void YouTubeSearchState::setShowSettings(bool shown)
{
    if (shown == m_showSettings)
        return;
    m_showSettings = shown;
    Q_EMIT showSettingsChanged();
}

void YouTubeSearchState::setLoading(bool loading)
{
    if (loading == m_isLoading)
        return;
    m_isLoading = loading;
    Q_EMIT loadingChanged();
}

void YouTubeSearchState::setStatus(const QString &text)
{
    if (text == m_webStatusText)
        return;
    m_webStatusText = text;
    Q_EMIT webStatusTextChanged();
}

std::optional<QUrl> YouTubeSearchState::siteURL() const
{
    return YouTubeSearchSite::siteURL(m_siteUrlString);
}

QUrl YouTubeSearchState::targetURL() const
{
    return YouTubeSearchSite::targetURL(m_siteUrlString);
}

QSet<QString> YouTubeSearchState::allowedHosts() const
{
    return YouTubeSearchSite::allowedHosts(m_siteUrlString);
}

QStringList YouTubeSearchState::allowedHostSuffixes() const
{
    return YouTubeSearchSite::allowedHostSuffixes();
}

void YouTubeSearchState::toggleSettings()
{
    setShowSettings(!m_showSettings);
}

void YouTubeSearchState::save()
{
    const Expected<QString> saved = YouTubeSearchSite::savedSiteText(m_draftUrl);
    if (!saved) {
        setSaveError(saved.error().description);
        return;
    }
    setSaveError({});
    setSiteUrlString(*saved);
}

void YouTubeSearchState::useChannelPage()
{
    setSiteUrlString({});
    setDraftUrl({});
}

void YouTubeSearchState::screenShown()
{
    if (m_draftUrl.isEmpty())
        setDraftUrl(m_siteUrlString);
}

void YouTubeSearchState::setSiteUrlString(const QString &text)
{
    if (text == m_siteUrlString)
        return;
    m_siteUrlString = text;
    m_settings.setYoutubeSearchSiteUrl(text);
    Q_EMIT siteChanged();
}

void YouTubeSearchState::setSaveError(const QString &text)
{
    if (text == m_saveError)
        return;
    m_saveError = text;
    Q_EMIT saveErrorChanged();
}

} // namespace hb
