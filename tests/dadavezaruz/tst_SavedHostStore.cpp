// The hosts a pad remembers: the list's rules and stored form, and the settings that keep it.

#include "common/Settings.h"
#include "dadavezaruz/SavedHostList.h"
#include "dadavezaruz/SavedHostStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kReference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

QStringList hostsOf(const QList<SavedHost> &list)
{
    QStringList hosts;
    for (const SavedHost &saved : list)
        hosts.append(saved.host + u':' + QString::number(saved.port));
    return hosts;
}

} // namespace

class TestSavedHostStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Settings> m_settings;

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<Settings>(m_dir.filePath(u"settings.ini"_s));
        m_settings->remove(SettingsKey::dadavezaruzLastHost);
        m_settings->remove(SettingsKey::dadavezaruzLastHostPort);
        m_settings->remove(SettingsKey::dadavezaruzSavedHosts);
    }

    void remember_data()
    {
        QTest::addColumn<QStringList>("remembered"); // "host:port", in the order remembered
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("twice keeps one, first")
            << QStringList{u"127.0.0.20:58432"_s, u"studio:1"_s, u"127.0.0.20:58432"_s}
            << QStringList{u"127.0.0.20:58432"_s, u"studio:1"_s};
        QTest::newRow("ports make entries")
            << QStringList{u"127.0.0.20:58432"_s, u"127.0.0.20:6000"_s}
            << QStringList{u"127.0.0.20:6000"_s, u"127.0.0.20:58432"_s};
        QTest::newRow("case counts") << QStringList{u"Studio:1"_s, u"studio:1"_s}
                                     << QStringList{u"studio:1"_s, u"Studio:1"_s};
        QTest::newRow("trimmed") << QStringList{u" studio \n:1"_s, u"studio:1"_s}
                                 << QStringList{u"studio:1"_s};
        QTest::newRow("blank ignored")
            << QStringList{u"  :1"_s, u"studio:1"_s} << QStringList{u"studio:1"_s};
        QStringList eleven, tenNewest;
        for (int i = 0; i < 11; ++i)
            eleven.append(u"host%1:1"_s.arg(i));
        for (int i = 10; i > 0; --i)
            tenNewest.append(u"host%1:1"_s.arg(i));
        QTest::newRow("ten kept") << eleven << tenNewest;
    }

    void remember()
    {
        QFETCH(QStringList, remembered);

        QList<SavedHost> list;
        QDateTime now = kReference;
        for (const QString &entry : remembered) {
            const qsizetype colon = entry.lastIndexOf(u':');
            now = now.addSecs(1);
            list = SavedHostList::remember(list, entry.left(colon),
                                           quint16(entry.mid(colon + 1).toUInt()), now);
        }
        QTEST(hostsOf(list), "expected");
        QCOMPARE(list.constFirst().lastUsed, now);
        QCOMPARE(list.constFirst().id.size(), 36);
        QCOMPARE(list.constFirst().id, list.constFirst().id.toUpper());
        // What is stored reads back the same.
        QCOMPARE(SavedHostList::decode(SavedHostList::encode(list)), list);
    }

    void storedForm()
    {
        const QList<SavedHost> list{{u"5F1C2B3A-0000-4000-8000-00000000000A"_s, u"studio \"A\""_s,
                                     58432, kReference.addMSecs(786412800250)},
                                    {u"5F1C2B3A-0000-4000-8000-00000000000B"_s, u"127.0.0.2"_s,
                                     6000, kReference.addSecs(-60)}};
        const QByteArray json =
            "[{\"id\":\"5F1C2B3A-0000-4000-8000-00000000000A\",\"host\":\"studio \\\"A\\\"\","
            "\"port\":58432,\"lastUsed\":786412800.25},"
            R"({"id":"5F1C2B3A-0000-4000-8000-00000000000B","host":"127.0.0.2","port":6000,)"
            R"("lastUsed":-60}])";
        QCOMPARE(SavedHostList::encode(list), json);
        QCOMPARE(SavedHostList::decode(json), list);
        QCOMPARE(SavedHostList::forget(list, list[0].id), list.mid(1));
    }

    void badStoredFormsGiveNothing_data()
    {
        QTest::addColumn<QByteArray>("json");
        const QByteArray id = R"("id":"5F1C2B3A-0000-4000-8000-00000000000A")";
        QTest::newRow("not JSON") << QByteArray("[{");
        QTest::newRow("bad id") << QByteArray(R"([{"id":"x","host":"a","port":1,"lastUsed":0}])");
        QTest::newRow("port text")
            << QByteArray("[{" + id + R"(,"host":"a","port":"1","lastUsed":0}])");
        QTest::newRow("port too big")
            << QByteArray("[{" + id + R"(,"host":"a","port":65536,"lastUsed":0}])");
        QTest::newRow("no lastUsed") << QByteArray("[{" + id + R"(,"host":"a","port":1}])");
        QTest::newRow("one bad of two")
            << QByteArray("[{" + id + R"(,"host":"a","port":1,"lastUsed":0},7])");
    }

    void badStoredFormsGiveNothing()
    {
        QFETCH(QByteArray, json);
        QVERIFY(SavedHostList::decode(json).isEmpty());
    }

    void resumeTarget_data()
    {
        QTest::addColumn<QString>("lastHost");
        QTest::addColumn<qint64>("lastPort"); // -1: not stored
        QTest::addColumn<QString>("target");

        QTest::newRow("last host") << u"studio"_s << qint64(6000) << u"studio:6000"_s;
        QTest::newRow("stored port 0") << u"studio"_s << qint64(0) << u"studio:58432"_s;
        QTest::newRow("no stored port") << u"studio"_s << qint64(-1) << u"studio:58432"_s;
        QTest::newRow("port out of range") << u"studio"_s << qint64(70000) << u"studio:58432"_s;
        QTest::newRow("first saved host") << QString() << qint64(-1) << u"newer:7000"_s;
    }

    void resumeTarget()
    {
        QFETCH(QString, lastHost);
        QFETCH(qint64, lastPort);

        SavedHostStore store(*m_settings);
        store.remember(u"older"_s, 6000);
        store.remember(u"newer"_s, 7000);
        m_settings->setText(SettingsKey::dadavezaruzLastHost, lastHost);
        if (lastPort >= 0)
            m_settings->setInteger(SettingsKey::dadavezaruzLastHostPort, lastPort);
        const std::optional<DadavezaRuzPeer> resume = store.resumeTarget();
        QVERIFY(resume);
        QTEST(QString(resume->host + u':' + QString::number(resume->port)), "target");
    }

    // A forgotten host goes back to its place unless the list has it again by id or address;
    // a full list then drops its oldest.
    void restorePutsAHostBack_data()
    {
        QTest::addColumn<QString>("rememberedSince"); // empty: nothing
        QTest::addColumn<int>("extraHosts");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<int>("position");
        QTest::newRow("back at its place") << QString() << 3 << true << 2;
        QTest::newRow("address used again") << u"h1"_s << 3 << false << -1;
        QTest::newRow("full list") << u"new"_s << 9 << true << 2;
    }

    void restorePutsAHostBack()
    {
        QFETCH(QString, rememberedSince);
        QFETCH(int, extraHosts);
        SavedHostStore store(*m_settings);
        for (int i = 0; i <= extraHosts; ++i)
            store.remember(u"h"_s + QString::number(i), 6000);
        const QList<SavedHost> before = store.hosts();
        const SavedHost &forgotten = before[2];
        store.forget(forgotten.id);
        if (!rememberedSince.isEmpty())
            store.remember(rememberedSince, 6000);
        QTEST(store.restore(forgotten, 2), "restored");
        QTEST(int(store.hosts().indexOf(forgotten)), "position");
        QVERIFY(store.hosts().size() <= SavedHostList::kMaxEntries);
        QVERIFY(!store.restore(forgotten, 0)); // once
    }

    void keptAcrossRuns()
    {
        auto store = std::make_unique<SavedHostStore>(*m_settings);
        QSignalSpy changed(store.get(), &SavedHostStore::hostsChanged);
        store->remember(u"studio"_s, 6000);
        store->remember(u"edit-bay"_s, 7000);
        store->remember(u" \t"_s, 7000); // blank: nothing to remember
        store->forget(store->hosts().value(0).id);
        QCOMPARE(changed.size(), 3);

        store = std::make_unique<SavedHostStore>(*m_settings);
        QCOMPARE(store->hosts().size(), 1);
        QCOMPARE(store->hosts()[0].host, u"studio"_s);
        QCOMPARE(store->hosts()[0].port, 6000);
    }
};

QTEST_GUILESS_MAIN(TestSavedHostStore)
#include "tst_SavedHostStore.moc"
