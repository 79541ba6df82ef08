#include "dadavezaruz/PairingCode.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPairingCode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestPairingCode::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");

    const auto readable = [](const char *name, const QString &text, const QString &host, int port) {
        QTest::newRow(name) << text << true << host << port;
    };
    const auto unreadable = [](const char *name, const QString &text) {
        QTest::newRow(name) << text << false << QString() << 0;
    };
    constexpr int byDefault = 58432;

    readable("host alone", u"192.168.1.20"_s, u"192.168.1.20"_s, byDefault);
    readable("host and port", u"192.168.1.20:6000"_s, u"192.168.1.20"_s, 6000);
    readable("letters for a port", u"h:abc"_s, u"h"_s, byDefault);
    readable("blanks and line break", u"  studio-mac:7000\n"_s, u"studio-mac"_s, 7000);
    readable("leading colon", u":7000"_s, u"7000"_s, byDefault);
    readable("port 65535", u"h:65535"_s, u"h"_s, 65535);
    readable("port 65536", u"h:65536"_s, u"h"_s, byDefault);
    readable("one plus", u"h:+7000"_s, u"h"_s, 7000);
    readable("two plus", u"h:++7000"_s, u"h"_s, byDefault);
    readable("port 0 passed on", u"h:0"_s, u"h"_s, 0);

    unreadable("empty", QString());
    unreadable("colons only", u":::"_s);
}

void TestPairingCode::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, readable);

    const std::optional<hb::PairingCode> code = hb::parsePairingCode(text);
    QCOMPARE(code.has_value(), readable);
    if (readable) {
        QTEST(code->host, "host");
        QTEST(int(code->port), "port");
    }
}

QTEST_GUILESS_MAIN(TestPairingCode)
#include "tst_PairingCode.moc"
