// The pairing code drawn as an image for the screen and as text for a terminal, each read back
// with a QR reader we did not write.

#include "dadavezaruz-server/PairingQrCode.h"
#include "dadavezaruz-server/TerminalQrCode.h"

#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <ZXing/ReadBarcode.h>

using namespace Qt::StringLiterals;

namespace {

QString decode(const QImage &image)
{
    const ZXing::ImageView view(image.constBits(), image.width(), image.height(),
                                ZXing::ImageFormat::Lum, int(image.bytesPerLine()));
    return QString::fromStdString(ZXing::ReadBarcode(view).text());
}

// What a terminal with the given default colours shows of `text`, a pixel per half cell, with a
// margin of its own background around it. It knows what the code under test writes: upper half
// blocks, the colour codes 30-37 and 40-47 (0 black, 7 white) and the reset to the defaults.
QImage renderOnTerminal(const QString &text, QRgb defaultForeground, QRgb defaultBackground)
{
    static const QRegularExpression token(u"\x1b\\[([0-9;]*)m|\u2580"_s);
    constexpr int kMargin = 6;
    const auto ansi = [](int n) { return n == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255); };
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    QImage image(int(lines.value(0).count(u'\u2580')) + 2 * kMargin,
                 int(lines.size()) * 2 + 2 * kMargin, QImage::Format_RGB32);
    image.fill(defaultBackground);
    for (int y = 0; y < lines.size(); ++y) {
        QRgb foreground = defaultForeground, background = defaultBackground;
        int x = kMargin;
        for (const QRegularExpressionMatch &match : token.globalMatch(lines[y])) {
            if (!match.hasCaptured(1)) {
                image.setPixel(x, y * 2 + kMargin, foreground);
                image.setPixel(x++, y * 2 + 1 + kMargin, background);
                continue;
            }
            for (const QString &part : match.captured(1).split(u';')) {
                const int n = part.toInt();
                if (n == 0 || (n >= 30 && n <= 37))
                    foreground = n == 0 ? defaultForeground : ansi(n - 30);
                if (n == 0 || (n >= 40 && n <= 47))
                    background = n == 0 ? defaultBackground : ansi(n - 40);
            }
        }
    }
    return image.scaled(image.size() * 4).convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

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
        QCOMPARE(decode(image), text);
    }

    void nothingToDraw()
    {
        QVERIFY(hb::renderPairingQrCode(QString(), 4).isNull());
        QVERIFY(hb::renderPairingQrCode(u"192.0.2.20"_s, 0).isNull());
        QVERIFY(hb::renderPairingQrCode(u"host\0:1"_s, 4).isNull()); // not cut short at the NUL
        QVERIFY(hb::renderPairingQrCode(QString(3000, u'x'), 1).isNull()); // beyond any symbol
    }

    // The reader does not try inverted codes: only the right polarity reads.
    void readsOnLightAndDarkTerminals_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QRgb>("foreground");
        QTest::addColumn<QRgb>("background");
        for (const QString &code : {u"192.0.2.20:58432"_s, u"studio-7.local:6000"_s}) {
            QTest::addRow("dark terminal, %s", qPrintable(code))
                << code << qRgb(230, 230, 230) << qRgb(20, 20, 20);
            QTest::addRow("light terminal, %s", qPrintable(code))
                << code << qRgb(20, 20, 20) << qRgb(250, 250, 250);
        }
    }

    void readsOnLightAndDarkTerminals()
    {
        QFETCH(QString, code);
        QFETCH(QRgb, foreground);
        QFETCH(QRgb, background);
        const QString text = hb::terminalQrCode(code);
        QCOMPARE(decode(renderOnTerminal(text, foreground, background)), code);
        for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
            QVERIFY(line.endsWith(u"\x1b[0m"_s)); // the prompt after it keeps its own colours
    }
};

QTEST_GUILESS_MAIN(TestPairingQrCode)
#include "tst_PairingQrCode.moc"
