#include "browser/YouTubeSearchSite.h"
#include "browser/YouTubeSearchState.h"
#include "common/Settings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using hb::YouTubeSearchSite;
using hb::YouTubeSearchState;

class tst_YouTubeSearchState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void targetURL_data();
    void targetURL();
    void save_data();
    void save();
    void useChannelPageThenShowAgain();
    void siteSurvivesARestart();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<hb::Settings> m_settings;
};

void tst_YouTubeSearchState::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<hb::Settings>(m_dir->filePath(u"settings.ini"_s));
}

void tst_YouTubeSearchState::targetURL_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QUrl>("target");

    const QUrl channel = YouTubeSearchSite::channelVideosPage();
    QTest::newRow("empty") << QString() << channel;
    QTest::newRow("blank") << u" \t\n "_s << channel;
    QTest::newRow("with scheme") << u"https://search.example.org/app"_s
                                 << QUrl(u"https://search.example.org/app"_s);
    QTest::newRow("trimmed") << u"\n http://127.0.0.1:8080/ \r\n"_s
                             << QUrl(u"http://127.0.0.1:8080/"_s);
    QTest::newRow("without scheme") << u"search.example.org/app"_s
                                    << QUrl(u"https://search.example.org/app"_s);
    QTest::newRow("unparsable either way") << u"http://exa mple.org"_s << channel;
}

void tst_YouTubeSearchState::targetURL()
{
    QFETCH(QString, setting);
    QFETCH(QUrl, target);
    m_settings->setYoutubeSearchSiteUrl(setting);
    YouTubeSearchState state(*m_settings);
    QCOMPARE(state.targetURL(), target);
    QCOMPARE(state.siteURL().has_value(), target != YouTubeSearchSite::channelVideosPage());
}

void tst_YouTubeSearchState::save_data()
{
    QTest::addColumn<QString>("draft");
    QTest::addColumn<QString>("saved");

    QTest::newRow("blank") << u"  \n"_s << QString();
    QTest::newRow("https") << u"https://search.example.org"_s << u"https://search.example.org"_s;
    QTest::newRow("http") << u" http://127.0.0.1:8080/x "_s << u"http://127.0.0.1:8080/x"_s;
    QTest::newRow("no scheme") << u"search.example.org"_s << u"https://search.example.org"_s;
    QTest::newRow("scheme test is case-sensitive")
        << u"HTTP://search.example.org"_s << u"https://HTTP://search.example.org"_s;
    QTest::newRow("another scheme") << u"ftp://files.example.org"_s
                                    << u"https://ftp://files.example.org"_s;
}

void tst_YouTubeSearchState::save()
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

void tst_YouTubeSearchState::useChannelPageThenShowAgain()
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

void tst_YouTubeSearchState::siteSurvivesARestart()
{
    {
        YouTubeSearchState state(*m_settings);
        state.setDraftUrl(u"search.example.org"_s);
        state.save();
    }
    hb::Settings reopened(m_settings->fileName());
    YouTubeSearchState state(reopened);
    QCOMPARE(state.targetURL(), QUrl(u"https://search.example.org"_s));
    QVERIFY(state.allowedHosts().contains(u"search.example.org"_s));
}

QTEST_GUILESS_MAIN(tst_YouTubeSearchState)
#include "tst_YouTubeSearchState.moc"
