#include "common/IconLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// Pixels of at least `minAlpha` whose colour is within a small distance of `target`.
int countNear(const QImage &rendered, const QColor &target, int minAlpha = 250)
{
    const QImage image = rendered.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() >= minAlpha && qAbs(c.red() - target.red()) < 24 &&
                qAbs(c.green() - target.green()) < 24 && qAbs(c.blue() - target.blue()) < 24)
                ++count;
        }
    }
    return count;
}

int maxAlpha(const QImage &rendered)
{
    const QImage image = rendered.convertToFormat(QImage::Format_ARGB32);
    int result = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            result = qMax(result, qAlpha(image.pixel(x, y)));
    return result;
}

// Share of pixels that differ visibly between two images of the same size.
double differingShare(const QImage &a, const QImage &b)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            if (qAbs(qAlpha(p) - qAlpha(q)) > 48 || qAbs(qRed(p) - qRed(q)) > 48 ||
                qAbs(qBlue(p) - qBlue(q)) > 48)
                ++differing;
        }
    }
    return double(differing) / double(left.width() * left.height());
}

// The symbol names that records and screens use.
const QStringList kUsedNames = {
    // catalogue
    u"paintpalette.fill"_s, u"rectangle.grid.3x2.fill"_s, u"display.and.arrow.down"_s, u"film"_s,
    u"doc.plaintext"_s, u"captions.bubble"_s, u"checklist"_s, u"display.2"_s, u"scope"_s,
    u"play.rectangle"_s, u"command.square.fill"_s, u"arrow.left.arrow.right"_s,
    // pad presets and the new button
    u"paintpalette"_s, u"timeline.selection"_s, u"scissors"_s, u"arrow.up.doc"_s,
    u"playpause.fill"_s, u"backward.fill"_s, u"forward.fill"_s, u"stop.fill"_s, u"i.circle.fill"_s,
    u"o.circle.fill"_s, u"plus.rectangle.fill"_s, u"arrow.counterclockwise"_s,
    u"arrow.uturn.backward"_s, u"arrow.uturn.forward"_s, u"flag.fill"_s,
    u"arrow.up.left.and.arrow.down.right"_s, u"square.and.arrow.up"_s,
    u"dot.radiowaves.left.and.right"_s, u"stop.circle"_s, u"record.circle"_s, u"stop.circle.fill"_s,
    u"1.square.fill"_s, u"2.square.fill"_s, u"3.square.fill"_s, u"4.square.fill"_s,
    u"mic.slash.fill"_s, u"camera.fill"_s, u"bolt.fill"_s,
    // screens
    u"wifi"_s, u"wifi.slash"_s, u"plus"_s, u"pencil"_s, u"trash"_s, u"rectangle.grid.3x2"_s,
    u"wifi.circle"_s, u"gear"_s, u"desktopcomputer"_s, u"chevron.right"_s,
    u"clock.arrow.circlepath"_s, u"checkmark"_s, u"arrow.right.circle.fill"_s,
    u"qrcode.viewfinder"_s, u"pencil.circle.fill"_s, u"plus.circle.fill"_s, u"display"_s,
    u"checkmark.circle.fill"_s, u"circle"_s, u"heart"_s, u"heart.fill"_s};

} // namespace

class tst_IconLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void usedNameHasBundledIcon_data();
    void usedNameHasBundledIcon();
    void tableFilesAreDistinct();
    void bundledFilesMatchTable();
    void unknownNameGetsFallback_data();
    void unknownNameGetsFallback();
    void rendersGivenColours_data();
    void rendersGivenColours();
    void colourAlphaIsKept();
    void fillTwinsLookDifferent_data();
    void fillTwinsLookDifferent();
    void cachedImagesKeepColoursApart();
    void nonSquareSizeKeepsAspect();
    void pixmapHonoursDevicePixelRatio_data();
    void pixmapHonoursDevicePixelRatio();
    void iconDrawsAtRequestedSize();
};

void tst_IconLibrary::usedNameHasBundledIcon_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : kUsedNames)
        QTest::newRow(qPrintable(name)) << name;
}

void tst_IconLibrary::usedNameHasBundledIcon()
{
    QFETCH(QString, name);
    QVERIFY(IconLibrary::isKnown(name));
    const QString file = IconLibrary::iconFile(name);
    QVERIFY(file.startsWith(":/icons/"_L1));
    QVERIFY(file != IconLibrary::fallbackIconFile());
    QVERIFY2(QFile::exists(file), qPrintable(file));
    QVERIFY2(QSvgRenderer(file).isValid(), qPrintable(file));
}

void tst_IconLibrary::tableFilesAreDistinct()
{
    const QStringList names = IconLibrary::symbolNames();
    QVERIFY(names.size() >= kUsedNames.size());
    QHash<QString, QString> nameByFile;
    for (const QString &name : names) {
        const QString file = IconLibrary::iconFile(name);
        QVERIFY2(!nameByFile.contains(file),
                 qPrintable(name % " shares "_L1 % file % " with "_L1 % nameByFile.value(file)));
        nameByFile.insert(file, name);
    }
    QVERIFY(!nameByFile.contains(IconLibrary::fallbackIconFile()));
}

// The resource is built from the list that the fetch script writes from the table, so this
// fails when someone edits the table and forgets to run the script.
void tst_IconLibrary::bundledFilesMatchTable()
{
    QSet<QString> expected{QFileInfo(IconLibrary::fallbackIconFile()).fileName()};
    for (const QString &name : IconLibrary::symbolNames())
        expected.insert(QFileInfo(IconLibrary::iconFile(name)).fileName());
    const QStringList bundled = QDir(u":/icons"_s).entryList(QDir::Files);
    QCOMPARE(QSet<QString>(bundled.cbegin(), bundled.cend()), expected);
}

void tst_IconLibrary::unknownNameGetsFallback_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("unknown") << u"no.such.symbol"_s;
    QTest::newRow("other case") << u"Wifi"_s;
    QTest::newRow("trailing space") << u"wifi "_s;
    QTest::newRow("fill of an outline-only name") << u"scissors.fill"_s;
}

void tst_IconLibrary::unknownNameGetsFallback()
{
    QFETCH(QString, name);
    QVERIFY(!IconLibrary::isKnown(name));
    QCOMPARE(IconLibrary::iconFile(name), IconLibrary::fallbackIconFile());
    QVERIFY(QSvgRenderer(IconLibrary::fallbackIconFile()).isValid());
    const QImage image = IconLibrary::render(name, QSize(32, 32), kRed, kBlue);
    QCOMPARE(image.size(), QSize(32, 32));
    QVERIFY(countNear(image, kRed) > 20);
}

void tst_IconLibrary::rendersGivenColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("twoTone");
    for (const QString &name : IconLibrary::symbolNames())
        QTest::newRow(qPrintable(name))
            << name << IconLibrary::iconFile(name).endsWith("-duotone.svg"_L1);
    QTest::newRow("fallback") << u"no.such.symbol"_s << true;
}

// The outline layer takes the primary colour, a duotone file's background layer the
// secondary one, and no part is left in the files' own default colour (black).
void tst_IconLibrary::rendersGivenColours()
{
    QFETCH(QString, name);
    QFETCH(bool, twoTone);
    const QImage image = IconLibrary::render(name, QSize(64, 64), kRed, kBlue);
    QCOMPARE(image.size(), QSize(64, 64));
    const int primary = countNear(image, kRed);
    const int secondary = countNear(image, kBlue);
    QVERIFY2(primary > 40, qPrintable(QString::number(primary)));
    // Some glyphs (the documents) have only a folded corner as background layer.
    if (twoTone)
        QVERIFY2(secondary > 15, qPrintable(QString::number(secondary)));
    else
        QCOMPARE(countNear(image, kBlue, 1), 0);
    QCOMPARE(countNear(image, Qt::black, 1), 0);
}

void tst_IconLibrary::colourAlphaIsKept()
{
    const QImage layered = IconLibrary::render(u"circle"_s, QSize(64, 64), kRed,
                                               IconLibrary::monochromeSecondary(kRed));
    QVERIFY(countNear(layered, kRed) > 40);
    // The circle's inside is background layer only: red at the secondary's low alpha.
    const QColor inside = layered.pixelColor(32, 32);
    QCOMPARE(inside.rgb(), kRed.rgb());
    QVERIFY2(inside.alpha() > 60 && inside.alpha() < 120,
             qPrintable(QString::number(inside.alpha())));

    QColor halfRed = kRed;
    halfRed.setAlphaF(0.5f);
    const QImage faint = IconLibrary::render(u"plus"_s, QSize(64, 64), halfRed, kBlue);
    QVERIFY(qAbs(maxAlpha(faint) - 128) <= 2);
}

void tst_IconLibrary::fillTwinsLookDifferent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("primary");
    QTest::addColumn<QColor>("secondary");
    const QStringList names = IconLibrary::symbolNames();
    for (const QString &name : names) {
        if (!names.contains(name + ".fill"_L1))
            continue;
        QTest::addRow("%s, two colours", qPrintable(name)) << name << kRed << kBlue;
        QTest::addRow("%s, one colour", qPrintable(name))
            << name << kRed << IconLibrary::monochromeSecondary(kRed);
    }
}

void tst_IconLibrary::fillTwinsLookDifferent()
{
    QFETCH(QString, name);
    QFETCH(QColor, primary);
    QFETCH(QColor, secondary);
    const QImage outline = IconLibrary::render(name, QSize(48, 48), primary, secondary);
    const QImage filled = IconLibrary::render(name + ".fill"_L1, QSize(48, 48), primary, secondary);
    const double share = differingShare(outline, filled);
    QVERIFY2(share > 0.1, qPrintable(QString::number(share)));
}

void tst_IconLibrary::cachedImagesKeepColoursApart()
{
    const QImage red = IconLibrary::render(u"film"_s, QSize(40, 40), kRed, kRed);
    const QImage blue = IconLibrary::render(u"film"_s, QSize(40, 40), kBlue, kBlue);
    QVERIFY(countNear(red, kRed) > 40);
    QCOMPARE(countNear(blue, kRed, 1), 0);
    QVERIFY(countNear(blue, kBlue) > 40);
}

void tst_IconLibrary::nonSquareSizeKeepsAspect()
{
    const QImage wide = IconLibrary::render(u"circle"_s, QSize(96, 32), kRed, kBlue);
    QCOMPARE(wide.size(), QSize(96, 32));
    QCOMPARE(maxAlpha(wide.copy(0, 0, 28, 32)), 0);
    QCOMPARE(maxAlpha(wide.copy(68, 0, 28, 32)), 0);
    QVERIFY(countNear(wide.copy(32, 0, 32, 32), kBlue) > 100);
}

void tst_IconLibrary::pixmapHonoursDevicePixelRatio_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("expectedRatio");
    QTest::newRow("1x") << 1.0 << QSize(24, 24) << 1.0;
    QTest::newRow("2x") << 2.0 << QSize(48, 48) << 2.0;
    QTest::newRow("1.5x") << 1.5 << QSize(36, 36) << 1.5;
    QTest::newRow("no ratio") << 0.0 << QSize(24, 24) << 1.0;
}

void tst_IconLibrary::pixmapHonoursDevicePixelRatio()
{
    QFETCH(qreal, ratio);
    QFETCH(QSize, pixels);
    QFETCH(qreal, expectedRatio);
    const QPixmap pixmap = IconLibrary::pixmap(u"gear"_s, QSize(24, 24), kRed, kBlue, ratio);
    QCOMPARE(pixmap.size(), pixels);
    QCOMPARE(pixmap.devicePixelRatio(), expectedRatio);
    QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(24, 24));
    QVERIFY(countNear(pixmap.toImage(), kBlue) > 20);
}

void tst_IconLibrary::iconDrawsAtRequestedSize()
{
    const QIcon icon = IconLibrary::icon(u"gear"_s, kRed, kBlue);
    QVERIFY(!icon.isNull());
    const QImage normal = icon.pixmap(QSize(40, 40)).toImage();
    QCOMPARE(normal.size(), QSize(40, 40));
    QVERIFY(countNear(normal, kRed) > 20);
    QVERIFY(countNear(normal, kBlue) > 20);
    QCOMPARE(maxAlpha(normal), 255);
    // Both layers faded: even where the outline covers the background the result stays
    // translucent.
    const QImage disabled = icon.pixmap(QSize(40, 40), QIcon::Disabled).toImage();
    QCOMPARE(disabled.size(), QSize(40, 40));
    QVERIFY(maxAlpha(disabled) < 200);
    QVERIFY(countNear(disabled, kBlue, 1) > 20);
}

} // namespace hb

QTEST_MAIN(hb::tst_IconLibrary)
#include "tst_IconLibrary.moc"
