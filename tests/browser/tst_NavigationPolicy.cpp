#include "browser/NavigationPolicy.h"
#include "browser/YouTubeSearchSite.h"

#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using hb::NavigationPolicy;
using Decision = NavigationPolicy::Decision;

Q_DECLARE_METATYPE(NavigationPolicy::Decision)

class tst_NavigationPolicy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decide_data();
    void decide();
    void siteHostFollowsTheSetting();
    void blockedStatus();
};

void tst_NavigationPolicy::decide_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<Decision>("decision");

    const QString none;
    QTest::newRow("no url") << none << QUrl() << Decision::Cancel;
    QTest::newRow("no host") << none << QUrl(u"about:blank"_s) << Decision::Allow;
    QTest::newRow("empty host") << none << QUrl(u"file:///tmp/page.html"_s) << Decision::Allow;
    QTest::newRow("data") << none << QUrl(u"data:text/html,hi"_s) << Decision::Allow;
    QTest::newRow("exact host") << none << QUrl(u"https://www.youtube.com/watch?v=x"_s)
                                << Decision::Allow;
    QTest::newRow("bare domain") << none << QUrl(u"https://youtube.com/"_s) << Decision::Allow;
    QTest::newRow("sign-in host") << none << QUrl(u"https://accounts.google.com/x"_s)
                                  << Decision::Allow;
    QTest::newRow("scheme and port ignored") << none << QUrl(u"ftp://youtu.be:2121/x"_s)
                                             << Decision::Allow;
    QTest::newRow("upper case host") << none << QUrl(u"https://WWW.YouTube.COM/"_s)
                                     << Decision::Allow;
    QTest::newRow("subdomain of a suffix") << none << QUrl(u"https://music.youtube.com/"_s)
                                           << Decision::Allow;
    QTest::newRow("deep subdomain") << none << QUrl(u"https://a.b.fonts.gstatic.com/x.woff"_s)
                                    << Decision::Allow;
    QTest::newRow("label only contains the name")
        << none << QUrl(u"https://notyoutube.com/"_s) << Decision::Block;
    QTest::newRow("allowed name inside another domain")
        << none << QUrl(u"https://youtube.com.example.net/"_s) << Decision::Block;
    QTest::newRow("suffix without its dot") << none << QUrl(u"https://evilytimg.com/"_s)
                                            << Decision::Block;
    QTest::newRow("other host") << none << QUrl(u"https://127.0.0.2/"_s) << Decision::Block;
    QTest::newRow("site host") << u"https://search.example.org/app"_s
                               << QUrl(u"http://search.example.org:8080/q?x=1"_s)
                               << Decision::Allow;
    QTest::newRow("site host, any case") << u"  Search.Example.ORG  "_s
                                         << QUrl(u"https://search.example.org/"_s)
                                         << Decision::Allow;
    QTest::newRow("site host is exact, not a suffix")
        << u"https://example.org"_s << QUrl(u"https://sub.example.org/"_s) << Decision::Block;
    QTest::newRow("loopback site") << u"http://127.0.0.1:8080/"_s
                                   << QUrl(u"http://127.0.0.1:9999/other"_s) << Decision::Allow;
}

void tst_NavigationPolicy::decide()
{
    QFETCH(QString, site);
    QFETCH(QUrl, url);
    QFETCH(Decision, decision);
    QCOMPARE(NavigationPolicy::decide(url, hb::YouTubeSearchSite::allowedHosts(site),
                                      hb::YouTubeSearchSite::allowedHostSuffixes()),
             decision);
}

void tst_NavigationPolicy::siteHostFollowsTheSetting()
{
    const QUrl old(u"https://old.example.org/"_s);
    const QUrl fresh(u"https://new.example.org/"_s);
    const QStringList suffixes = hb::YouTubeSearchSite::allowedHostSuffixes();
    auto hosts = hb::YouTubeSearchSite::allowedHosts(u"https://old.example.org"_s);
    QCOMPARE(NavigationPolicy::decide(old, hosts, suffixes), Decision::Allow);
    QCOMPARE(NavigationPolicy::decide(fresh, hosts, suffixes), Decision::Block);
    hosts = hb::YouTubeSearchSite::allowedHosts(u"https://new.example.org"_s);
    QCOMPARE(NavigationPolicy::decide(old, hosts, suffixes), Decision::Block);
    QCOMPARE(NavigationPolicy::decide(fresh, hosts, suffixes), Decision::Allow);
    QCOMPARE(hosts.size(), 11);
    QCOMPARE(hb::YouTubeSearchSite::allowedHosts({}).size(), 10);
    QCOMPARE(suffixes.size(), 7);
}

void tst_NavigationPolicy::blockedStatus()
{
    QCOMPARE(NavigationPolicy::blockedStatus(QUrl(u"http://127.0.0.2:81/a?b=c#d"_s)),
             u"Blocked navigation: http://127.0.0.2:81/a?b=c#d"_s);
}

QTEST_GUILESS_MAIN(tst_NavigationPolicy)
#include "tst_NavigationPolicy.moc"
