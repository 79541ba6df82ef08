#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/KeyComboRecording.h"

#include <QTest>

using namespace Qt::StringLiterals;
namespace Recording = hb::KeyComboRecording;

class TestKeyComboRecording : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesThePressedKeys_data()
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

    void namesThePressedKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, combo);
        const std::optional<QString> recorded =
            Recording::comboFor(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(recorded.value_or(QString()), combo);
        if (recorded) { // what is recorded, a server presses
            const auto parsed = hb::parseKeyCombo(*recorded);
            QVERIFY2(parsed && *parsed, qPrintable(*recorded));
        }
    }
};

QTEST_GUILESS_MAIN(TestKeyComboRecording)
#include "tst_KeyComboRecording.moc"
