#pragma once

#include "browser/WebView.h"

#include <QTimer>
#include <QWebEnginePage>

#include <chrono>

class QWebEngineLoadingInfo;

namespace hb {

// The browser's navigation delegate: vets every navigation against the allowed hosts and turns
// the engine's loading events into the loading flag and the status line.
class WebView::Coordinator : public QWebEnginePage {
public:
    // How long a page may take to load before it is stopped and reported as failed.
    static constexpr std::chrono::seconds kLoadTimeout{60};

    Coordinator(QWebEngineProfile *profile, Bindings bindings, QObject *parent = nullptr);

    void setAllowedHosts(const QSet<QString> &hosts, const QStringList &hostSuffixes);
    // For tests: a shorter wait than kLoadTimeout.
    void setLoadTimeout(std::chrono::milliseconds timeout) { m_loadTimer.setInterval(timeout); }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceId) override;

private:
    // Allows the navigation or reports why not.
    bool vet(const QUrl &url);
    // Links and scripts that ask for a new window open in this page, under the same policy.
    void openHere(const QUrl &url);
    void reportLoading(const QWebEngineLoadingInfo &info);
    void reportTermination();
    void timeOut();

    Bindings m_bindings;
    QSet<QString> m_allowedHosts;
    QStringList m_allowedHostSuffixes;
    QTimer m_loadTimer;
    // The engine still starts and then aborts a load it was told to refuse; those events are
    // not the user's business, the refusal already said what happened.
    QUrl m_refusedUrl;
    // The address of the last load reported as started.
    QUrl m_loadingUrl;
};

} // namespace hb
