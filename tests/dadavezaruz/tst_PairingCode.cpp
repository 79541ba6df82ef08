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

    // Host alone, host and port.
    readable("address alone", u"192.168.1.20"_s, u"192.168.1.20"_s, byDefault);
    readable("address and port", u"192.168.1.20:6000"_s, u"192.168.1.20"_s, 6000);
    readable("letters for a port", u"192.168.1.20:abc"_s, u"192.168.1.20"_s, byDefault);
    readable("blanks and line break", u"  studio-mac:7000\n"_s, u"studio-mac"_s, 7000);
    readable("outer Unicode space", u"\u00a0\u3000studio-mac:7000\u2028"_s, u"studio-mac"_s, 7000);
    readable("host trimmed of spaces and tabs", u"\t studio-mac \t:7000"_s, u"studio-mac"_s, 7000);
    readable("host keeps inner line break", u"studio\n:7000"_s, u"studio\n"_s, 7000);
    readable("port part not trimmed", u"studio-mac: 7000"_s, u"studio-mac"_s, byDefault);
    readable("tab before port", u"studio-mac:\t7000"_s, u"studio-mac"_s, byDefault);
    readable("leading colon", u":7000"_s, u"7000"_s, byDefault);
    readable("leading colons", u":::studio-mac:7000"_s, u"studio-mac"_s, 7000);
    readable("port with colons", u"studio-mac:1:2"_s, u"studio-mac"_s, byDefault);
    readable("empty port", u"studio-mac:"_s, u"studio-mac"_s, byDefault);

    // Port boundaries.
    readable("port 0 passed on", u"h:0"_s, u"h"_s, 0);
    readable("port 1", u"h:1"_s, u"h"_s, 1);
    readable("port 65535", u"h:65535"_s, u"h"_s, 65535);
    readable("port 65536", u"h:65536"_s, u"h"_s, byDefault);
    readable("huge port", u"h:99999999999999999999"_s, u"h"_s, byDefault);
    readable("leading zeros", u"h:00000000000000007000"_s, u"h"_s, 7000);
    readable("one plus", u"h:+7000"_s, u"h"_s, 7000);
    readable("two plus", u"h:++7000"_s, u"h"_s, byDefault);
    readable("plus alone", u"h:+"_s, u"h"_s, byDefault);
    readable("minus", u"h:-1"_s, u"h"_s, byDefault);
    readable("minus zero", u"h:-0"_s, u"h"_s, byDefault);
    readable("digits then letters", u"h:7000x"_s, u"h"_s, byDefault);
    readable("non-ASCII digits", u"h:\u0667\u0660\u0660\u0660"_s, u"h"_s, byDefault);
    readable("full-width digits", u"h:\uff17\uff10"_s, u"h"_s, byDefault);

    // IPv6-looking text is cut at its first colon like any other.
    readable("IPv6 loopback", u"::1"_s, u"1"_s, byDefault);
    readable("IPv6 link-local", u"fe80::1"_s, u"fe80"_s, byDefault);
    readable("bracketed IPv6", u"[::1]:7000"_s, u"["_s, byDefault);

    unreadable("empty", QString());
    unreadable("blanks", u" \t\r\n "_s);
    unreadable("colons only", u":::"_s);
    unreadable("blank host", u": :7000"_s);
    unreadable("tab host", u":\t:7000"_s);
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
