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
        QTest::newRow("host and port") << u"localhost:8080"_s << QUrl(u"https://localhost:8080"_s);
        QTest::newRow("stored other scheme") << u"ftp://search.example.org"_s << channel;
        QTest::newRow("stored over-long") << u"https://e.org/"_s + QString(2048, u'a') << channel;
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
        QTest::addColumn<QString>("saved"); // empty when refused
        QTest::addColumn<int>("refusal");   // a SiteAddressError, 0 when saved
        QTest::addColumn<QString>("message");

        const auto saves = [](const char *name, const QString &draft, const QString &saved) {
            QTest::newRow(name) << draft << saved << 0 << QString();
        };
        const auto refuses = [](const char *name, const QString &draft, hb::SiteAddressError code,
                                const QString &message) {
            QTest::newRow(name) << draft << QString() << int(code) << message;
        };
        using enum hb::SiteAddressError;
        saves("blank", u"  \n"_s, QString());
        saves("http", u" http://127.0.0.1:8080/x "_s, u"http://127.0.0.1:8080/x"_s);
        saves("no scheme", u"search.example.org"_s, u"https://search.example.org"_s);
        saves("scheme in upper case", u"HTTP://Search.example.org/A"_s,
              u"http://Search.example.org/A"_s);
        saves("scheme in mixed case", u"hTtPs://search.example.org"_s,
              u"https://search.example.org"_s);
        saves("host and port, no scheme", u"localhost:8080/app"_s, u"https://localhost:8080/app"_s);
        saves("ip and port, no scheme", u"127.0.0.1:9"_s, u"https://127.0.0.1:9"_s);
        saves("longest allowed", u"https://e.org/"_s + QString(2048 - 14, u'a'),
              u"https://e.org/"_s + QString(2048 - 14, u'a'));
        refuses("one character too long", u"https://e.org/"_s + QString(2048 - 13, u'a'), TooLong,
                u"Not saved: the address is longer than 2048 characters."_s);
        refuses("other scheme", u"ftp://files.example.org"_s, Scheme,
                u"Not saved: only http and https addresses can be shown here, not ftp:."_s);
        refuses("file", u"FILE:///etc/passwd"_s, Scheme,
                u"Not saved: only http and https addresses can be shown here, not file:."_s);
        refuses("scheme without slashes", u"javascript:alert(1)"_s, Scheme,
                u"Not saved: only http and https addresses can be shown here, not javascript:."_s);
        refuses("space in the host", u"http://exa mple.org"_s, Invalid,
                u"Not saved: this is not a valid web address (look for spaces or stray "
                u"characters)."_s);
        refuses("space in the host, no scheme", u"exa mple.org"_s, Invalid,
                u"Not saved: this is not a valid web address (look for spaces or stray "
                u"characters)."_s);
        refuses("empty host", u"https://"_s, NoHost, u"Not saved: the address has no host name."_s);
        refuses("port without host", u"http://:8080/app"_s, NoHost,
                u"Not saved: the address has no host name."_s);
        refuses("http without slashes", u"http:search.example.org"_s, NoHost,
                u"Not saved: the address has no host name."_s);
    }

    void save()
    {
        QFETCH(QString, draft);
        QFETCH(QString, saved);
        QFETCH(int, refusal);
        QFETCH(QString, message);
        const QString before = u"https://before.example.org"_s;
        m_settings->setYoutubeSearchSiteUrl(before);
        YouTubeSearchState state(*m_settings);
        QSignalSpy siteChanged(&state, &YouTubeSearchState::siteChanged);
        state.setDraftUrl(draft);
        state.save();
        QCOMPARE(state.saveError(), message);
        const QString stored = refusal ? before : saved;
        QCOMPARE(state.siteUrlString(), stored);
        QCOMPARE(m_settings->youtubeSearchSiteUrl(), stored);
        QCOMPARE(siteChanged.size(), refusal ? 0 : 1);
        state.save(); // the same text again changes nothing
        QCOMPARE(siteChanged.size(), refusal ? 0 : 1);

        const hb::Expected<QString> checked = YouTubeSearchSite::savedSiteText(draft);
        QCOMPARE(checked.has_value(), refusal == 0);
        if (refusal)
            QVERIFY(checked.error().is(hb::SiteAddressError(refusal)));
        // Whatever is stored is shown as it was stored.
        else if (!saved.isEmpty())
            QCOMPARE(state.targetURL(), QUrl(saved));

        // Editing the text again clears the message.
        state.setDraftUrl(draft + u"x"_s);
        QCOMPARE(state.saveError(), QString());
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
        QTest::newRow("port ignored")
            << none << QUrl(u"http://youtu.be:2121/x"_s) << Decision::Allow;
        QTest::newRow("scheme in any case")
            << none << QUrl(u"HTTPS://youtu.be/x"_s) << Decision::Allow;
        QTest::newRow("data") << none << QUrl(u"data:text/html,hi"_s) << Decision::Allow;
        QTest::newRow("blob") << none << QUrl(u"blob:https://youtu.be/12-ab"_s) << Decision::Allow;
        QTest::newRow("other scheme, allowed host")
            << none << QUrl(u"ftp://youtu.be:2121/x"_s) << Decision::BlockScheme;
        QTest::newRow("file") << none << QUrl(u"file:///etc/passwd"_s) << Decision::BlockScheme;
        QTest::newRow("mail") << none << QUrl(u"mailto:a@youtube.com"_s) << Decision::BlockScheme;
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

    void blockedStatus_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("status");

        QTest::newRow("host") << QUrl(u"https://example.net/a?b"_s)
                              << u"Blocked navigation: https://example.net/a?b"_s;
        QTest::newRow("file") << QUrl(u"file:///etc/passwd"_s)
                              << u"Blocked navigation (file: addresses are not opened here): "
                                 u"file:///etc/passwd"_s;
        QTest::newRow("ftp") << QUrl(u"FTP://youtu.be/x"_s)
                             << u"Blocked navigation (ftp: addresses are not opened here): "
                                u"ftp://youtu.be/x"_s;
    }

    void blockedStatus()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, status);
        QCOMPARE(NavigationPolicy::blockedStatus(url), status);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<hb::Settings> m_settings;
};

QTEST_GUILESS_MAIN(TestYouTubeSearchState)
#include "tst_YouTubeSearchState.moc"
