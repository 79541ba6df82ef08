#include "common/ColorHex.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestColorHex : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsColourText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");

        QTest::newRow("plain") << u"#18D3BC"_s << 0x18 << 0xD3 << 0xBC;
        QTest::newRow("no number sign") << u"18D3BC"_s << 0x18 << 0xD3 << 0xBC;
        QTest::newRow("signs at both ends, lower case") << u"##18d3bc##"_s << 0x18 << 0xD3 << 0xBC;
        QTest::newRow("leading plus") << u"+18D3BC"_s << 0x18 << 0xD3 << 0xBC;
        QTest::newRow("three digits doubled") << u"#FFF"_s << 255 << 255 << 255;
        QTest::newRow("plus counts toward length") << u"#+FFF"_s << 0x00 << 0x0F << 0xFF;
        QTest::newRow("eight digits keep low bytes") << u"12345678"_s << 0x34 << 0x56 << 0x78;
        QTest::newRow("bad digit") << u"#GG0000"_s << 0 << 0 << 0;
        QTest::newRow("empty") << QString() << 0 << 0 << 0;
        QTest::newRow("inner number sign") << u"#18#D3BC"_s << 0 << 0 << 0;
        QTest::newRow("too long for 64 bits") << u"11112222333344445"_s << 0 << 0 << 0;
    }

    void readsColourText()
    {
        QFETCH(QString, text);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);

        const QColor color = colorFromHex(text);
        QCOMPARE(color.red(), red);
        QCOMPARE(color.green(), green);
        QCOMPARE(color.blue(), blue);
        QCOMPARE(color.alpha(), 255);
    }

    void writesUpperCaseAndCutsFractions_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("hex");

        QTest::newRow("half is cut to 7F") << QColor::fromRgbF(0.5f, 0.5f, 0.5f) << u"#7F7F7F"_s;
        QTest::newRow("almost one is cut to FE") << QColor::fromRgbF(0.999f, 0, 0) << u"#FE0000"_s;
        QTest::newRow("opacity dropped") << QColor(0x12, 0xAB, 0xEF, 10) << u"#12ABEF"_s;
    }

    void writesUpperCaseAndCutsFractions()
    {
        QFETCH(QColor, color);
        QFETCH(QString, hex);
        QCOMPARE(hexFromColor(color), hex);
    }

    void everyByteSurvivesARoundTrip()
    {
        // Covers every preset colour: channels are independent and each takes every value here.
        for (int value = 0; value < 256; ++value) {
            const QString text = QStringLiteral("#%1%2%3")
                                     .arg(value, 2, 16, QLatin1Char('0'))
                                     .arg(255 - value, 2, 16, QLatin1Char('0'))
                                     .arg((value * 7) % 256, 2, 16, QLatin1Char('0'))
                                     .toUpper();
            QCOMPARE(hexFromColor(colorFromHex(text)), text);
        }
    }
};

QTEST_APPLESS_MAIN(TestColorHex)
#include "tst_ColorHex.moc"
