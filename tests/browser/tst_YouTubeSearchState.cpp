#include "browser/NavigationPolicy.h"
#include "browser/YouTubeSearchSite.h"
#include "browser/YouTubeSearchState.h"
#include "common/Settings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using hb::NavigationPolicy;
using hb::YouTubeSearchSite;
using hb::YouTubeSearchState;
using Decision = NavigationPolicy::Decision;

Q_DECLARE_METATYPE(NavigationPolicy::Decision)

class TestYouTubeSearchState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<hb::Settings>(m_dir->filePath(u"settings.ini"_s));
    }

    void targetURL_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QUrl>("target");

        const QUrl channel = YouTubeSearchSite::channelVideosPage();
        QTest::newRow("blank") << u" \t\n "_s << channel;
        QTest::newRow("trimmed") << u"\n http://127.0.0.1:8080/ \r\n"_s
                                 << QUrl(u"http://127.0.0.1:8080/"_s);
        QTest::newRow("without scheme")
            << u"search.example.org/app"_s << QUrl(u"https://search.example.org/app"_s);
        QTest::newRow("unparsable either way") << u"http://exa mple.org"_s << channel;
    }

    void targetURL()
    {
        QFETCH(QString, setting);
        QFETCH(QUrl, target);
        m_settings->setYoutubeSearchSiteUrl(setting);
        YouTubeSearchState state(*m_settings);
        QCOMPARE(state.targetURL(), target);
        QCOMPARE(state.siteURL().has_value(), target != YouTubeSearchSite::channelVideosPage());
    }

    void save_data()
    {
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("saved");

        QTest::newRow("blank") << u"  \n"_s << QString();
        QTest::newRow("http") << u" http://127.0.0.1:8080/x "_s << u"http://127.0.0.1:8080/x"_s;
        QTest::newRow("no scheme") << u"search.example.org"_s << u"https://search.example.org"_s;
        QTest::newRow("scheme test is case-sensitive")
            << u"HTTP://search.example.org"_s << u"https://HTTP://search.example.org"_s;
    }

    void save()
    {
        QFETCH(QString, draft);
        QFETCH(QString, saved);
        m_settings->setYoutubeSearchSiteUrl(u"https://before.example.org"_s);
        YouTubeSearchState state(*m_settings);
        QSignalSpy siteChanged(&state, &YouTubeSearchState::siteChanged);
        state.setDraftUrl(draft);
        state.save();
        QCOMPARE(state.siteUrlString(), saved);
        QCOMPARE(m_settings->youtubeSearchSiteUrl(), saved);
        QCOMPARE(siteChanged.size(), 1);
        state.save(); // the same text again changes nothing
        QCOMPARE(siteChanged.size(), 1);
    }

    void useChannelPageThenShowAgain()
    {
        m_settings->setYoutubeSearchSiteUrl(u"https://search.example.org"_s);
        YouTubeSearchState state(*m_settings);
        state.screenShown();
        QCOMPARE(state.draftUrl(), u"https://search.example.org"_s);
        state.setDraftUrl(u"half-typed"_s);
        state.screenShown(); // text being edited stays
        QCOMPARE(state.draftUrl(), u"half-typed"_s);

        state.useChannelPage();
        QCOMPARE(state.siteUrlString(), QString());
        QCOMPARE(state.targetURL(), YouTubeSearchSite::channelVideosPage());
        QCOMPARE(state.allowedHosts().contains(u"search.example.org"_s), false);
        state.screenShown();
        QCOMPARE(state.draftUrl(), QString());
    }

    void decide_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<Decision>("decision");

        const QString none; // the channel's hosts only
        QTest::newRow("no url") << none << QUrl() << Decision::Cancel;
        QTest::newRow("no host") << none << QUrl(u"about:blank"_s) << Decision::Allow;
        QTest::newRow("exact host")
            << none << QUrl(u"https://www.youtube.com/watch?v=x"_s) << Decision::Allow;
        QTest::newRow("scheme and port ignored")
            << none << QUrl(u"ftp://youtu.be:2121/x"_s) << Decision::Allow;
        QTest::newRow("upper case host")
            << none << QUrl(u"https://WWW.YouTube.COM/"_s) << Decision::Allow;
        QTest::newRow("subdomain of a suffix")
            << none << QUrl(u"https://music.youtube.com/"_s) << Decision::Allow;
        QTest::newRow("label only contains the name")
            << none << QUrl(u"https://notyoutube.com/"_s) << Decision::Block;
        QTest::newRow("allowed name inside another domain")
            << none << QUrl(u"https://youtube.com.example.net/"_s) << Decision::Block;
        QTest::newRow("suffix without its dot")
            << none << QUrl(u"https://evilytimg.com/"_s) << Decision::Block;
        QTest::newRow("other host") << none << QUrl(u"https://127.0.0.2/"_s) << Decision::Block;
        QTest::newRow("site host")
            << u"https://search.example.org/app"_s
            << QUrl(u"http://search.example.org:8080/q?x=1"_s) << Decision::Allow;
        QTest::newRow("site host, any case")
            << u"  Search.Example.ORG  "_s << QUrl(u"https://search.example.org/"_s)
            << Decision::Allow;
        QTest::newRow("site host is exact, not a suffix")
            << u"https://example.org"_s << QUrl(u"https://sub.example.org/"_s) << Decision::Block;
    }

    void decide()
    {
        QFETCH(QString, site);
        QFETCH(QUrl, url);
        QFETCH(Decision, decision);
        m_settings->setYoutubeSearchSiteUrl(site);
        YouTubeSearchState state(*m_settings);
        QCOMPARE(NavigationPolicy::decide(url, state.allowedHosts(), state.allowedHostSuffixes()),
                 decision);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<hb::Settings> m_settings;
};

QTEST_GUILESS_MAIN(TestYouTubeSearchState)
#include "tst_YouTubeSearchState.moc"
