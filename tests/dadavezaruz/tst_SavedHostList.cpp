#include "dadavezaruz/SavedHostList.h"

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

class TestSavedHostList : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        QFETCH(QStringList, expected);

        QList<SavedHost> list;
        QDateTime now = kReference;
        for (const QString &entry : remembered) {
            const qsizetype colon = entry.lastIndexOf(u':');
            now = now.addSecs(1);
            list = SavedHostList::remember(list, entry.left(colon),
                                           quint16(entry.mid(colon + 1).toUInt()), now);
        }
        QCOMPARE(hostsOf(list), expected);
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
};

QTEST_GUILESS_MAIN(TestSavedHostList)
#include "tst_SavedHostList.moc"
