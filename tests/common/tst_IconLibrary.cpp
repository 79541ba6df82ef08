#include "common/IconLibrary.h"

#include <QDir>
#include <QFileInfo>
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
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.alpha() >= minAlpha && qAbs(c.red() - target.red()) < 24 &&
                     qAbs(c.green() - target.green()) < 24 && qAbs(c.blue() - target.blue()) < 24;
        }
    return count;
}

} // namespace

class TestIconLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every table name and the fallback have a file of their own, and the resource bundles
    // exactly these files. It is built from the list that the fetch script writes from the
    // table, so this fails when someone edits the table and forgets to run the script.
    void tableFilesAreDistinctAndBundled()
    {
        QSet<QString> expected{QFileInfo(IconLibrary::fallbackIconFile()).fileName()};
        for (const QString &name : IconLibrary::symbolNames())
            expected.insert(QFileInfo(IconLibrary::iconFile(name)).fileName());
        QCOMPARE(expected.size(), IconLibrary::symbolNames().size() + 1);
        const QStringList bundled = QDir(u":/icons"_s).entryList(QDir::Files);
        QCOMPARE(QSet<QString>(bundled.cbegin(), bundled.cend()), expected);
    }

    void rendersGivenColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        // Every name in the table, and names that only look like known ones.
        for (const QString &name : IconLibrary::symbolNames())
            QTest::newRow(qPrintable(name)) << name << true;
        for (const QString &unknown : {u""_s, u"Wifi"_s, u"wifi "_s, u"scissors.fill"_s})
            QTest::addRow("unknown '%s'", qPrintable(unknown)) << unknown << false;
    }

    // A known name has its own valid file, any other the fallback. The outline layer takes the
    // primary colour, a duotone file's background layer the secondary one, and no part is left
    // in the files' own default colour (black).
    void rendersGivenColours()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        const QString file = IconLibrary::iconFile(name);
        QCOMPARE(IconLibrary::isKnown(name), known);
        QCOMPARE(file == IconLibrary::fallbackIconFile(), !known);
        QVERIFY2(QSvgRenderer(file).isValid(), qPrintable(file));
        const QImage image = IconLibrary::render(name, QSize(64, 64), kRed, kBlue);
        const int primary = countNear(image, kRed);
        QVERIFY2(primary > 40, qPrintable(QString::number(primary)));
        // Some glyphs (the documents) have only a folded corner as background layer.
        if (file.endsWith("-duotone.svg"_L1))
            QVERIFY2(countNear(image, kBlue) > 15, qPrintable(file));
        else
            QCOMPARE(countNear(image, kBlue, 1), 0);
        QCOMPARE(countNear(image, Qt::black, 1), 0);
        // Other colours at the same size are drawn afresh, not served from the image cache.
        QCOMPARE(countNear(IconLibrary::render(name, QSize(64, 64), kBlue, kRed), kBlue), primary);
    }

    // A pixmap holds size * ratio pixels; no ratio counts as 1 rather than drawing nothing.
    void pixmapKeepsSizeAtAnyPixelRatio()
    {
        for (const qreal ratio : {0.0, 1.5, 2.0})
            QCOMPARE(IconLibrary::pixmap(u"gear"_s, {24, 24}, kRed, kBlue, ratio)
                         .deviceIndependentSize(),
                     QSizeF(24, 24));
    }
};

} // namespace hb

QTEST_MAIN(hb::TestIconLibrary)
#include "tst_IconLibrary.moc"
