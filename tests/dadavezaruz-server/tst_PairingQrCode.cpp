#include "dadavezaruz-server/PairingQrCode.h"

#include <QTest>

#include <ZXing/ReadBarcode.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QString decodeQrCode(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    const ZXing::Result result =
        ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode));
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

} // namespace

class TestPairingQrCode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsBackAsTheCode_data();
    void readsBackAsTheCode();
    void nothingToDraw();
};

void TestPairingQrCode::readsBackAsTheCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scale");

    QTest::newRow("IPv4 and port") << u"192.168.1.20:58432"_s << 1;
    QTest::newRow("host name and port") << u"Studio-Mac.local:7000"_s << 3;
    QTest::newRow("IPv6 text") << u"fe80::1c2a:3bff:fe4d:9a10%enp3s0"_s << 4;
    QTest::newRow("non-ASCII host") << u"Schnittraum-M\u00fcller:58432"_s << 2;
    QTest::newRow("long host") << QString(u"grading-suite-"_s.repeated(12) + u":1"_s) << 2;
}

void TestPairingQrCode::readsBackAsTheCode()
{
    QFETCH(QString, text);
    QFETCH(int, scale);

    const QImage image = renderPairingQrCode(text, scale);
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), image.height());
    QCOMPARE(image.width() % scale, 0);
    const int side = image.width() / scale; // in modules, quiet zone included
    const int symbol = side - 2 * kPairingQrQuietZone;
    QVERIFY(symbol >= 21 && (symbol - 21) % 4 == 0); // the size of a QR version

    const int quiet = kPairingQrQuietZone * scale;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool inQuietZone =
                x < quiet || y < quiet || x >= image.width() - quiet || y >= image.height() - quiet;
            if (inQuietZone && pixel != qRgb(255, 255, 255))
                QFAIL(qPrintable(u"dark pixel at %1,%2 in the quiet zone"_s.arg(x).arg(y)));
            // Every module is a whole square of one colour, black or white.
            if (pixel != qRgb(0, 0, 0) && pixel != qRgb(255, 255, 255))
                QFAIL("grey pixel");
            if (pixel != image.pixel(x - x % scale, y - y % scale))
                QFAIL(qPrintable(u"module at %1,%2 is not uniform"_s.arg(x).arg(y)));
        }
    }
    // The top-left finder pattern starts right inside the quiet zone: it is no wider than that.
    QCOMPARE(image.pixel(quiet, quiet), qRgb(0, 0, 0));

    QCOMPARE(decodeQrCode(image), text);
}

void TestPairingQrCode::nothingToDraw()
{
    QVERIFY(renderPairingQrCode(QString(), 4).isNull());
    QVERIFY(renderPairingQrCode(u"192.168.1.20"_s, 0).isNull());
    QVERIFY(renderPairingQrCode(u"host\0:1"_s, 4).isNull());
    QVERIFY(renderPairingQrCode(QString(3000, u'x'), 1).isNull()); // beyond the largest symbol
}

QTEST_GUILESS_MAIN(TestPairingQrCode)
#include "tst_PairingQrCode.moc"
