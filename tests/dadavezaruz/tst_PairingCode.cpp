#include "dadavezaruz/PairingCode.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPairingCode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host"); // null: unreadable
        QTest::addColumn<int>("port");

        constexpr int byDefault = 58432;
        QTest::newRow("host alone") << u"192.168.1.20"_s << u"192.168.1.20"_s << byDefault;
        QTest::newRow("host and port") << u"192.168.1.20:6000"_s << u"192.168.1.20"_s << 6000;
        QTest::newRow("letters for a port") << u"h:abc"_s << u"h"_s << byDefault;
        QTest::newRow("blanks, line break") << u"  studio-mac:7000\n"_s << u"studio-mac"_s << 7000;
        QTest::newRow("leading colon") << u":7000"_s << u"7000"_s << byDefault;
        QTest::newRow("port 65535") << u"h:65535"_s << u"h"_s << 65535;
        QTest::newRow("port 65536") << u"h:65536"_s << u"h"_s << byDefault;
        QTest::newRow("one plus") << u"h:+7000"_s << u"h"_s << 7000;
        QTest::newRow("two plus") << u"h:++7000"_s << u"h"_s << byDefault;
        QTest::newRow("port 0 passed on") << u"h:0"_s << u"h"_s << 0;
        QTest::newRow("empty") << QString() << QString() << 0;
        QTest::newRow("colons only") << u":::"_s << QString() << 0;

        // The web pad's link: the host, and the pad port from the fragment, not the web port.
        const QString secret = u"AbCdEfGhIjKlMnOpQrStUvWxYz0123456789-_AbCdE"_s;
        QTest::newRow("link") << u"http://192.168.1.20:58433/#k="_s + secret + u"&p=6000"_s
                              << u"192.168.1.20"_s << 6000;
        QTest::newRow("link, p first")
            << u"http://studio.local:58433/#p=7000&k="_s + secret << u"studio.local"_s << 7000;
        QTest::newRow("link, IPv6")
            << u"http://[fe80::1:2]:58433/#k=x&p=6001"_s << u"fe80::1:2"_s << 6001;
        QTest::newRow("link, no p")
            << u"http://10.0.0.2:58433/#k=x"_s << u"10.0.0.2"_s << byDefault;
        QTest::newRow("link, bad p")
            << u"http://10.0.0.2:58433/#k=x&p=70000"_s << u"10.0.0.2"_s << byDefault;
        QTest::newRow("link, no fragment")
            << u"http://10.0.0.2:58433/"_s << u"10.0.0.2"_s << byDefault;
        QTest::newRow("link, no web port, blanks") << u" http://h/#p=6002\n"_s << u"h"_s << 6002;
        QTest::newRow("link, upper-case scheme") << u"HTTP://h:1/#p=6003"_s << u"h"_s << 6003;
        QTest::newRow("link, 'p' in the path") << u"http://h:1/p=5/#k=x"_s << u"h"_s << byDefault;
        QTest::newRow("link, 'kp=' is not 'p='") << u"http://h/#kp=5"_s << u"h"_s << byDefault;
        QTest::newRow("link without host") << u"http://:58433/#p=6000"_s << QString() << 0;
        QTest::newRow("link, open bracket") << u"http://[::1/#p=6000"_s << QString() << 0;
        QTest::newRow("link, empty brackets") << u"http://[]:1/"_s << QString() << 0;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        const std::optional<hb::PairingCode> code = hb::parsePairingCode(text);
        QCOMPARE(code.has_value(), !host.isNull());
        if (code) {
            QCOMPARE(code->host, host);
            QTEST(int(code->port), "port");
        }
    }
};

QTEST_GUILESS_MAIN(TestPairingCode)
#include "tst_PairingCode.moc"
