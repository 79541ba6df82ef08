#pragma once

#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace hb {

class BrowserPane;
class Settings;
class WebView;
class YouTubeSearchState;

// The tutorial browser: the search site (or the channel's videos page) in an embedded browser
// that reaches only the site's host and the video platform, with the site setting above it.
class YouTubeSearchView : public QWidget {
    Q_OBJECT

public:
    // Hands an address to the user's default browser.
    using UrlOpener = std::function<void(const QUrl &)>;

    // Without an opener, addresses go to the desktop's default browser.
    explicit YouTubeSearchView(Settings &settings, UrlOpener openUrl = {},
                               QWidget *parent = nullptr);
    ~YouTubeSearchView() override;

    // Whether this build has the embedded browser at all.
    static bool hasEmbeddedBrowser();
    // What the browser engine needs before the application object exists.
    static void prepareApplication();

    YouTubeSearchState &state() const { return *m_state; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildSettingsPanel();
    QWidget *buildBrowser();
    void showSite();
    void showStatus();

    YouTubeSearchState *m_state;
    UrlOpener m_openUrl;
    // Back, Forward, Reload; tied to the browser once it exists.
    std::array<QToolButton *, 3> m_navigationButtons{};
    QPushButton *m_siteButton = nullptr;
    QWidget *m_settingsPanel = nullptr;
    QLineEdit *m_draftField = nullptr;
    BrowserPane *m_pane = nullptr;
    WebView *m_webView = nullptr;
};

} // namespace hb
