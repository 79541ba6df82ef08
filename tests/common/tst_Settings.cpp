#include "common/Settings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void searchSiteDefaultsToEmptyText();
    void textPassesThroughUnchanged_data();
    void textPassesThroughUnchanged();
    void bytesAndIntegersPersist();

private:
    QString iniPath() const { return m_dir->filePath(QStringLiteral("settings.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettings::searchSiteDefaultsToEmptyText()
{
    Settings settings(iniPath());
    QVERIFY(settings.youtubeSearchSiteUrl().isEmpty());
    QVERIFY(!settings.contains(SettingsKey::youtubeSearchSiteUrl));

    settings.setYoutubeSearchSiteUrl(QString());
    QCOMPARE(Settings(iniPath()).youtubeSearchSiteUrl(), QString());
}

void TestSettings::textPassesThroughUnchanged_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("address with query and fragment")
        << u"https://search.example/results?q=grade&lang=en#top"_s;
    QTest::newRow("commas, which INI would split") << u"a, b, c"_s;
    QTest::newRow("leading at sign") << u"@ByteArray(x)"_s;
    QTest::newRow("surrounding blanks") << u"  spaced  "_s;
    QTest::newRow("quotes and backslashes") << u"say \"hi\" \\ there"_s;
    QTest::newRow("non-latin") << u"Farbkorrektur \u2192 \u8272"_s;
    QTest::newRow("looks like a boolean") << u"true"_s;
    QTest::newRow("line break") << u"one\ntwo"_s;
}

void TestSettings::textPassesThroughUnchanged()
{
    QFETCH(QString, value);
    {
        Settings settings(iniPath());
        settings.setText(SettingsKey::youtubeSearchSiteUrl, value);
    }
    // A second instance reads the file afresh: the value was written before the call returned.
    QCOMPARE(Settings(iniPath()).youtubeSearchSiteUrl(), value);
}

void TestSettings::bytesAndIntegersPersist()
{
    const QByteArray json = QByteArrayLiteral("[{\"host\":\"studio\",\"port\":58432}]\0tail");
    {
        Settings settings(iniPath());
        QCOMPARE(settings.integer(SettingsKey::dadavezaruzLastHostPort), std::nullopt);
        settings.setBytes(SettingsKey::dadavezaruzSavedHosts, json);
        settings.setInteger(SettingsKey::dadavezaruzLastHostPort, 58432);
        settings.setText(SettingsKey::dadavezaruzLastHost, u"studio.local"_s);
        settings.remove(SettingsKey::dadavezaruzLastHost);
    }
    Settings reread(iniPath());
    QCOMPARE(reread.bytes(SettingsKey::dadavezaruzSavedHosts), json);
    QCOMPARE(reread.integer(SettingsKey::dadavezaruzLastHostPort), std::optional<qint64>(58432));
    QVERIFY(!reread.contains(SettingsKey::dadavezaruzLastHost));
}

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_Settings.moc"
