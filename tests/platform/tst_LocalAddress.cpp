#include "platform/netif/LocalAddress.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

using Interfaces = QList<InterfaceAddresses>;
Q_DECLARE_METATYPE(Interfaces)

namespace {

// One line of /proc/net/route: interface, destination, flags, metric, mask.
QByteArray route(const char *iface, const char *destination, const char *flags, int metric,
                 const char *mask)
{
    return QByteArray(iface) + '\t' + destination + "\t010200C0\t" + flags + "\t0\t0\t" +
           QByteArray::number(metric) + '\t' + mask + "\t0\t0\t0\n";
}

InterfaceAddresses interface(const QString &name, bool up, bool loopback,
                             const QStringList &addresses)
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
};

void TestLocalAddress::findsTheDefaultRouteInterface_data()
{
    QTest::addColumn<QByteArray>("routes"); // below the header line
    QTest::addColumn<QString>("expected");  // empty for none

    QTest::newRow("default beside a subnet route")
        << route("wlp2s0", "0002000C", "0001", 0, "00FFFFFF") +
               route("wlp2s0", "00000000", "0003", 600, "00000000")
        << u"wlp2s0"_s;
    QTest::newRow("lowest metric wins") << route("wlan0", "00000000", "0003", 600, "00000000") +
                                               route("eth0", "00000000", "0003", 100, "00000000")
                                        << u"eth0"_s;
    QTest::newRow("a route that is down is skipped")
        << route("eth0", "00000000", "0002", 100, "00000000") +
               route("wlan0", "00000000", "0003", 600, "00000000")
        << u"wlan0"_s;
    QTest::newRow("garbage") << QByteArray("eth0 00000000\n\n\t\t\n") +
                                    route("eth0", "00000000", "zz", 1, "00000000")
                             << QString();
}

void TestLocalAddress::findsTheDefaultRouteInterface()
{
    QFETCH(QByteArray, routes);
    QFETCH(QString, expected);
    const QByteArray header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n";
    QCOMPARE(defaultRouteInterface(QByteArray(header + routes)).value_or(QString()), expected);
}

void TestLocalAddress::choosesTheAddressPeersReach_data()
{
    QTest::addColumn<QString>("routeInterface");
    QTest::addColumn<Interfaces>("interfaces");
    QTest::addColumn<QString>("expected");

    const auto lo = interface(u"lo"_s, true, true, {u"127.0.0.1"_s, u"::1"_s});
    const auto bridge = interface(u"br0"_s, true, false, {u"198.18.0.1"_s});
    const auto wifi = interface(u"wlan0"_s, true, false, {u"fe80::1"_s, u"192.0.2.15"_s});
    const auto down = interface(u"eth1"_s, false, false, {u"198.51.100.3"_s});
    const auto v6only = interface(u"eth2"_s, true, false, {u"2001:db8::5"_s});

    QTest::newRow("route interface first, past its IPv6")
        << u"wlan0"_s << Interfaces{lo, bridge, wifi} << u"192.0.2.15"_s;
    QTest::newRow("no route: first up non-loopback")
        << QString() << Interfaces{lo, down, bridge, wifi} << u"198.18.0.1"_s;
    QTest::newRow("route interface without IPv4 falls back")
        << u"eth2"_s << Interfaces{lo, v6only, wifi} << u"192.0.2.15"_s;
    QTest::newRow("only loopback and down") << QString() << Interfaces{lo, down} << QString();
}

void TestLocalAddress::choosesTheAddressPeersReach()
{
    QFETCH(QString, routeInterface);
    QFETCH(Interfaces, interfaces);
    QFETCH(QString, expected);
    const auto route = routeInterface.isEmpty() ? std::nullopt : std::optional(routeInterface);
    QCOMPARE(chooseLocalIPv4Address(route, interfaces).value_or(QString()), expected);
}

QTEST_APPLESS_MAIN(TestLocalAddress)
#include "tst_LocalAddress.moc"
