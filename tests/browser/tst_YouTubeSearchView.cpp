// The tutorial screen with the real browser engine, on pages served from loopback addresses.
// Chromium runs without its sandbox (tests run as root) and opens no connection of its own.

#include "LoopbackWebServer.h"
#include "browser/WebView.h"
#include "browser/WebViewCoordinator.h"
#include "browser/YouTubeSearchState.h"
#include "browser/YouTubeSearchView.h"
#include "common/Settings.h"
#include "support/WebEngineTestSetup.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <csignal>

using namespace Qt::StringLiterals;
using hb::YouTubeSearchView;

namespace {

// Generous: the first start of the engine is slow on a busy machine.
constexpr int kPatience = 30000;

QString linkPage(const QString &title, const QString &links)
{
    return u"<!doctype html><title>%1</title><body>%2</body>"_s.arg(title, links);
}

} // namespace

class TestYouTubeSearchView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<hb::Settings>(m_dir->filePath(u"settings.ini"_s));
        m_site = std::make_unique<LoopbackWebServer>(QHostAddress(u"127.0.0.1"_s));
        m_elsewhere = std::make_unique<LoopbackWebServer>(QHostAddress(u"127.0.0.2"_s));
        QVERIFY(m_site->isListening() && m_elsewhere->isListening());
        m_site->setPage(u"/"_s, linkPage(u"home"_s, u"<a id=out href='%1/'>out</a> "
                                                    u"<a id=next href='/next'>next</a> "
                                                    u"<button id=full onclick='document.body."
                                                    u"requestFullscreen()'>full</button>"_s.arg(
                                                        m_elsewhere->origin())));
        m_site->setPage(u"/next"_s, linkPage(u"next"_s, u"next page"_s));
        m_elsewhere->setPage(u"/"_s, linkPage(u"elsewhere"_s, u"must not load"_s));
        m_opened.clear();
    }

    void cleanup() { m_view.reset(); }

    void blocksOtherHostsAndLoadsAllowedOnes()
    {
        openScreen(m_site->origin() + u"/"_s);
        const QString home = m_site->origin() + u"/"_s;
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
        QCOMPARE(m_view->state().isLoading(), false);

        auto *openBlocked = m_view->findChild<QPushButton *>(u"openBlockedButton"_s);
        clickWithMouse(u"out"_s);
        const QString blocked = m_elsewhere->origin() + u"/"_s;
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Blocked navigation: "_s + blocked, kPatience);
        QTRY_COMPARE(m_view->state().isLoading(), false);
        QCOMPARE(page()->url(), QUrl(home));
        QCOMPARE(m_elsewhere->pageRequests(), 0);
        QVERIFY(openBlocked->isVisible());
        openBlocked->click();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(blocked)});

        clickWithMouse(u"next"_s); // a user's click: only such pages are kept for Back
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home + u"next"_s, kPatience);
        QVERIFY(!openBlocked->isVisible());

        // An update to the page already shown loads nothing.
        const int requests = m_site->pageRequests();
        m_view->findChild<hb::WebView *>()->updateTarget(QUrl(home + u"next"_s),
                                                         m_view->state().allowedHosts(),
                                                         m_view->state().allowedHostSuffixes());
        QTest::qWait(300);
        QCOMPARE(m_site->pageRequests(), requests);
        QCOMPARE(m_view->state().isLoading(), false);

        // Back with its key, from the screen's own controls.
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        auto *openButton = m_view->findChild<QPushButton *>(u"openButton"_s);
        openButton->setFocus();
        QTest::keyClick(openButton, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
        QVERIFY(m_view->findChild<QToolButton *>(u"forwardButton"_s)->isEnabled());

        openButton->click();
        QCOMPARE(m_opened.last(), QUrl(home));

        // A video's full screen takes the engine's view out into a window of its own, and back.
        QWebEngineView *engine = m_view->findChild<hb::WebView *>()->engineView();
        clickWithMouse(u"full"_s); // full screen needs a user's click
        QTRY_VERIFY_WITH_TIMEOUT(engine->isWindow() && engine->isFullScreen(), kPatience);
        page()->triggerAction(QWebEnginePage::ExitFullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(!engine->isWindow(), kPatience);
        QCOMPARE(engine->parentWidget(), m_view->findChild<hb::WebView *>());
    }

    void savedSiteReplacesTheOldOneAndFailuresShow()
    {
        // A port on the other loopback address that was just given up: nothing listens there.
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress(u"127.0.0.2"_s), 0));
            closedPort = probe.serverPort();
        }
        openScreen(u"http://127.0.0.2:%1/"_s.arg(closedPort));
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Load failed: net::ERR_CONNECTION_REFUSED"_s,
                                  kPatience);
        QCOMPARE(m_view->state().isLoading(), false);

        // Loopback serves plain HTTP, so the address is typed with its scheme.
        m_view->findChild<QPushButton *>(u"siteButton"_s)->click();
        auto *field = m_view->findChild<QLineEdit *>(u"draftUrl"_s);
        QVERIFY(field->isVisible());
        QCOMPARE(field->text(), u"http://127.0.0.2:%1/"_s.arg(closedPort));
        field->clear();
        const QString home = m_site->origin() + u"/"_s;
        QTest::keyClicks(field, home);
        m_view->findChild<QPushButton *>(u"saveButton"_s)->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
        QCOMPARE(m_settings->youtubeSearchSiteUrl(), home);

        // The previous site's host is no longer allowed.
        page()->runJavaScript(u"location.href = '%1/'"_s.arg(m_elsewhere->origin()));
        QTRY_COMPARE_WITH_TIMEOUT(
            status(), u"Blocked navigation: "_s + m_elsewhere->origin() + u"/"_s, kPatience);
        QCOMPARE(page()->url(), QUrl(home));
        QCOMPARE(m_elsewhere->pageRequests(), 0);
        const int requests = m_site->pageRequests();

        const qint64 renderer = page()->renderProcessPid();
        QVERIFY(renderer > 0);
        ::kill(pid_t(renderer), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(
            status(), u"Web process terminated. Try Open in Browser. URL: "_s + home, kPatience);
        QCOMPARE(m_view->state().isLoading(), false);
        QTest::qWait(300);
        QCOMPARE(m_site->pageRequests(), requests); // nothing reloads by itself
    }

    void slowPageTimesOut()
    {
        // A server that takes the connection and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress(u"127.0.0.1"_s), 0));
        openScreen(u"http://127.0.0.1:%1/"_s.arg(silent.serverPort()));
        auto *webView = m_view->findChild<hb::WebView *>();
        webView->coordinator()->setLoadTimeout(std::chrono::milliseconds(500));
        QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), kPatience);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Load failed: The request timed out."_s, kPatience);
        QCOMPARE(m_view->state().isLoading(), false);
    }

private:
    void openScreen(const QString &site)
    {
        m_settings->setYoutubeSearchSiteUrl(site);
        m_view = std::make_unique<YouTubeSearchView>(
            *m_settings, [this](const QUrl &url) { m_opened.append(url); });
        m_view->resize(900, 700);
        m_view->show();
    }
    QString status() const { return m_view->state().webStatusText(); }

    void clickWithMouse(const QString &id)
    {
        QPoint centre(-1, -1);
        page()->runJavaScript(
            u"(function(){ const r = document.getElementById('%1').getBoundingClientRect();"
            u" return [r.x + r.width / 2, r.y + r.height / 2]; })()"_s.arg(id),
            [&centre](const QVariant &result) {
                const QVariantList xy = result.toList();
                centre = QPoint(qRound(xy.value(0).toDouble()), qRound(xy.value(1).toDouble()));
            });
        QTRY_VERIFY_WITH_TIMEOUT(centre.x() >= 0, kPatience);
        QWidget *content = m_view->findChild<hb::WebView *>()->engineView()->focusProxy();
        QVERIFY(content);
        QTest::mouseClick(content, Qt::LeftButton, {}, centre);
    }
    QWebEnginePage *page() const { return m_view->findChild<hb::WebView *>()->page(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<hb::Settings> m_settings;
    std::unique_ptr<LoopbackWebServer> m_site;
    std::unique_ptr<LoopbackWebServer> m_elsewhere;
    std::unique_ptr<YouTubeSearchView> m_view;
    QList<QUrl> m_opened;
};

int main(int argc, char *argv[])
{
    hb::prepareWebEngineForTests();
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    TestYouTubeSearchView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_YouTubeSearchView.moc"
