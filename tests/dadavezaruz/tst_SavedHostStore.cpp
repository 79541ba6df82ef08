#include "common/Settings.h"
#include "dadavezaruz/SavedHostList.h"
#include "dadavezaruz/SavedHostStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

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
        QFETCH(QString, target);

        SavedHostStore store(*m_settings);
        store.remember(u"older"_s, 6000);
        store.remember(u"newer"_s, 7000);
        m_settings->setText(SettingsKey::dadavezaruzLastHost, lastHost);
        if (lastPort >= 0)
            m_settings->setInteger(SettingsKey::dadavezaruzLastHostPort, lastPort);
        const std::optional<DadavezaRuzPeer> resume = store.resumeTarget();
        QVERIFY(resume);
        QCOMPARE(resume->host + u':' + QString::number(resume->port), target);
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
