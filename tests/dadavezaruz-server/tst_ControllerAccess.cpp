// Who may send presses: peers by their address, and lines that start a web request (a web page
// can make a browser send those). Only classifies text; nothing here connects anywhere.

#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/HttpRequestLine.h"

#include <QTest>

using namespace hb;
using Kind = ControllerAccess::Kind;

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
        const QHostAddress peer(address);
        QCOMPARE(ControllerAccess::classify(peer), kind);
        QTEST(ControllerAccess::addressText(peer), "text");
        // Whatever is served once allowed may be allowed; the rest is refused with a reason.
        QCOMPARE(ControllerAccess::allowProblem(address).has_value(), kind == Kind::Elsewhere);
    }

    void recognisesRequestLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("isRequest");

        QTest::newRow("POST") << QByteArray("POST / HTTP/1.1\r") << true;
        QTest::newRow("GET, no CR") << QByteArray("GET /index.html?x=1 HTTP/1.0") << true;
        QTest::newRow("HTTP/2 preface") << QByteArray("PRI * HTTP/2.0\r") << true;
        QTest::newRow("major version only") << QByteArray("GET / HTTP/2") << true;
        QTest::newRow("odd method token") << QByteArray("M-SEARCH * HTTP/1.1\r") << true;
        QTest::newRow("spaces in target") << QByteArray("GET /a b HTTP/1.1") << true;

        QTest::newRow("a pad's line")
            << QByteArray(R"({"keyCombo":"h","appTarget":"resolve"})") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("CR only") << QByteArray("\r") << false;
        QTest::newRow("no target") << QByteArray("GET  HTTP/1.1") << false;
        QTest::newRow("no method") << QByteArray(" / HTTP/1.1") << false;
        QTest::newRow("no version") << QByteArray("GET / HTTP/") << false;
        QTest::newRow("lower-case protocol") << QByteArray("GET / http/1.1") << false;
        QTest::newRow("JSON mentioning HTTP")
            << QByteArray(R"({"keyCombo":"GET / HTTP/1.1"})") << false;
        QTest::newRow("version only") << QByteArray("HTTP/1.1") << false;
    }

    void recognisesRequestLines()
    {
        QFETCH(QByteArray, line);
        QTEST(isHttpRequestLine(line), "isRequest");
    }
};

QTEST_APPLESS_MAIN(TestControllerAccess)
#include "tst_ControllerAccess.moc"
