#include "common/IconLibrary.h"
#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/ShortcutPreset.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestKeyCombo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void everyPresetIsAKey();
};

// `outcome` is "code mask" in hex for a key, "none" for nothing to press, or the error's text.
void TestKeyCombo::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("cmd+shift+c") << u"cmd+shift+c"_s << u"8 120000"_s;
    QTest::newRow("any case") << u"COMMAND+Shift+C"_s << u"8 120000"_s;
    QTest::newRow("ctrl+alt+f5") << u"ctrl+alt+f5"_s << u"96 c0000"_s;
    QTest::newRow("control+option") << u"control+option+f5"_s << u"96 c0000"_s;
    QTest::newRow("space") << u"space"_s << u"49 0"_s;
    QTest::newRow("doubled and outer plus signs") << u"+cmd++z+"_s << u"6 100000"_s;
    QTest::newRow("repeated modifier") << u"shift+shift+="_s << u"24 20000"_s;
    QTest::newRow("enter is return") << u"enter"_s << u"36 0"_s;
    QTest::newRow("only plus signs") << u"+++"_s << u"none"_s;
    QTest::newRow("empty") << QString() << u"none"_s;

    QTest::newRow("unknown key") << u"f13"_s << u"Unknown key “f13”"_s;
    QTest::newRow("misspelt modifier is not dropped")
        << u"ctrl+shft+c"_s << u"Unknown modifier “shft”"_s;
    QTest::newRow("several, as typed")
        << u"ctrl+Shft+blah"_s << u"Unknown names “Shft” and “blah”"_s;
    QTest::newRow("three") << u"x1+y2+z3"_s << u"Unknown names “x1”, “y2” and “z3”"_s;
    QTest::newRow("many, cut short") // a pad's line may be 64 KiB long
        << u"a1+b2+c3+d4+"_s + QString(100, u'e') << u"Unknown names “a1”, “b2”, “c3” and 2 more"_s;
    QTest::newRow("hyper is not ignored") << u"hyper+c"_s << u"Unknown modifier “hyper”"_s;
    QTest::newRow("blanks round the plus")
        << u"cmd + c"_s << u"Unknown names “cmd ” and “ c” — remove the spaces around “+”"_s;
    QTest::newRow("lone modifier")
        << u"cmd"_s << u"“cmd” is a modifier: add a key after it, e.g. cmd+c"_s;
    QTest::newRow("ends with a modifier")
        << u"cmd+shift"_s << u"“shift” is a modifier: add a key after it, e.g. cmd+shift+c"_s;
    QTest::newRow("plus has no name") << u"cmd+plus"_s << u"Unknown key “plus”"_s;
}

void TestKeyCombo::parse()
{
    QFETCH(QString, text);

    const auto parsed = hb::parseKeyCombo(text);
    QString outcome;
    if (!parsed)
        outcome = parsed.error().description;
    else if (!*parsed)
        outcome = u"none"_s;
    else
        outcome = u"%1 %2"_s.arg((*parsed)->keyCode).arg((*parsed)->modifiers, 0, 16);
    QTEST(outcome, "outcome");
}

// The pad offers these; a server must type each of them, and each has an icon of its own.
void TestKeyCombo::everyPresetIsAKey()
{
    for (const hb::ShortcutPreset &preset : hb::shortcutPresets()) {
        const auto parsed = hb::parseKeyCombo(preset.keyCombo);
        QVERIFY2(parsed && *parsed, qPrintable(preset.keyCombo));
        QVERIFY2(hb::IconLibrary::isKnown(preset.sfSymbol), qPrintable(preset.sfSymbol));
    }
}

QTEST_GUILESS_MAIN(TestKeyCombo)
#include "tst_KeyCombo.moc"
