#include "common/Backdrop.h"

#include <QTest>

using namespace hb;

class TestBackdrop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void runsFromTopLeftToBottomRight_data();
    void runsFromTopLeftToBottomRight();
};

namespace {

bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

} // namespace

void TestBackdrop::runsFromTopLeftToBottomRight_data()
{
    QTest::addColumn<QGradientStops>("stops");
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("last");

    const QColor window(30, 31, 36);
    QTest::newRow("standard") << QGradientStops{} << Backdrop::deepNavy() << window;
    QTest::newRow("custom") << QGradientStops{{0, Qt::red}, {1, Qt::blue}} << QColor(Qt::red)
                            << QColor(Qt::blue);
}

void TestBackdrop::runsFromTopLeftToBottomRight()
{
    QFETCH(QGradientStops, stops);
    QFETCH(QColor, first);
    QFETCH(QColor, last);

    Backdrop backdrop(stops);
    QPalette palette = backdrop.palette();
    palette.setColor(QPalette::Window, QColor(30, 31, 36));
    backdrop.setPalette(palette);
    backdrop.resize(200, 120);

    const QImage image = backdrop.grab().toImage();
    QVERIFY(near(image.pixelColor(0, 0), first));
    QVERIFY(near(image.pixelColor(199, 119), last));
    // Corners off the gradient line meet it half way.
    QVERIFY(!near(image.pixelColor(199, 0), first) && !near(image.pixelColor(199, 0), last));
}

QTEST_MAIN(TestBackdrop)
#include "tst_Backdrop.moc"
