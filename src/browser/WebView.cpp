#include "browser/WebView.h"

#include "browser/WebViewCoordinator.h"

#include <QVBoxLayout>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace hb {

WebView::WebView(Bindings bindings, QWidget *parent)
    : QWidget(parent),
      // Its own lasting profile: a sign-in or a consent given here is kept between openings.
      m_profile(new QWebEngineProfile(u"tutorial-browser"_s)),
      m_coordinator(new Coordinator(m_profile, std::move(bindings))),
      m_view(new QWebEngineView(this))
{
    m_view->setPage(m_coordinator);
    m_view->setAccessibleName(u"Web page"_s);
    setFocusProxy(m_view);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_coordinator->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    connect(m_coordinator, &QWebEnginePage::fullScreenRequested, this,
            [this](QWebEngineFullScreenRequest request) {
                request.accept();
                showFullScreen(request.toggleOn());
            });
}

WebView::~WebView()
{
    // Nothing is reported while the browser goes.
    m_coordinator->disconnect();
    delete m_view;
    delete m_coordinator;
    delete m_profile;
}

void WebView::showFullScreen(bool on)
{
    if (on == m_view->isWindow())
        return;
    if (on) {
        m_view->setParent(nullptr);
        m_view->showFullScreen();
        return;
    }
    layout()->addWidget(m_view);
    m_view->show();
}

QWebEnginePage *WebView::page() const
{
    return m_coordinator;
}

void WebView::updateTarget(const QUrl &url, const QSet<QString> &allowedHosts,
                           const QStringList &allowedHostSuffixes)
{
    m_coordinator->setAllowedHosts(allowedHosts, allowedHostSuffixes);
    if (m_coordinator->url() == url)
        return;
    m_coordinator->load(url);
}

} // namespace hb
