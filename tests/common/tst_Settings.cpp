#include "common/Settings.h"
#include "common/SettingsNotifier.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <unistd.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// Root may write anywhere, whatever the modes say. While one of these lives, the process has the
// rights of the user "nobody"; the saved user id stays root, so the destructor takes root back.
class WithoutRoot {
public:
    WithoutRoot() : m_wasRoot(geteuid() == 0)
    {
        if (m_wasRoot && setresuid(65534, 65534, 0) != 0)
            qFatal("cannot take the rights of nobody");
    }
    ~WithoutRoot()
    {
        if (m_wasRoot && setresuid(0, 0, 0) != 0)
            qFatal("cannot take root back");
    }
    WithoutRoot(const WithoutRoot &) = delete;
    WithoutRoot &operator=(const WithoutRoot &) = delete;

private:
    bool m_wasRoot;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void valuesPassThroughUnchanged_data();
    void valuesPassThroughUnchanged();
    void bytesAndIntegersPersist();
    void failedWritesAreReported_data();
    void failedWritesAreReported();

private:
    QTemporaryDir m_dir;
};

void TestSettings::valuesPassThroughUnchanged_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("address with query and fragment") << u"https://search.example/r?q=a&b=c#top"_s;
    QTest::newRow("commas, which INI would split") << u"a, b, c"_s;
    QTest::newRow("leading at sign") << u"@ByteArray(x)"_s;
    QTest::newRow("blanks, quotes, line break") << u"  say \"hi\" \\\n there "_s;
}

void TestSettings::valuesPassThroughUnchanged()
{
    QFETCH(QString, value);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".ini"_s);
    QCOMPARE(Settings(path).youtubeSearchSiteUrl(), QString()); // the default is empty text
    Settings(path).setYoutubeSearchSiteUrl(value);
    // A second instance reads the file afresh: the value was on disk when the call returned.
    QCOMPARE(Settings(path).youtubeSearchSiteUrl(), value);
}

void TestSettings::bytesAndIntegersPersist()
{
    const QString path = m_dir.filePath(u"typed.ini"_s);
    const QByteArray json = QByteArrayLiteral("[{\"host\":\"studio\",\"port\":58432}]\0tail");
    QSignalSpy failures(&Settings::notifier(), &SettingsNotifier::writeFailed);
    {
        Settings settings(path);
        QCOMPARE(settings.integer(SettingsKey::dadavezaruzLastHostPort), std::nullopt);
        settings.setBytes(SettingsKey::dadavezaruzSavedHosts, json);
        settings.setInteger(SettingsKey::dadavezaruzLastHostPort, 58432);
        settings.setText(SettingsKey::dadavezaruzLastHost, u"studio.local"_s);
        settings.remove(SettingsKey::dadavezaruzLastHost);
        QCOMPARE(settings.writeError(), QString());
    }
    Settings reread(path);
    QCOMPARE(reread.bytes(SettingsKey::dadavezaruzSavedHosts), json);
    QCOMPARE(reread.integer(SettingsKey::dadavezaruzLastHostPort), std::optional<qint64>(58432));
    QVERIFY(!reread.contains(SettingsKey::dadavezaruzLastHost));
    QCOMPARE(failures.size(), 0);
}

void TestSettings::failedWritesAreReported_data()
{
    QTest::addColumn<bool>("fileInTheWay"); // a file where the folder should be; else read-only
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only folder") << false << u"the folder is read-only"_s;
    QTest::newRow("file in place of the folder") << true << u"its folder cannot be created"_s;
}

// Each change that cannot be written is reported with the file and the reason, and stays
// readable until the object goes; once the folder can be written again, the next change saves
// everything and the report is cleared.
void TestSettings::failedWritesAreReported()
{
    QFETCH(bool, fileInTheWay);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    // Everyone may look into the folders; the process keeps root's group when it drops root.
    const auto readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir.path(), readable | QFile::WriteOwner));
    const QString folder = dir.filePath(u"Huebench"_s);
    if (fileInTheWay) {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, readable));
    }
    const QString path = folder + u"/Huebench.ini"_s;
    QSignalSpy failures(&Settings::notifier(), &SettingsNotifier::writeFailed);
    {
        std::optional<WithoutRoot> rights(std::in_place);
        Settings settings(path);
        settings.setInteger(SettingsKey::gamesColorInvadersBestScore, 1200);
        settings.setText(SettingsKey::youtubeSearchSiteUrl, u"https://search.example"_s);
        QCOMPARE(settings.integer(SettingsKey::gamesColorInvadersBestScore), 1200);
        const QString expected = u"Settings could not be saved to %1: %2. Changes will be lost "
                                 "when Huebench quits."_s.arg(path, reason);
        QCOMPARE(settings.writeError(), expected);
        QCOMPARE(failures.size(), 2);
        QCOMPARE(failures.at(0).at(0).toString(), expected);

        if (fileInTheWay)
            return;
        rights.reset(); // the folder is root's: let everyone write there now
        QVERIFY(QFile::setPermissions(folder, readable | QFile::WriteOwner | QFile::WriteGroup |
                                                  QFile::WriteOther));
        rights.emplace();
        settings.setText(SettingsKey::docToSrtLastSource, u"/media/scripts/reel 1.docx"_s);
        QCOMPARE(settings.writeError(), QString());
        QCOMPARE(failures.size(), 2);
    }
    QCOMPARE(Settings(path).integer(SettingsKey::gamesColorInvadersBestScore), 1200);
}

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_Settings.moc"
