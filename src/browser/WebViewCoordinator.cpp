#include "browser/WebViewCoordinator.h"

#include "browser/NavigationPolicy.h"

#include <QWebEngineLoadingInfo>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

// The engine's code for a load that was cancelled, by the policy or by Stop.
constexpr int kAborted = -3;

} // namespace

WebView::Coordinator::Coordinator(QWebEngineProfile *profile, Bindings bindings, QObject *parent)
    : QWebEnginePage(profile, parent), m_bindings(std::move(bindings))
{
    m_loadTimer.setSingleShot(true);
    m_loadTimer.setInterval(kLoadTimeout);
    connect(&m_loadTimer, &QTimer::timeout, this, [this] { timeOut(); });
    connect(this, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) { reportLoading(info); });
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this] { reportTermination(); });
}

void WebView::Coordinator::setAllowedHosts(const QSet<QString> &hosts,
                                           const QStringList &hostSuffixes)
{
    m_allowedHosts = hosts;
    m_allowedHostSuffixes = hostSuffixes;
}

bool WebView::Coordinator::acceptNavigationRequest(const QUrl &url, NavigationType,
                                                   bool isMainFrame)
{
    switch (NavigationPolicy::decide(url, m_allowedHosts, m_allowedHostSuffixes)) {
    case NavigationPolicy::Decision::Allow:
        return true;
    case NavigationPolicy::Decision::Cancel:
        return false;
    case NavigationPolicy::Decision::Block:
        if (isMainFrame)
            m_refusedUrl = url;
        m_bindings.setStatus(NavigationPolicy::blockedStatus(url));
        if (m_bindings.navigationBlocked)
            m_bindings.navigationBlocked(url);
        return false;
    }
    return false;
}

QWebEnginePage *WebView::Coordinator::createWindow(WebWindowType)
{
    return this;
}

void WebView::Coordinator::reportLoading(const QWebEngineLoadingInfo &info)
{
    if (!m_refusedUrl.isEmpty() && info.url() == m_refusedUrl) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            m_refusedUrl.clear();
        return;
    }
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus: {
        m_refusedUrl.clear();
        m_loadTimer.start();
        m_bindings.setLoading(true);
        const QUrl shown = info.url().isEmpty() ? url() : info.url();
        m_bindings.setStatus(shown.isEmpty() ? u"Loading…"_s : u"Loading: "_s + shown.toString());
        return;
    }
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_loadTimer.stop();
        m_bindings.setLoading(false);
        m_bindings.setStatus(url().isEmpty() ? u"Loaded"_s : u"Loaded: "_s + url().toString());
        return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        m_loadTimer.stop();
        m_bindings.setLoading(false);
        // A refused or stopped load has already said why.
        if (info.errorCode() != kAborted)
            m_bindings.setStatus(u"Load failed: "_s + info.errorString());
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        m_loadTimer.stop();
        m_bindings.setLoading(false);
        return;
    }
}

void WebView::Coordinator::reportTermination()
{
    // Nothing reloads by itself: the user decides what to do next.
    m_loadTimer.stop();
    m_bindings.setLoading(false);
    const QString prefix = u"Web process terminated. Try Open in Browser."_s;
    m_bindings.setStatus(url().isEmpty() ? prefix : prefix + u" URL: "_s + url().toString());
}

void WebView::Coordinator::timeOut()
{
    triggerAction(QWebEnginePage::Stop);
    m_bindings.setLoading(false);
    m_bindings.setStatus(u"Load failed: The request timed out."_s);
}

} // namespace hb
