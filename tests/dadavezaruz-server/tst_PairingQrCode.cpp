#include "dadavezaruz-server/PairingQrCode.h"

#include <QTest>

#include <ZXing/ReadBarcode.h>

using namespace Qt::StringLiterals;

class TestPairingQrCode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsBackAsTheCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("scale");
        QTest::newRow("IPv4, a pixel a module") << u"192.0.2.20:58432"_s << 1;
        // Mixed case, and UTF-8 beyond Latin-1: no mode upper-cases or narrows the bytes.
        QTest::newRow("host name") << u"Schnittraum-\u0141\u00f3d\u017a.local:7000"_s << 3;
        QTest::newRow("IPv6 with zone") << u"fe80::1c2a:3bff:fe4d:9a10%enp3s0"_s << 4;
        QTest::newRow("long") << QString(u"grading-suite-"_s.repeated(12) + u":1"_s) << 2;
    }

    void readsBackAsTheCode()
    {
        QFETCH(QString, text);
        QFETCH(int, scale);
        const QImage image = hb::renderPairingQrCode(text, scale);
        const QRect symbol = image.rect() - (QMargins() + hb::kPairingQrQuietZone * scale);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY(symbol.contains(x, y) || image.pixel(x, y) == qRgb(255, 255, 255));
        QCOMPARE(image.pixel(symbol.topLeft()), qRgb(0, 0, 0)); // the finder: the zone is no wider

        const ZXing::ImageView view(image.constBits(), image.width(), image.height(),
                                    ZXing::ImageFormat::Lum, int(image.bytesPerLine()));
        QCOMPARE(QString::fromStdString(ZXing::ReadBarcode(view).text()), text);
    }

    void nothingToDraw()
    {
        QVERIFY(hb::renderPairingQrCode(QString(), 4).isNull());
        QVERIFY(hb::renderPairingQrCode(u"192.0.2.20"_s, 0).isNull());
        QVERIFY(hb::renderPairingQrCode(u"host\0:1"_s, 4).isNull()); // not cut short at the NUL
        QVERIFY(hb::renderPairingQrCode(QString(3000, u'x'), 1).isNull()); // beyond any symbol
    }
};

QTEST_GUILESS_MAIN(TestPairingQrCode)
#include "tst_PairingQrCode.moc"
