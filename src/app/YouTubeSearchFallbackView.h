#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;

namespace hb {

class Settings;
class YouTubeSearchState;

// The tutorial browser's screen when its embedded browser cannot be used (not built, not
// installed, or its plugin failed to load): the page it would show, "Open" to show it in the
// default browser, and why the embedded browser is missing.
class YouTubeSearchFallbackView : public QWidget {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl &)>;

    // `reason` is the loader's explanation; without an opener, addresses go to the desktop's
    // default browser.
    YouTubeSearchFallbackView(Settings &settings, const QString &reason, UrlOpener openUrl = {},
                              QWidget *parent = nullptr);

    // The screen's main message.
    static QString notInstalledText();

private:
    void showSite();

    YouTubeSearchState *m_state;
    UrlOpener m_openUrl;
    QLabel *m_address;
};

} // namespace hb
