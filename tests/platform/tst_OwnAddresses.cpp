#include "platform/netif/OwnAddresses.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Only compares address text; nothing here connects anywhere.
class TestOwnAddresses : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matchesWhateverFormTheAddressTakes_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("own");
        QTest::newRow("plain IPv4") << u"192.0.2.5"_s << true;
        QTest::newRow("IPv4 in IPv6") << u"::ffff:192.0.2.5"_s << true;
        QTest::newRow("link-local with a zone") << u"fe80::5%eth0"_s << true;
        QTest::newRow("another machine") << u"192.0.2.6"_s << false;
    }

    void matchesWhateverFormTheAddressTakes()
    {
        QFETCH(QString, asked);
        hb::OwnAddresses own([] {
            return QList<QHostAddress>{QHostAddress(u"192.0.2.5"_s),
                                       QHostAddress(u"fe80::5%eth1"_s)};
        });
        QTEST(own.contains(QHostAddress(asked)), "own");
    }

    void readsTheInterfacesAgainWhenOld()
    {
        QList<QHostAddress> current{QHostAddress(u"192.0.2.5"_s)};
        int reads = 0;
        hb::OwnAddresses fresh(
            [&] {
                ++reads;
                return current;
            },
            std::chrono::milliseconds(0));
        QVERIFY(fresh.contains(QHostAddress(u"192.0.2.5"_s)));
        current = {QHostAddress(u"192.0.2.9"_s)}; // the machine moved to another network
        QVERIFY(fresh.contains(QHostAddress(u"192.0.2.9"_s)));
        QVERIFY(!fresh.contains(QHostAddress(u"192.0.2.5"_s)));

        hb::OwnAddresses cached(
            [&] {
                ++reads;
                return current;
            },
            std::chrono::hours(1));
        reads = 0;
        for (int i = 0; i < 3; ++i)
            cached.contains(QHostAddress(u"192.0.2.9"_s));
        QCOMPARE(reads, 1);
    }
};

QTEST_APPLESS_MAIN(TestOwnAddresses)
#include "tst_OwnAddresses.moc"
