#pragma once

#include <QSet>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace hb {

// The embedded browser of the tutorial screen. Every navigation, in every frame, goes through
// its Coordinator, which lets only the allowed hosts through and reports loading and failures
// to the screen through the bindings.
class WebView : public QWidget {
    Q_OBJECT

public:
    class Coordinator;

    struct Bindings {
        std::function<void(bool)> setLoading;
        std::function<void(const QString &)> setStatus;
        // A navigation was refused; the status already says so.
        std::function<void(const QUrl &)> navigationBlocked;
    };

    explicit WebView(Bindings bindings, QWidget *parent = nullptr);
    ~WebView() override;

    // Hands the current lists to the Coordinator, then loads `url` unless it is already shown,
    // so in-page navigation is not undone by later updates.
    void updateTarget(const QUrl &url, const QSet<QString> &allowedHosts,
                      const QStringList &allowedHostSuffixes);

    QWebEnginePage *page() const;
    Coordinator *coordinator() const { return m_coordinator; }
    QWebEngineView *engineView() const { return m_view; }

private:
    // A video asking for the whole screen gets it; the view returns here when it is done.
    void showFullScreen(bool on);

    // Owned here, to be torn down in order: the view lets go of the page, then the page goes,
    // then its profile.
    QWebEngineProfile *m_profile;
    Coordinator *m_coordinator;
    QWebEngineView *m_view;
};

} // namespace hb
