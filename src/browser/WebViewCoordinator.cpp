#include "browser/WebViewCoordinator.h"

#include "browser/NavigationPolicy.h"

#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

// The engine's code for a load that was cancelled, by the policy or by Stop.
constexpr int kAborted = -3;

// The reason phrases of the HTTP errors a site is likely to answer with.
QString reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return u"Bad Request"_s;
    case 401:
        return u"Unauthorized"_s;
    case 403:
        return u"Forbidden"_s;
    case 404:
        return u"Not Found"_s;
    case 405:
        return u"Method Not Allowed"_s;
    case 408:
        return u"Request Timeout"_s;
    case 410:
        return u"Gone"_s;
    case 429:
        return u"Too Many Requests"_s;
    case 500:
        return u"Internal Server Error"_s;
    case 501:
        return u"Not Implemented"_s;
    case 502:
        return u"Bad Gateway"_s;
    case 503:
        return u"Service Unavailable"_s;
    case 504:
        return u"Gateway Timeout"_s;
    default:
        return status < 500 ? u"Client Error"_s : u"Server Error"_s;
    }
}

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
    connect(
        this, &QWebEnginePage::newWindowRequested, this,
        [this](const QWebEngineNewWindowRequest &request) { openHere(request.requestedUrl()); });
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
    const bool allowed = vet(url);
    if (!allowed && isMainFrame)
        m_refusedUrl = url;
    return allowed;
}

bool WebView::Coordinator::vet(const QUrl &url)
{
    switch (NavigationPolicy::decide(url, m_allowedHosts, m_allowedHostSuffixes)) {
    case NavigationPolicy::Decision::Allow:
        return true;
    case NavigationPolicy::Decision::Cancel:
        return false;
    case NavigationPolicy::Decision::Block:
        m_bindings.setStatus(NavigationPolicy::blockedStatus(url));
        if (m_bindings.navigationBlocked)
            m_bindings.navigationBlocked(url);
        return false;
    case NavigationPolicy::Decision::BlockScheme:
        // Not a web page: nothing for "Open in Browser" to hand on.
        m_bindings.setStatus(NavigationPolicy::blockedStatus(url));
        return false;
    }
    return false;
}

QWebEnginePage *WebView::Coordinator::createWindow(WebWindowType)
{
    // Handled by openHere() before the engine asks for a page; nothing opens a window.
    return nullptr;
}

void WebView::Coordinator::openHere(const QUrl &url)
{
    // The new page would have started without history; loaded here it keeps the way back. A
    // refusal leaves the page and its history alone, as for any other link.
    if (vet(url))
        load(url);
}

void WebView::Coordinator::reportLoading(const QWebEngineLoadingInfo &info)
{
    if (!m_refusedUrl.isEmpty() && info.url() == m_refusedUrl) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        m_refusedUrl.clear();
        // Some schemes are reported as started before they are put to the policy.
        if (info.url() == m_loadingUrl) {
            m_loadTimer.stop();
            m_bindings.setLoading(false);
        }
        return;
    }
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus: {
        m_refusedUrl.clear();
        m_loadingUrl = info.url();
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
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
            m_bindings.setStatus(
                u"Error %1: %2. URL: "_s.arg(info.errorCode()).arg(reasonPhrase(info.errorCode())) +
                info.url().toString());
            return;
        }
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

void WebView::Coordinator::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                                    const QString &message, int lineNumber,
                                                    const QString &sourceId)
{
    // The engine refuses links to local files inside the page, before any navigation is put to
    // the policy; its console is the only place that tells.
    static const QString localRefusal = u"Not allowed to load local resource: "_s;
    if (level == ErrorMessageLevel && message.startsWith(localRefusal))
        m_bindings.setStatus(
            NavigationPolicy::blockedStatus(QUrl(message.mid(localRefusal.size()))));
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
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
