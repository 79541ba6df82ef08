#include "dadavezaruz-server/KeyCodeMap.h"
#include "dadavezaruz-server/KeyCombo.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace hb {
// Readable QCOMPARE failures; found through argument-dependent lookup, also for the optional.
char *toString(const std::optional<KeyPress> &press)
{
    return press ? qstrdup(qPrintable(
                       u"key %1 modifiers 0x%2"_s.arg(press->keyCode).arg(press->modifiers, 0, 16)))
                 : qstrdup("nothing");
}
} // namespace hb

class TestKeyCombo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void keyCodeMapHoldsTheTable_data();
    void keyCodeMapHoldsTheTable();
    void keyCodeMapIsWellFormed();
    void everyKeyNameParses();
};

void TestKeyCombo::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hasKey");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<quint64>("modifiers");

    const auto key = [](const char *text, int code, quint64 modifiers) {
        QTest::newRow(text) << QString::fromUtf8(text) << true << code << modifiers;
    };
    const auto none = [](const char *name, const QString &text) {
        QTest::newRow(name) << text << false << 0 << quint64(0);
    };

    key("cmd+shift+c", 8, 0x120000);
    key("CMD+Shift+C", 8, 0x120000);
    key("ctrl+alt+f5", 96, 0xC0000);
    key("control+option+f5", 96, 0xC0000);
    key("space", 49, 0);
    key("f12", 111, 0);
    key("cmd++z", 6, 0x100000);
    key("+cmd+z+", 6, 0x100000);
    key("cmd + c", 0, 0); // pieces "cmd " and " c": neither is a known name
    key("cmd", 0, 0);     // a lone modifier is read as the key
    key("c+cmd", 0, 0);   // the last piece is never a modifier
    key("hyper+c", 8, 0);
    key("enter", 36, 0);
    key("return", 36, 0);
    key("esc", 53, 0);
    key("escape", 53, 0);
    key("f13", 0, 0);
    key("plus", 0, 0);
    key("c ", 0, 0);

    // Every modifier name, repeats, all four together.
    key("command+x", 7, 0x100000);
    key("shift+x", 7, 0x20000);
    key("alt+x", 7, 0x80000);
    key("option+x", 7, 0x80000);
    key("ctrl+x", 7, 0x40000);
    key("control+x", 7, 0x40000);
    key("cmd+command+cmd+x", 7, 0x100000);
    key("cmd+shift+alt+ctrl+x", 7, 0x1E0000);
    key("COMMAND+SHIFT+OPTION+CONTROL+PageDown", 121, 0x1E0000);

    // A sample of each group of the table.
    key("m", 46, 0);
    key("b", 11, 0);
    key("5", 23, 0);
    key("0", 29, 0);
    key("cmd+/", 44, 0x100000);
    key("shift+=", 24, 0x20000);
    key("ctrl+-", 27, 0x40000);
    key("\\", 42, 0);
    key("`", 50, 0);
    key("'", 39, 0);
    key("shift+tab", 48, 0x20000);
    key("delete", 51, 0);
    key("backspace", 51, 0);
    key("F1", 122, 0);
    key("f10", 109, 0);
    key("pageup", 116, 0);
    key("home", 115, 0);
    key("left", 123, 0);
    key("up", 126, 0);

    none("empty", QString());
    none("plus sign", u"+"_s);
    none("plus signs", u"+++"_s);
}

void TestKeyCombo::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, hasKey);

    const std::optional<hb::KeyPress> press = hb::parseKeyCombo(text);
    QCOMPARE(press.has_value(), hasKey);
    if (hasKey) {
        QTEST(int(press->keyCode), "keyCode");
        QTEST(press->modifiers, "modifiers");
    }
}

void TestKeyCombo::keyCodeMapHoldsTheTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");

    // Codes that name key positions, not letters in order: easy to get wrong.
    const std::pair<const char *, int> rows[] = {
        {"q", 12},      {"o", 31},   {"6", 22},  {"]", 30},     {";", 41},
        {"return", 36}, {"f2", 120}, {"f3", 99}, {"down", 125}, {"end", 119},
    };
    for (const auto &[name, code] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << code;
}

void TestKeyCombo::keyCodeMapHoldsTheTable()
{
    QFETCH(QString, name);
    QFETCH(int, code);

    QVERIFY(hb::keyCodeMap().contains(name));
    QCOMPARE(int(hb::keyCodeMap().value(name)), code);
}

void TestKeyCombo::keyCodeMapIsWellFormed()
{
    const QHash<QString, quint16> &map = hb::keyCodeMap();
    QCOMPARE(map.size(), 75);
    QCOMPARE(&hb::keyCodeMap(), &map);

    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        QVERIFY2(!it.key().isEmpty() && it.key() == it.key().toLower() && !it.key().contains(u'+'),
                 qPrintable(it.key()));
        QVERIFY2(it.value() <= 126, qPrintable(it.key()));
    }
    for (const auto *absent : {"f13", "plus", "+", "capslock", "fn", "forwarddelete", "a "})
        QVERIFY2(!map.contains(QString::fromLatin1(absent)), absent);
}

void TestKeyCombo::everyKeyNameParses()
{
    // Each name, in either case and behind any modifier, reaches its own code.
    const QHash<QString, quint16> &map = hb::keyCodeMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        QCOMPARE(hb::parseKeyCombo(it.key()), (hb::KeyPress{it.value(), 0}));
        QCOMPARE(hb::parseKeyCombo(u"Ctrl+"_s + it.key().toUpper()),
                 (hb::KeyPress{it.value(), hb::kControlModifier}));
    }
}

QTEST_GUILESS_MAIN(TestKeyCombo)
#include "tst_KeyCombo.moc"
