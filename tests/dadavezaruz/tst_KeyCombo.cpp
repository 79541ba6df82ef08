#include "common/IconLibrary.h"
#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/KeyComboRecording.h"
#include "dadavezaruz/ShortcutPreset.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestKeyCombo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // `outcome` is "code mask" in hex for a key, "none" for nothing to press, or the error's text.
    void parse_data()
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
            << u"a1+b2+c3+d4+"_s + QString(100, u'e')
            << u"Unknown names “a1”, “b2”, “c3” and 2 more"_s;
        QTest::newRow("hyper is not ignored") << u"hyper+c"_s << u"Unknown modifier “hyper”"_s;
        QTest::newRow("blanks round the plus")
            << u"cmd + c"_s << u"Unknown names “cmd ” and “ c” — remove the spaces around “+”"_s;
        QTest::newRow("lone modifier")
            << u"cmd"_s << u"“cmd” is a modifier: add a key after it, e.g. cmd+c"_s;
        QTest::newRow("ends with a modifier")
            << u"cmd+shift"_s << u"“shift” is a modifier: add a key after it, e.g. cmd+shift+c"_s;
        QTest::newRow("plus has no name") << u"cmd+plus"_s << u"Unknown key “plus”"_s;
    }

    void parse()
    {
        QFETCH(QString, text);
        const auto parsed = hb::parseKeyCombo(text);
        QString outcome = u"none"_s;
        if (!parsed)
            outcome = parsed.error().description;
        else if (*parsed)
            outcome = u"%1 %2"_s.arg((*parsed)->keyCode).arg((*parsed)->modifiers, 0, 16);
        QTEST(outcome, "outcome");
    }

    // The pad offers these; a server must type each of them, and each has an icon of its own.
    void everyPresetIsAKey()
    {
        for (const hb::ShortcutPreset &preset : hb::shortcutPresets()) {
            const auto parsed = hb::parseKeyCombo(preset.keyCombo);
            QVERIFY2(parsed && *parsed, qPrintable(preset.keyCombo));
            QVERIFY2(hb::IconLibrary::isKnown(preset.sfSymbol), qPrintable(preset.sfSymbol));
        }
    }

    // Keys pressed while recording, named the way the parser reads them.
    void recordsThePressedKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("combo"); // empty: no combination

        const int shift = Qt::ShiftModifier;
        QTest::newRow("letter") << int(Qt::Key_C) << 0 << u"c"_s;
        QTest::newRow("all modifiers, in order")
            << int(Qt::Key_C)
            << int(Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)
            << u"cmd+ctrl+alt+shift+c"_s;
        QTest::newRow("keypad digit") << int(Qt::Key_5) << int(Qt::KeypadModifier) << u"5"_s;
        QTest::newRow("shift+1 types !") << int(Qt::Key_Exclam) << shift << u"shift+1"_s;
        QTest::newRow("shift+= types +") << int(Qt::Key_Plus) << shift << u"shift+="_s;
        QTest::newRow("+ without shift has no key") << int(Qt::Key_Plus) << 0 << QString();
        QTest::newRow("shift+tab") << int(Qt::Key_Backtab) << shift << u"shift+tab"_s;
        QTest::newRow("enter") << int(Qt::Key_Enter) << 0 << u"return"_s;
        QTest::newRow("f12") << int(Qt::Key_F12) << int(Qt::ControlModifier) << u"ctrl+f12"_s;
        QTest::newRow("f13") << int(Qt::Key_F13) << 0 << QString();
        QTest::newRow("forward delete") << int(Qt::Key_Delete) << 0 << QString();
        QTest::newRow("page down") << int(Qt::Key_PageDown) << 0 << u"pagedown"_s;
    }

    void recordsThePressedKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const std::optional<QString> recorded =
            hb::KeyComboRecording::comboFor(key, Qt::KeyboardModifiers(modifiers));
        QTEST(recorded.value_or(QString()), "combo");
        if (recorded) { // what is recorded, a server presses
            const auto parsed = hb::parseKeyCombo(*recorded);
            QVERIFY2(parsed && *parsed, qPrintable(*recorded));
        }
    }
};

QTEST_GUILESS_MAIN(TestKeyCombo)
#include "tst_KeyCombo.moc"
