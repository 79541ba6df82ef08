#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace hb {

class Settings;

// The tutorial browser screen's state apart from its widgets: the saved search site (kept in
// the settings), the text being edited, the settings panel, and the browser's loading flag and
// status line.
class YouTubeSearchState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString siteUrlString READ siteUrlString NOTIFY siteChanged)
    Q_PROPERTY(QString draftUrl READ draftUrl WRITE setDraftUrl NOTIFY draftUrlChanged)
    Q_PROPERTY(bool showSettings READ showSettings WRITE setShowSettings NOTIFY showSettingsChanged)
    Q_PROPERTY(bool isLoading READ isLoading WRITE setLoading NOTIFY loadingChanged)
    Q_PROPERTY(QString webStatusText READ webStatusText WRITE setStatus NOTIFY webStatusTextChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)

public:
    explicit YouTubeSearchState(Settings &settings, QObject *parent = nullptr);

    QString siteUrlString() const { return m_siteUrlString; }
    QString draftUrl() const { return m_draftUrl; }
    void setDraftUrl(const QString &text);
    bool showSettings() const { return m_showSettings; }
    void setShowSettings(bool shown);
    bool isLoading() const { return m_isLoading; }
    void setLoading(bool loading);
    QString webStatusText() const { return m_webStatusText; }
    void setStatus(const QString &text);
    // Why the last "Save" stored nothing; empty after a save that worked and once the text is
    // edited again.
    QString saveError() const { return m_saveError; }

    // Derived from the saved site, recomputed on every change.
    std::optional<QUrl> siteURL() const;
    QUrl targetURL() const;
    QSet<QString> allowedHosts() const;
    QStringList allowedHostSuffixes() const;

    // "Site" / "Done".
    void toggleSettings();
    // "Save": stores the edited text by the save rule, or keeps the saved site and says why not.
    void save();
    // "Use Channel Page": forgets the site; the text field empties too.
    void useChannelPage();
    // The screen is being shown: an empty text field starts from the saved site.
    void screenShown();

Q_SIGNALS:
    void siteChanged();
    void draftUrlChanged();
    void showSettingsChanged();
    void loadingChanged();
    void webStatusTextChanged();
    void saveErrorChanged();

private:
    void setSiteUrlString(const QString &text);
    void setSaveError(const QString &text);

    Settings &m_settings;
    QString m_siteUrlString;
    QString m_draftUrl;
    bool m_showSettings = false;
    bool m_isLoading = false;
    QString m_webStatusText;
    QString m_saveError;
};

} // namespace hb
