#include "dadavezaruz/KeyCombo.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestKeyCombo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
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
    key("cmd+shift+c", 8, 0x120000);
    key("COMMAND+Shift+C", 8, 0x120000);
    key("ctrl+alt+f5", 96, 0xC0000);
    key("space", 49, 0);
    key("f12", 111, 0);
    key("cmd++z", 6, 0x100000);
    key("+cmd+z+", 6, 0x100000);
    key("cmd + c", 0, 0); // pieces "cmd " and " c": neither is a known name
    key("cmd", 0, 0);     // a lone modifier is read as the key
    key("hyper+c", 8, 0);
    key("enter", 36, 0);
    key("esc", 53, 0);
    key("f13", 0, 0);
    QTest::newRow("empty") << QString() << false << 0 << quint64(0);
    QTest::newRow("only plus") << u"+++"_s << false << 0 << quint64(0);
}

void TestKeyCombo::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, hasKey);

    const std::optional<hb::KeyPress> press = hb::parseKeyCombo(text);
    QCOMPARE(press.has_value(), hasKey);
    if (press) {
        QTEST(int(press->keyCode), "keyCode");
        QTEST(press->modifiers, "modifiers");
    }
}

QTEST_GUILESS_MAIN(TestKeyCombo)
#include "tst_KeyCombo.moc"
