#include "dadavezaruz-server/ControllerAccess.h"

#include <QTest>

using namespace hb;
using Kind = ControllerAccess::Kind;

// Only classifies address text; nothing here connects anywhere.
class TestControllerAccess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void classifiesPeers_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("text");

        const auto row = [](const char *address, Kind kind, const char *text) {
            QTest::newRow(address)
                << QString::fromLatin1(address) << kind << QString::fromLatin1(text);
        };
        row("127.0.0.1", Kind::Loopback, "127.0.0.1");
        row("::1", Kind::Loopback, "::1");
        row("::ffff:127.0.0.1", Kind::Loopback, "127.0.0.1");
        row("10.1.2.3", Kind::LocalNetwork, "10.1.2.3");
        row("172.31.255.1", Kind::LocalNetwork, "172.31.255.1");
        row("::ffff:192.168.1.5", Kind::LocalNetwork, "192.168.1.5");
        row("169.254.10.10", Kind::LocalNetwork, "169.254.10.10");
        row("fe80::1%eth0", Kind::LocalNetwork, "fe80::1");
        row("fd12:3456::7", Kind::LocalNetwork, "fd12:3456::7");
        row("172.32.0.1", Kind::Elsewhere, "172.32.0.1");
        row("100.64.0.1", Kind::SharedAddressSpace, "100.64.0.1");
        row("100.127.255.254", Kind::SharedAddressSpace, "100.127.255.254");
        row("100.128.0.1", Kind::Elsewhere, "100.128.0.1");
        row("224.0.0.251", Kind::Elsewhere, "224.0.0.251");
        row("0.0.0.0", Kind::Elsewhere, "0.0.0.0");
        row("2001:db8::1", Kind::Elsewhere, "2001:db8::1");
    }

    void classifiesPeers()
    {
        QFETCH(QString, address);
        QFETCH(Kind, kind);
        QFETCH(QString, text);
        const QHostAddress peer(address);
        QCOMPARE(ControllerAccess::classify(peer), kind);
        QCOMPARE(ControllerAccess::addressText(peer), text);
        // Whatever is served once allowed may be allowed; the rest is refused with a reason.
        QCOMPARE(ControllerAccess::allowProblem(address).has_value(), kind == Kind::Elsewhere);
    }
};

QTEST_APPLESS_MAIN(TestControllerAccess)
#include "tst_ControllerAccess.moc"
