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
