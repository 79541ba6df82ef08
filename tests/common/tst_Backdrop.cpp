#include "common/Backdrop.h"

#include <QApplication>
#include <QTest>

using hb::Backdrop;

class TestBackdrop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsSizeAndStops_data();
    void followsSizeAndStops();
};

void TestBackdrop::followsSizeAndStops_data()
{
    QTest::addColumn<QSize>("first");
    QTest::addColumn<QSize>("second");
    QTest::newRow("grows") << QSize(80, 60) << QSize(300, 200);
    QTest::newRow("shrinks") << QSize(300, 200) << QSize(40, 30);
}

// The corners carry the first and last stops at every size, and new stops show at once.
void TestBackdrop::followsSizeAndStops()
{
    QFETCH(QSize, first);
    QFETCH(QSize, second);
    Backdrop backdrop({{0.0, Qt::red}, {1.0, Qt::blue}});
    // The gradient is sampled at pixel centres, so the corners come within a few levels.
    const auto near = [](QColor actual, QColor expected) {
        return qAbs(actual.red() - expected.red()) <= 8 &&
               qAbs(actual.green() - expected.green()) <= 8 &&
               qAbs(actual.blue() - expected.blue()) <= 8;
    };
    const auto cornersAre = [&](QSize size, QColor topLeft, QColor bottomRight) {
        backdrop.resize(size);
        const QImage image = backdrop.grab().toImage();
        return image.size() == size && near(image.pixelColor(0, 0), topLeft) &&
               near(image.pixelColor(image.width() - 1, image.height() - 1), bottomRight);
    };
    QVERIFY(cornersAre(first, Qt::red, Qt::blue));
    QVERIFY(cornersAre(second, Qt::red, Qt::blue));
    backdrop.setStops({{0.0, Qt::green}, {1.0, Qt::yellow}});
    QVERIFY(cornersAre(second, Qt::green, Qt::yellow));
}

QTEST_MAIN(TestBackdrop)
#include "tst_Backdrop.moc"
