#include "dadavezaruz/ShortcutMessage.h"

#include <QTest>

using namespace Qt::StringLiterals;
using hb::ShortcutMessage;

namespace hb {
// Readable QCOMPARE failures; found through argument-dependent lookup, also for the optional.
char *toString(const ShortcutMessage &message)
{
    return QTest::toString(message.encode());
}
char *toString(const std::optional<ShortcutMessage> &message)
{
    return message ? toString(*message) : qstrdup("nothing");
}
} // namespace hb

class TestShortcutMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void decodeReadsOnlyTheView();
    void decodeSurvivesHostileInput();
};

void TestShortcutMessage::encode_data()
{
    QTest::addColumn<QString>("keyCombo");
    QTest::addColumn<QString>("appTarget");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("typical") << u"cmd+shift+c"_s << u"resolve"_s
                             << "{\"keyCombo\":\"cmd+shift+c\",\"appTarget\":\"resolve\"}\n"_ba;
    QTest::newRow("empty fields") << QString() << QString()
                                  << "{\"keyCombo\":\"\",\"appTarget\":\"\"}\n"_ba;
    QTest::newRow("solidus") << u"cmd+/"_s << u"global"_s
                             << "{\"keyCombo\":\"cmd+\\/\",\"appTarget\":\"global\"}\n"_ba;
    QTest::newRow("quote and backslash")
        << u"shift+\"+\\"_s << u"obs"_s
        << "{\"keyCombo\":\"shift+\\\"+\\\\\",\"appTarget\":\"obs\"}\n"_ba;
    QTest::newRow("short escapes") << u"\b\f\n\r\t"_s << u"x"_s
                                   << "{\"keyCombo\":\"\\b\\f\\n\\r\\t\",\"appTarget\":\"x\"}\n"_ba;
    QTest::newRow("other controls")
        << QString(QChar(0)) + u"\x01\x1f\x7f"_s << u"x"_s
        << "{\"keyCombo\":\"\\u0000\\u0001\\u001f\x7f\",\"appTarget\":\"x\"}\n"_ba;
    QTest::newRow("non-ASCII stays UTF-8")
        << u"alt+é"_s << u"€ 😀"_s
        << "{\"keyCombo\":\"alt+\xc3\xa9\",\"appTarget\":\"\xe2\x82\xac \xf0\x9f\x98\x80\"}\n"_ba;
    QTest::newRow("lone surrogates escaped")
        << QString(QChar(0xD83D)) + u"a"_s << u"b"_s + QChar(0xDE00)
        << "{\"keyCombo\":\"\\ud83da\",\"appTarget\":\"b\\ude00\"}\n"_ba;
    QTest::newRow("U+FEFF escaped")
        << u"\ufeffa"_s << u"b\ufeff"_s
        << "{\"keyCombo\":\"\\ufeffa\",\"appTarget\":\"b\\ufeff\"}\n"_ba;
}

void TestShortcutMessage::encode()
{
    QFETCH(QString, keyCombo);
    QFETCH(QString, appTarget);
    QFETCH(QByteArray, frame);

    const ShortcutMessage message{keyCombo, appTarget};
    QCOMPARE(message.encode(), frame);

    // Whatever is written reads back as the same message, with or without its line feed.
    QCOMPARE(ShortcutMessage::decode(frame), message);
    QCOMPARE(ShortcutMessage::decode(QByteArrayView(frame).chopped(1)), message);
}

void TestShortcutMessage::decode_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("keyCombo");
    QTest::addColumn<QString>("appTarget");

    const auto accept = [](const char *name, const QByteArray &line, const QString &keyCombo,
                           const QString &appTarget) {
        QTest::newRow(name) << line << true << keyCombo << appTarget;
    };
    const auto reject = [](const char *name, const QByteArray &line) {
        QTest::newRow(name) << line << false << QString() << QString();
    };

    accept("plain", R"({"keyCombo":"cmd+shift+c","appTarget":"resolve"})"_ba, u"cmd+shift+c"_s,
           u"resolve"_s);
    accept("CR before LF", "{\"keyCombo\":\"c\",\"appTarget\":\"obs\"}\r"_ba, u"c"_s, u"obs"_s);
    accept("LF kept", "{\"keyCombo\":\"c\",\"appTarget\":\"obs\"}\r\n"_ba, u"c"_s, u"obs"_s);
    accept("white space around", " \t{ \"keyCombo\" : \"c\" ,\r\n\"appTarget\":\"x\" } \t "_ba,
           u"c"_s, u"x"_s);
    accept("reversed key order", R"({"appTarget":"resolve","keyCombo":"cmd+z"})"_ba, u"cmd+z"_s,
           u"resolve"_s);
    accept("extra keys ignored",
           R"({"id":7,"keyCombo":"f5","nested":{"keyCombo":1},"appTarget":"obs","x":null})"_ba,
           u"f5"_s, u"obs"_s);
    accept("escaped solidus", R"({"keyCombo":"cmd+\/","appTarget":"global"})"_ba, u"cmd+/"_s,
           u"global"_s);
    accept("unicode escapes", R"({"keyCombo":"\u00e9\ud83d\ude00","appTarget":"\u0041"})"_ba,
           u"é😀"_s, u"A"_s);
    accept("raw UTF-8", "{\"keyCombo\":\"\xc3\xa9\",\"appTarget\":\"x\"}"_ba, u"é"_s, u"x"_s);
    accept("empty strings", R"({"keyCombo":"","appTarget":""})"_ba, QString(), QString());

    reject("empty line", ""_ba);
    reject("CR only", "\r"_ba);
    reject("blank", "   "_ba);
    reject("bad JSON", R"({"keyCombo":"c","appTarget":)"_ba);
    reject("unterminated string", R"({"keyCombo":"c","appTarget":"x})"_ba);
    reject("missing appTarget", R"({"keyCombo":"cmd+c"})"_ba);
    reject("missing keyCombo", R"({"appTarget":"resolve"})"_ba);
    reject("empty object", "{}"_ba);
    reject("keys are case-sensitive", R"({"KeyCombo":"c","appTarget":"x"})"_ba);
    reject("number value", R"({"keyCombo":"c","appTarget":1})"_ba);
    reject("null value", R"({"keyCombo":null,"appTarget":"x"})"_ba);
    reject("bool value", R"({"keyCombo":"c","appTarget":true})"_ba);
    reject("array value", R"({"keyCombo":["c"],"appTarget":"x"})"_ba);
    reject("object value", R"({"keyCombo":{"k":"c"},"appTarget":"x"})"_ba);
    reject("array top level", R"([{"keyCombo":"c","appTarget":"x"}])"_ba);
    reject("string top level", R"("keyCombo")"_ba);
    reject("number top level", "42"_ba);
    reject("two objects", R"({"keyCombo":"c","appTarget":"x"}{"keyCombo":"c","appTarget":"x"})"_ba);
    reject("trailing garbage", R"({"keyCombo":"c","appTarget":"x"}x)"_ba);
    reject("trailing NUL", QByteArray("{\"keyCombo\":\"c\",\"appTarget\":\"x\"}\0", 33));
    reject("invalid UTF-8", "{\"keyCombo\":\"\xff\",\"appTarget\":\"x\"}"_ba);
}

void TestShortcutMessage::decode()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, valid);

    const std::optional<ShortcutMessage> message = ShortcutMessage::decode(line);
    QCOMPARE(message.has_value(), valid);
    if (valid) {
        QTEST(message->keyCombo, "keyCombo");
        QTEST(message->appTarget, "appTarget");
    }
}

void TestShortcutMessage::decodeReadsOnlyTheView()
{
    const QByteArray buffer = R"({"keyCombo":"c","appTarget":"x"}{"keyCombo")"_ba;
    const qsizetype firstLine = buffer.indexOf('}') + 1;

    const auto message = ShortcutMessage::decode(QByteArrayView(buffer).first(firstLine));
    QCOMPARE(message, (ShortcutMessage{u"c"_s, u"x"_s}));
    QVERIFY(!ShortcutMessage::decode(QByteArrayView(buffer).first(firstLine - 1)));
    QVERIFY(!ShortcutMessage::decode(QByteArrayView()));
}

void TestShortcutMessage::decodeSurvivesHostileInput()
{
    // Deep nesting, a long line and every byte value: no crash, and nothing decodes.
    QVERIFY(!ShortcutMessage::decode(QByteArray(100000, '[')));
    QVERIFY(!ShortcutMessage::decode("{\"a\":"_ba.repeated(5000)));
    QByteArray allBytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        allBytes[i] = static_cast<char>(i);
    QVERIFY(!ShortcutMessage::decode(allBytes));

    // A long but valid message still decodes.
    const ShortcutMessage big{QString(70000, u'/'), u"global"_s};
    QCOMPARE(ShortcutMessage::decode(big.encode()), big);
}

QTEST_GUILESS_MAIN(TestShortcutMessage)
#include "tst_ShortcutMessage.moc"
