#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace hb;
using namespace Qt::StringLiterals;
using Step = MonitorCalibrationStep;

namespace {

// The pattern fills an area offset inside the image, so drawing outside the area shows.
constexpr QPoint kOffset(7, 5);
constexpr QSize kSizes[] = {{800, 600}, {1001, 517}};

QImage render(Step step, QSize size)
{
    QImage image(size + QSize(2 * kOffset.x(), 2 * kOffset.y()), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    MonitorCalibrationPatternPainter::paint(painter, QRectF(kOffset, size), step);
    return image;
}

QColor level(double r, double g, double b)
{
    const auto byte = [](double v) { return qRound(255 * std::clamp(v, 0.0, 1.0)); };
    return QColor(byte(r), byte(g), byte(b));
}

QColor grey(double v)
{
    return level(v, v, v);
}

bool near(const QColor &a, const QColor &b)
{
    return std::max({qAbs(a.red() - b.red()), qAbs(a.green() - b.green()),
                     qAbs(a.blue() - b.blue())}) <= 1;
}

void addSample(Step step, QSize size, QPointF at, const QColor &expected)
{
    QTest::addRow("%s %d,%d in %dx%d", qPrintable(stepTitle(step)), int(at.x()), int(at.y()),
                  size.width(), size.height())
        << step << size << at.toPoint() << expected;
}

} // namespace

class TestMonitorCalibrationPatternPainter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samples_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("expected");

        const QColor primaries[] = {level(1, 0, 0), level(0, 1, 0), level(0, 0, 1), level(0, 1, 1),
                                    level(1, 0, 1), level(1, 1, 0), level(1, 1, 1), level(0, 0, 0)};
        for (const QSize size : kSizes) {
            const double w = size.width(), h = size.height();
            for (const auto &[step, levels, background] :
                 {std::tuple{Step::Brightness, QList{0.0, 0.01, 0.02, 0.04, 0.08}, 0.0},
                  std::tuple{Step::Contrast, QList{0.92, 0.96, 0.98, 0.99, 1.0}, 1.0}}) {
                for (int i = 0; i < 5; ++i)
                    addSample(step, size, {40 + (i + 0.5) * (w - 80) / 5, h / 2}, grey(levels[i]));
                addSample(step, size, {20, h / 2}, grey(background));
                addSample(step, size, {w / 2, h / 2 - 100}, grey(background));
            }
            for (const Step step : {Step::Gamma, Step::Grayscale}) {
                addSample(step, size, {0, 10}, grey(0));
                addSample(step, size, {w - 1, 10}, grey(1));
            }
            const double cw = (w - 48 - 36) / 4, ch = (h - 48 - 12) / 2;
            for (int i = 0; i < 8; ++i) {
                const int row = i / 4, column = i % 4;
                addSample(Step::Primaries, size,
                          {24 + column * (cw + 12) + cw / 2, 24 + row * (ch + 12) + ch / 2},
                          primaries[i]);
            }
            addSample(Step::Primaries, size, {24 + cw + 6, 24 + ch / 2}, grey(0));
            addSample(Step::Primaries, size, {24 + cw / 2, 24 + ch + 6}, grey(0));
            addSample(Step::Uniformity, size, {10, 10}, grey(0.9));
            addSample(Step::Uniformity, size, {20 + (w - 40) / 32, 20 + (h - 40) / 20}, grey(0.9));
        }
        // Crisp bar edges, where a bar differs from the background.
        addSample(Step::Contrast, kSizes[0], {39, 300}, grey(1));
        addSample(Step::Contrast, kSizes[0], {40, 300}, grey(0.92));
        addSample(Step::Contrast, kSizes[0], {100, 209}, grey(1));
        addSample(Step::Brightness, kSizes[0], {759, 390}, grey(0));
    }

    void samples()
    {
        QFETCH(Step, step);
        QFETCH(QSize, size);
        QFETCH(QPoint, at);
        QFETCH(QColor, expected);

        const QImage image = render(step, size);
        const QColor actual = image.pixelColor(at + kOffset);
        QVERIFY2(near(actual, expected), qPrintable(actual.name() + u" != "_s + expected.name()));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::magenta));
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::magenta));
    }

    void stripSteps_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRectF>("strip");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("tinted");

        for (const QSize size : kSizes) {
            const qreal w = size.width() - 80, bottom = size.height() - 24;
            QTest::addRow("gamma %d", size.width())
                << Step::Gamma << size << QRectF(40, bottom - 120, w, 120) << 24 << false;
            QTest::addRow("grey ramp %d", size.width())
                << Step::Grayscale << size << QRectF(40, bottom - 190, w, 120) << 16 << false;
            QTest::addRow("tinted ramp, red < green < blue, blue clamped %d", size.width())
                << Step::Grayscale << size << QRectF(40, bottom - 70, w, 70) << 16 << true;
        }
    }

    // Every pixel of the strip's top, middle and bottom rows has its step's colour: no gaps and
    // no blended edges. A pixel whose centre lies exactly on an edge may go either way.
    void stripSteps()
    {
        QFETCH(Step, step);
        QFETCH(QSize, size);
        QFETCH(QRectF, strip);
        QFETCH(int, steps);
        QFETCH(bool, tinted);

        const QImage image = render(step, size);
        const auto colourAt = [&](double x) {
            const double i = std::clamp(std::floor((x - strip.left()) * steps / strip.width()), 0.0,
                                        steps - 1.0);
            const double v = i / (steps - 1);
            return tinted ? level(0.98 * v, v, 1.02 * v) : grey(v);
        };
        for (const double y : {strip.top(), strip.center().y(), strip.bottom() - 1}) {
            for (int x = int(std::ceil(strip.left())); x < strip.right(); ++x) {
                const QColor actual = image.pixelColor(QPoint(x, int(y)) + kOffset);
                QVERIFY2(near(actual, colourAt(x + 0.499)) || near(actual, colourAt(x + 0.501)),
                         qPrintable(u"%1 at %2,%3"_s.arg(actual.name()).arg(x).arg(y)));
            }
        }
    }
};

QTEST_MAIN(TestMonitorCalibrationPatternPainter)
#include "tst_MonitorCalibrationPatternPainter.moc"
