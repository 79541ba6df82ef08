#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace hb;
using namespace Qt::StringLiterals;
using Step = MonitorCalibrationStep;
using Painter = MonitorCalibrationPatternPainter;
using Range = Painter::Range;

namespace {

// The pattern fills an area offset inside the image, so drawing outside the area shows.
constexpr QPoint kOffset(7, 5);
constexpr QSize kSizes[] = {{800, 600}, {1001, 517}};

QImage render(Step step, QSize size, Range range = Range::Full)
{
    QImage image(size + QSize(2 * kOffset.x(), 2 * kOffset.y()), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    Painter::paint(painter, QRectF(kOffset, size), step, range);
    return image;
}

// A full-range colour as video levels put it: each 8-bit code c becomes 16 + c * 219 / 255.
QColor inVideoLevels(const QColor &full)
{
    const auto byte = [](int c) { return qRound(16 + c * 219.0 / 255); };
    return QColor(byte(full.red()), byte(full.green()), byte(full.blue()));
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

void addSample(Step step, QSize size, QPointF at, const QColor &full, const QColor &video)
{
    for (const Range range : {Range::Full, Range::Video}) {
        QTest::addRow("%s %s %d,%d in %dx%d", qPrintable(stepTitle(step)),
                      range == Range::Full ? "full" : "video", int(at.x()), int(at.y()),
                      size.width(), size.height())
            << step << range << size << at.toPoint() << (range == Range::Full ? full : video);
    }
}

// One row per range: the video-range pixel is the full-range one mapped to 16-235.
void addSample(Step step, QSize size, QPointF at, const QColor &expected)
{
    addSample(step, size, at, expected, inVideoLevels(expected));
}

} // namespace

class TestMonitorCalibrationPatternPainter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samples_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<Range>("range");
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
            // Four bars with black between them; only video levels can show the one below black.
            const double slot = (w - 80) / 7;
            addSample(Step::Pluge, size, {40 + 0.5 * slot, h / 2}, grey(0), QColor(12, 12, 12));
            for (int i = 1; i < 4; ++i)
                addSample(Step::Pluge, size, {40 + (2 * i + 0.5) * slot, h / 2},
                          grey(0.02 * (i - 1)));
            for (int i = 0; i < 3; ++i)
                addSample(Step::Pluge, size, {40 + (2 * i + 1.5) * slot, h / 2}, grey(0));
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
        QFETCH(Range, range);
        QFETCH(QSize, size);
        QFETCH(QPoint, at);
        QFETCH(QColor, expected);

        const QImage image = render(step, size, range);
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

    // The code values colourists expect, including the PLUGE's below-black bar, which only
    // video range can show.
    void codes_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("full");
        QTest::addColumn<int>("video");

        QTest::newRow("black") << 0.0 << 0 << 16;
        QTest::newRow("white") << 1.0 << 255 << 235;
        QTest::newRow("mid grey") << 0.5 << 128 << 126;
        QTest::newRow("below black -2%") << -0.02 << 0 << 12;
        QTest::newRow("above black +2%") << 0.02 << 5 << 20;
        QTest::newRow("above black +4%") << 0.04 << 10 << 25;
        QTest::newRow("above white, tinted ramp's blue") << 1.02 << 255 << 239;
        QTest::newRow("far out of range") << -2.0 << 0 << 0;
    }

    void codes()
    {
        QFETCH(double, level);
        QFETCH(int, full);
        QFETCH(int, video);

        QCOMPARE(Painter::code(level, Range::Full), full);
        QCOMPARE(Painter::code(level, Range::Video), video);
    }

    // However small the area, the caption stays clear of the bars and inside the area, and the
    // bars are drawn where they are laid out.
    void captionClearOfBars_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QSize>("size");

        for (const Step step : {Step::Brightness, Step::Pluge, Step::Contrast}) {
            for (const QSize size :
                 {QSize(160, 120), QSize(240, 160), QSize(420, 280), QSize(800, 600)}) {
                QTest::addRow("%s %dx%d", qPrintable(stepTitle(step)), size.width(), size.height())
                    << step << size;
            }
        }
    }

    void captionClearOfBars()
    {
        QFETCH(Step, step);
        QFETCH(QSize, size);

        const QRectF area(kOffset, size);
        const QRectF caption = Painter::captionRect(area, step);
        const QList<QRectF> bars = Painter::barRects(area, step);
        QCOMPARE(bars.size(), Painter::barLevels(step).size());
        QVERIFY(area.contains(caption));
        const QImage image = render(step, size);
        for (const QRectF &bar : bars) {
            QVERIFY2(!bar.intersects(caption), qPrintable(u"bar %1,%2 %3x%4"_s.arg(bar.x())
                                                              .arg(bar.y())
                                                              .arg(bar.width())
                                                              .arg(bar.height())));
            QVERIFY(area.contains(bar));
            QVERIFY(bar.height() >= 20);
        }
        const double level = Painter::barLevels(step).constLast();
        QVERIFY(near(image.pixelColor(bars.constLast().center().toPoint()), grey(level)));
        if (size.height() >= 600) { // room enough: the bars keep their full height, centred
            QCOMPARE(bars.at(0).top(), area.center().y() - 90);
            QCOMPARE(bars.at(0).height(), 180.0);
        }
    }

    // The black cell stands out from the black background by its outline, in both ranges.
    void blackCellOutlined_data()
    {
        QTest::addColumn<Range>("range");
        QTest::addColumn<QSize>("size");
        for (const QSize size : kSizes) {
            QTest::addRow("full %d", size.width()) << Range::Full << size;
            QTest::addRow("video %d", size.width()) << Range::Video << size;
        }
    }

    void blackCellOutlined()
    {
        QFETCH(Range, range);
        QFETCH(QSize, size);

        const QImage image = render(Step::Primaries, size, range);
        const QRectF cell = Painter::primariesCell(QRectF(kOffset, size), 7);
        const int black = Painter::code(0, range);
        const auto standsOut = [&](QPoint at) { return image.pixelColor(at).red() > black + 20; };
        const int middleY = int(cell.center().y());
        QVERIFY(standsOut({int(cell.left()) + 1, middleY}));
        QVERIFY(standsOut({int(std::ceil(cell.right())) - 2, middleY}));
        QVERIFY(standsOut({int(cell.center().x()), int(cell.top()) + 1}));
        // Inside and outside the outline it is black.
        QCOMPARE(image.pixelColor(cell.center().toPoint()).red(), black);
        QCOMPARE(image.pixelColor(int(cell.left()) - 3, middleY).red(), black);
    }
};

QTEST_MAIN(TestMonitorCalibrationPatternPainter)
#include "tst_MonitorCalibrationPatternPainter.moc"
