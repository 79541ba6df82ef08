#include "common/Settings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void valuesPassThroughUnchanged_data();
    void valuesPassThroughUnchanged();
    void bytesAndIntegersPersist();

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
    {
        Settings settings(path);
        QCOMPARE(settings.integer(SettingsKey::dadavezaruzLastHostPort), std::nullopt);
        settings.setBytes(SettingsKey::dadavezaruzSavedHosts, json);
        settings.setInteger(SettingsKey::dadavezaruzLastHostPort, 58432);
        settings.setText(SettingsKey::dadavezaruzLastHost, u"studio.local"_s);
        settings.remove(SettingsKey::dadavezaruzLastHost);
    }
    Settings reread(path);
    QCOMPARE(reread.bytes(SettingsKey::dadavezaruzSavedHosts), json);
    QCOMPARE(reread.integer(SettingsKey::dadavezaruzLastHostPort), std::optional<qint64>(58432));
    QVERIFY(!reread.contains(SettingsKey::dadavezaruzLastHost));
}

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_Settings.moc"
