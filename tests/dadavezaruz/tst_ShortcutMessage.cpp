#include "dadavezaruz/ShortcutMessage.h"

#include <QTest>

using namespace Qt::StringLiterals;
using hb::ShortcutMessage;

namespace hb {
// Readable QCOMPARE failures; found through argument-dependent lookup.
char *toString(const ShortcutMessage &message)
{
    return QTest::toString(message.encode());
}
} // namespace hb

class TestShortcutMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
};

void TestShortcutMessage::encode_data()
{
    QTest::addColumn<QString>("keyCombo");
    QTest::addColumn<QString>("appTarget");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("typical") << u"cmd+shift+c"_s << u"resolve"_s
                             << "{\"keyCombo\":\"cmd+shift+c\",\"appTarget\":\"resolve\"}\n"_ba;
    QTest::newRow("solidus") << u"cmd+/"_s << u"global"_s
                             << "{\"keyCombo\":\"cmd+\\/\",\"appTarget\":\"global\"}\n"_ba;
    QTest::newRow("quote and backslash")
        << u"shift+\"+\\"_s << u"obs"_s
        << "{\"keyCombo\":\"shift+\\\"+\\\\\",\"appTarget\":\"obs\"}\n"_ba;
    QTest::newRow("control char") << u"a\x01"_s << u"x"_s
                                  << "{\"keyCombo\":\"a\\u0001\",\"appTarget\":\"x\"}\n"_ba;
    QTest::newRow("non-ASCII stays UTF-8")
        << u"alt+é"_s << u"😀"_s
        << "{\"keyCombo\":\"alt+\xc3\xa9\",\"appTarget\":\"\xf0\x9f\x98\x80\"}\n"_ba;
    QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) + u"a"_s << u"b"_s
                                    << "{\"keyCombo\":\"\\ud83da\",\"appTarget\":\"b\"}\n"_ba;
    QTest::newRow("U+FEFF") << u"\ufeffa"_s << u"b"_s
                            << "{\"keyCombo\":\"\\ufeffa\",\"appTarget\":\"b\"}\n"_ba;
}

void TestShortcutMessage::encode()
{
    QFETCH(QString, keyCombo);
    QFETCH(QString, appTarget);
    QFETCH(QByteArray, frame);

    const ShortcutMessage message{keyCombo, appTarget};
    QCOMPARE(message.encode(), frame);
    QCOMPARE(ShortcutMessage::decode(frame).value_or(ShortcutMessage{}), message);
}

void TestShortcutMessage::decode_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("keyCombo"); // null: the line is rejected

    const auto row = [](const char *name, const QByteArray &line, const QString &keyCombo = {}) {
        QTest::newRow(name) << line << keyCombo;
    };
    row("reversed key order", R"({"appTarget":"x","keyCombo":"cmd+z"})"_ba, u"cmd+z"_s);
    row("CRLF", "{\"keyCombo\":\"c\",\"appTarget\":\"x\"}\r\n"_ba, u"c"_s);
    row("extra key", R"({"id":7,"keyCombo":"f5","appTarget":"x"})"_ba, u"f5"_s);
    row("blanks round the object", " {\"keyCombo\":\"c\",\"appTarget\":\"x\"} \t"_ba, u"c"_s);
    row("key repeated, last wins", R"({"keyCombo":"a","appTarget":"x","keyCombo":"b"})"_ba, u"b"_s);

    row("empty line", ""_ba);
    row("bad JSON", R"({"keyCombo":"c","appTarget":)"_ba);
    row("only keyCombo", R"({"keyCombo":"c"})"_ba);
    row("number appTarget", R"({"keyCombo":"c","appTarget":1})"_ba);
    row("top-level array", R"([{"keyCombo":"c","appTarget":"x"}])"_ba);
    row("text after the object", R"({"keyCombo":"c","appTarget":"x"}})"_ba);
}

void TestShortcutMessage::decode()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, keyCombo);

    const std::optional<ShortcutMessage> message = ShortcutMessage::decode(line);
    QCOMPARE(message.has_value(), !keyCombo.isNull());
    if (message)
        QCOMPARE(*message, (ShortcutMessage{keyCombo, u"x"_s}));
}

QTEST_GUILESS_MAIN(TestShortcutMessage)
#include "tst_ShortcutMessage.moc"
