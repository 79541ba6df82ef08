#include "platform/netif/LocalAddress.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

using Interfaces = QList<InterfaceAddresses>;
Q_DECLARE_METATYPE(Interfaces)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QByteArray kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

QByteArray route(const char *iface, const char *destination, const char *flags, int metric,
                 const char *mask)
{
    return QByteArray(iface) + '\t' + destination + "\t010200C0\t" + flags + "\t0\t0\t" +
           QByteArray::number(metric) + '\t' + mask + "\t0\t0\t0\n";
}

InterfaceAddresses interface(const QString &name, bool up, bool loopback, QStringList addresses)
{
    InterfaceAddresses entry{name, up, loopback, {}};
    for (const QString &address : addresses)
        entry.addresses.append(QHostAddress(address));
    return entry;
}

} // namespace

class TestLocalAddress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsTheDefaultRouteInterface_data();
    void findsTheDefaultRouteInterface();
    void choosesTheAddressPeersReach_data();
    void choosesTheAddressPeersReach();
    void systemAnswerIsNumericIPv4();
};

void TestLocalAddress::findsTheDefaultRouteInterface_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<std::optional<QString>>("expected");

    QTest::newRow("one default route")
        << kHeader + route("wlp2s0", "00000000", "0003", 600, "00000000") +
               route("wlp2s0", "0002000C", "0001", 600, "00FFFFFF")
        << std::optional<QString>(u"wlp2s0"_s);
    QTest::newRow("lowest metric wins")
        << kHeader + route("wlan0", "00000000", "0003", 600, "00000000") +
               route("eth0", "00000000", "0003", 100, "00000000")
        << std::optional<QString>(u"eth0"_s);
    QTest::newRow("route that is down is skipped")
        << kHeader + route("eth0", "00000000", "0002", 100, "00000000") +
               route("wlan0", "00000000", "0003", 600, "00000000")
        << std::optional<QString>(u"wlan0"_s);
    QTest::newRow("header only") << kHeader << std::optional<QString>();
    QTest::newRow("garbage lines")
        << kHeader + "eth0 00000000\n\n\t\t\nxx yy zz\n" +
               route("eth0", "00000000", "zz", 1, "00000000")
        << std::optional<QString>();
}

void TestLocalAddress::findsTheDefaultRouteInterface()
{
    QFETCH(QByteArray, table);
    QFETCH(std::optional<QString>, expected);
    QCOMPARE(defaultRouteInterface(table), expected);
}

void TestLocalAddress::choosesTheAddressPeersReach_data()
{
    QTest::addColumn<std::optional<QString>>("routeInterface");
    QTest::addColumn<Interfaces>("interfaces");
    QTest::addColumn<std::optional<QString>>("expected");

    const auto lo = interface(u"lo"_s, true, true, {u"127.0.0.1"_s, u"::1"_s});
    const auto docker = interface(u"docker0"_s, true, false, {u"198.18.0.1"_s});
    const auto wifi = interface(u"wlan0"_s, true, false, {u"fe80::1"_s, u"192.0.2.15"_s});
    const auto down = interface(u"eth1"_s, false, false, {u"198.51.100.3"_s});
    const auto v6only = interface(u"eth2"_s, true, false, {u"2001:db8::5"_s});

    QTest::newRow("route interface first, past IPv6")
        << std::optional<QString>(u"wlan0"_s) << Interfaces{lo, docker, wifi}
        << std::optional<QString>(u"192.0.2.15"_s);
    QTest::newRow("no route: first up non-loopback")
        << std::optional<QString>() << Interfaces{lo, down, docker, wifi}
        << std::optional<QString>(u"198.18.0.1"_s);
    QTest::newRow("route interface without IPv4 falls back")
        << std::optional<QString>(u"eth2"_s) << Interfaces{lo, v6only, wifi}
        << std::optional<QString>(u"192.0.2.15"_s);
    QTest::newRow("only loopback and down") << std::optional<QString>() << Interfaces{lo, down}
                                            << std::optional<QString>();
}

void TestLocalAddress::choosesTheAddressPeersReach()
{
    QFETCH(std::optional<QString>, routeInterface);
    QFETCH(Interfaces, interfaces);
    QFETCH(std::optional<QString>, expected);
    QCOMPARE(chooseLocalIPv4Address(routeInterface, interfaces), expected);
}

void TestLocalAddress::systemAnswerIsNumericIPv4()
{
    const std::optional<QString> address = localIPv4Address();
    if (!address)
        QSKIP("this machine has no non-loopback IPv4 address");
    const QHostAddress parsed(*address);
    QCOMPARE(parsed.protocol(), QAbstractSocket::IPv4Protocol);
    QVERIFY(!parsed.isLoopback());
}

QTEST_APPLESS_MAIN(TestLocalAddress)
#include "tst_LocalAddress.moc"
