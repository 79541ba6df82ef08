#include "dadavezaruz-server/PairingQrCode.h"
#include "dadavezaruz/QrCodeImageReader.h"

#include <QPainter>
#include <QTest>
#include <QTransform>

using namespace hb;
using namespace Qt::StringLiterals;

class TestQrCodeImageReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsCodesInPictures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("picture");

        for (const char *picture : {"bare", "screenshot", "transparent", "rotated", "huge"}) {
            const QString name = QString::fromLatin1(picture);
            QTest::addRow("%s", picture) << u"studio-mac:7000"_s << name;
        }
        QTest::newRow("non-ASCII host") << u"Schnittplatz-Ü:58432"_s << u"screenshot"_s;
    }

    void readsCodesInPictures()
    {
        QFETCH(QString, text);
        QFETCH(QString, picture);

        const QImage code = renderPairingQrCode(text, 6);
        QImage image = code;
        if (picture == "screenshot"_L1 || picture == "huge"_L1) {
            // The code in a dark terminal window, off centre.
            const int side = picture == "huge"_L1 ? 7000 : 1200;
            image = QImage(side, side * 5 / 8, QImage::Format_ARGB32_Premultiplied);
            image.fill(QColor(30, 30, 40));
            const int scale = side / 1200; // whole pixels a module
            QPainter(&image).drawImage(side / 3, side / 10, code.scaled(code.size() * scale));
        } else if (picture == "transparent"_L1) {
            // Black modules on nothing: the background must read as white.
            image = QImage(code.size(), QImage::Format_ARGB32);
            for (int y = 0; y < code.height(); ++y)
                for (int x = 0; x < code.width(); ++x)
                    image.setPixel(x, y, qGray(code.pixel(x, y)) < 128 ? qRgba(0, 0, 0, 255) : 0);
        } else if (picture == "rotated"_L1) {
            image = code.transformed(QTransform().rotate(90));
        }
        QCOMPARE(readQrCode(image), std::optional(text));
    }

    void nothingToRead()
    {
        QImage blank(400, 300, QImage::Format_RGB32);
        blank.fill(Qt::darkGray);
        QCOMPARE(readQrCode(blank), std::nullopt);
        QCOMPARE(readQrCode(QImage()), std::nullopt);
        // Half a code is no code.
        const QImage code = renderPairingQrCode(u"studio-mac:7000"_s, 6);
        QCOMPARE(readQrCode(code.copy(0, 0, code.width() / 2, code.height())), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestQrCodeImageReader)
#include "tst_QrCodeImageReader.moc"
