// The tutorial screen with the real browser engine, on pages served from loopback addresses.
// Chromium runs without its sandbox (tests run as root) and opens no connection of its own.

#include "LoopbackWebServer.h"
#include "browser/LoadingIndicator.h"
#include "browser/WebView.h"
#include "browser/WebViewCoordinator.h"
#include "browser/YouTubeSearchState.h"
#include "browser/YouTubeSearchView.h"
#include "common/Settings.h"
#include "support/WebEngineTestSetup.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>
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

// Relative luminance of an sRGB colour, 0 for black to 1 for white.
double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(double lighter, double darker)
{
    return (lighter + 0.05) / (darker + 0.05);
}

// Counts the paint events of every widget while it lives.
class PaintCounter : public QObject {
public:
    PaintCounter() { QApplication::instance()->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

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
        const QString out = m_elsewhere->origin() + u"/"_s;
        m_site->setPage(u"/"_s,
                        linkPage(u"home"_s, u"<a id=out href='%1'>out</a> "
                                            u"<a id=next href='/next'>next</a> "
                                            u"<a id=newNext target=_blank href='/next'>"
                                            u"new next</a> "
                                            u"<button id=full onclick='document.body."
                                            u"requestFullscreen()'>full</button>"_s.arg(out)));
        m_site->setPage(u"/next"_s,
                        linkPage(u"next"_s, u"next page <a id=newOut target=_blank href='%1'>"
                                            u"new out</a>"_s.arg(out)));
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

    void newWindowLinksOpenInTheViewUnderThePolicy()
    {
        const QString home = m_site->origin() + u"/"_s;
        openScreen(home);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
        auto *back = m_view->findChild<QToolButton *>(u"backButton"_s);
        QVERIFY(!back->isEnabled());
        const QList<QWidget *> windows = QApplication::topLevelWidgets();

        // Allowed: shown here, with the page that had the link one step back.
        clickWithMouse(u"newNext"_s);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home + u"next"_s, kPatience);
        QCOMPARE(page()->url(), QUrl(home + u"next"_s));
        QTRY_VERIFY(back->isEnabled());
        QCOMPARE(page()->history()->count(), 2);

        // Refused: said so, with the way out; the page and its history stay.
        clickWithMouse(u"newOut"_s);
        const QString blocked = m_elsewhere->origin() + u"/"_s;
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Blocked navigation: "_s + blocked, kPatience);
        auto *openBlocked = m_view->findChild<QPushButton *>(u"openBlockedButton"_s);
        QVERIFY(openBlocked->isVisible());
        QTest::qWait(300);
        QCOMPARE(status(), u"Blocked navigation: "_s + blocked);
        QCOMPARE(m_elsewhere->pageRequests(), 0);
        QCOMPARE(page()->url(), QUrl(home + u"next"_s));
        QCOMPARE(bodyText(), u"next page new out"_s);
        QCOMPARE(page()->history()->count(), 2);
        QVERIFY(back->isEnabled());
        QCOMPARE(QApplication::topLevelWidgets(), windows);
        openBlocked->click();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(blocked)});

        back->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
    }

    void refusedSchemesSayWhy_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("shown");

        QTest::newRow("file") << u"file:///etc/hostname"_s << u"file:///etc/hostname"_s;
        QTest::newRow("ftp, upper case") << u"FTP://127.0.0.1:9/x"_s << u"ftp://127.0.0.1:9/x"_s;
        QTest::newRow("new window, file")
            << u"file:///etc/hostname' target='_blank"_s << u"file:///etc/hostname"_s;
    }

    void refusedSchemesSayWhy()
    {
        QFETCH(QString, href);
        QFETCH(QString, shown);
        const QString home = m_site->origin() + u"/"_s;
        m_site->setPage(u"/"_s, linkPage(u"home"_s, u"<a id=link href='%1'>link</a>"_s.arg(href)));
        openScreen(home);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
        clickWithMouse(u"link"_s);
        const QString scheme = shown.left(shown.indexOf(u':'));
        QTRY_COMPARE_WITH_TIMEOUT(
            status(),
            u"Blocked navigation (%1: addresses are not opened here): "_s.arg(scheme) + shown,
            kPatience);
        QVERIFY(!m_view->findChild<QPushButton *>(u"openBlockedButton"_s)->isVisible());
        QTest::qWait(300);
        QCOMPARE(page()->url(), QUrl(home));
        QCOMPARE(bodyText(), u"link"_s);
        QCOMPARE(m_view->state().isLoading(), false);
    }

    void httpErrorsShowTheirStatus_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("answer"); // empty: a path the server does not know
        QTest::addColumn<QString>("status");

        QTest::newRow("not found") << u"/missing"_s << QByteArray() << u"Error 404: Not Found"_s;
        QTest::newRow("forbidden")
            << u"/private"_s << QByteArray("403 Forbidden") << u"Error 403: Forbidden"_s;
        QTest::newRow("server error") << u"/broken"_s << QByteArray("500 Internal Server Error")
                                      << u"Error 500: Internal Server Error"_s;
        QTest::newRow("unusual code")
            << u"/busy"_s << QByteArray("599 Whatever") << u"Error 599: Server Error"_s;
    }

    void httpErrorsShowTheirStatus()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, answer);
        QFETCH(QString, status);
        if (!answer.isEmpty())
            m_site->setPage(path, linkPage(u"error"_s, u"the server's own error page"_s), answer);
        const QString url = m_site->origin() + path;
        openScreen(url);
        QTRY_COMPARE_WITH_TIMEOUT(this->status(), status + u". URL: "_s + url, kPatience);
        QCOMPARE(m_view->state().isLoading(), false);
        QTest::qWait(300); // and it stays
        QCOMPARE(this->status(), status + u". URL: "_s + url);
    }

    void refusedSiteTextKeepsThePage()
    {
        const QString home = m_site->origin() + u"/"_s;
        openScreen(home);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home, kPatience);
        const int requests = m_site->pageRequests();
        m_view->findChild<QPushButton *>(u"siteButton"_s)->click();
        auto *field = m_view->findChild<QLineEdit *>(u"draftUrl"_s);
        auto *message = m_view->findChild<QLabel *>(u"saveError"_s);
        QVERIFY(!message->isVisible());
        field->clear();
        QTest::keyClicks(field, u"HTTP://exa mple.org"_s);
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(message->isVisible());
        QVERIFY(message->text().startsWith(u"Not saved: "_s));
        QCOMPARE(m_settings->youtubeSearchSiteUrl(), home);
        QTest::qWait(300);
        QCOMPARE(status(), u"Loaded: "_s + home);
        QCOMPARE(m_site->pageRequests(), requests);

        // Mended, it is saved as typed apart from the scheme's case, and shown.
        QTest::keyClick(field, Qt::Key_Home);
        QTest::keyClicks(field, u"h"_s); // any edit clears the message
        QVERIFY(!message->isVisible());
        field->clear();
        QTest::keyClicks(field, u"HTTP://"_s + home.mid(7) + u"next"_s);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(m_settings->youtubeSearchSiteUrl(), home + u"next"_s);
        QTRY_COMPARE_WITH_TIMEOUT(status(), u"Loaded: "_s + home + u"next"_s, kPatience);
    }

    void loadingIndicatorStandsOutCheaply()
    {
        // A server that takes the connection and never answers: the page stays blank and white.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress(u"127.0.0.1"_s), 0));
        openScreen(u"http://127.0.0.1:%1/"_s.arg(silent.serverPort()));
        auto *indicator = m_view->findChild<hb::LoadingIndicator *>();
        QTRY_VERIFY_WITH_TIMEOUT(indicator->isRunning() && indicator->spinner() &&
                                     indicator->spinner()->isExposed(),
                                 kPatience);
        QVERIFY(indicator->frameInterval() >= std::chrono::milliseconds(30));
        QTest::qWait(300);

        // Seen on the screen as the user sees it: a dark plate on the white page, a light arc on
        // the plate.
        const int margin = 12;
        const QRect area(indicator->mapToGlobal(QPoint()), indicator->size());
        const auto grab = [&] {
            return m_view->screen()
                ->grabWindow(0, area.x() - margin, area.y() - margin, area.width() + 2 * margin,
                             area.height() + 2 * margin)
                .toImage();
        };
        const QImage shot = grab();
        const double page = luminance(shot.pixel(2, 2));
        const double plate = luminance(shot.pixel(margin + 4, margin + area.height() / 2));
        double arc = 0;
        for (int y = margin; y < margin + area.height(); ++y) {
            for (int x = margin; x < margin + area.width(); ++x)
                arc = std::max(arc, luminance(shot.pixel(x, y)));
        }
        QVERIFY2(page > 0.9, qPrintable(QString::number(page)));
        QVERIFY2(contrast(page, plate) >= 7, qPrintable(QString::number(contrast(page, plate))));
        QVERIFY2(contrast(arc, plate) >= 4.5, qPrintable(QString::number(contrast(arc, plate))));

        // It turns, and no widget repaints for it.
        QImage later;
        {
            PaintCounter paints;
            QTest::qWait(500);
            later = grab();
            QCOMPARE(paints.count, 0);
        }
        QVERIFY(later != shot);

        m_view->state().setLoading(false);
        QVERIFY(!indicator->isRunning());
        QVERIFY(!indicator->spinner()->isVisible());
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
    QString bodyText() const
    {
        QString text = u"(no answer)"_s;
        page()->runJavaScript(u"document.body ? document.body.innerText : ''"_s,
                              [&text](const QVariant &result) { text = result.toString(); });
        if (!QTest::qWaitFor([&text] { return text != u"(no answer)"_s; }, kPatience))
            return text;
        return text.simplified();
    }

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
