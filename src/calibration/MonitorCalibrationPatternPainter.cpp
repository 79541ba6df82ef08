#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace hb {
namespace {

using Painter = MonitorCalibrationPatternPainter;

constexpr qreal kCaptionBottom = 16;
constexpr qreal kCellRadius = 12;
constexpr qreal kLabelOffset = 8;
constexpr qreal kMinCellWidth = 10;
constexpr double kFieldLevel = 0.9;

// The signal levels as a colour. A level above 1 (the blue of the tinted ramp) can't be shown on
// an 8-bit surface, and QColor::fromRgbF turns it into an extended-range colour whose handling
// differs between Qt versions (Qt 5 made it invalid), so clamp here, where a level becomes a
// colour, and nowhere earlier.
QColor levelColour(double r, double g, double b)
{
    const auto channel = [](double v) { return static_cast<float>(std::clamp(v, 0.0, 1.0)); };
    return QColor::fromRgbF(channel(r), channel(g), channel(b));
}

QColor grey(double level)
{
    return levelColour(level, level, level);
}

QColor translucent(const QColor &colour, double opacity)
{
    QColor result = colour;
    result.setAlphaF(static_cast<float>(opacity));
    return result;
}

// Caption and label text, a little smaller than body text.
QFont subheadlineFont()
{
    QFont font;
    font.setPointSizeF(11.5);
    return font;
}

// Step i of n across `strip`. Each step starts where the previous ends, so the rasteriser
// rounds shared edges the same way and leaves no gap between steps.
QRectF stepRect(const QRectF &strip, int i, int n)
{
    const qreal left = strip.left() + i * strip.width() / n;
    const qreal right = strip.left() + (i + 1) * strip.width() / n;
    return QRectF(left, strip.top(), right - left, strip.height());
}

// A row of n steps, step i filled with colourOf(i).
template <typename ColourOf>
void paintSteps(QPainter &painter, const QRectF &strip, int n, ColourOf colourOf)
{
    for (int i = 0; i < n; ++i)
        painter.fillRect(stepRect(strip, i, n), colourOf(i));
}

struct LabelStyle {
    qreal padding;
    qreal radius;
    double plateOpacity;
    double textOpacity;
};

constexpr LabelStyle kCaptionStyle{10, 10, 0.45, 0.95};
constexpr LabelStyle kCellLabelStyle{8, 6, 0.35, 1.0};

QSizeF plateSize(const QString &text, const LabelStyle &style)
{
    const QFontMetricsF metrics(subheadlineFont());
    return QSizeF(metrics.horizontalAdvance(text) + 2 * style.padding,
                  metrics.height() + 2 * style.padding);
}

// `text` in white on a translucent black rounded plate.
void paintLabel(QPainter &painter, const QString &text, const LabelStyle &style,
                const QRectF &plate)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(translucent(Qt::black, style.plateOpacity));
    painter.drawRoundedRect(plate, style.radius, style.radius);
    painter.setFont(subheadlineFont());
    painter.setPen(translucent(Qt::white, style.textOpacity));
    const qreal p = style.padding;
    painter.drawText(plate.adjusted(p, p, -p, -p), Qt::AlignCenter, text);
    painter.restore();
}

void paintBars(QPainter &painter, const QRectF &area, MonitorCalibrationStep step,
               const QColor &background)
{
    painter.fillRect(area, background);
    const QList<double> levels = Painter::barLevels(step);
    const QRectF bars(area.left() + Painter::kBarsInset,
                      area.center().y() - Painter::kBarsHeight / 2,
                      area.width() - 2 * Painter::kBarsInset, Painter::kBarsHeight);
    paintSteps(painter, bars, int(levels.size()), [&](int i) { return grey(levels[i]); });

    const QString text = Painter::caption(step);
    const QSizeF size = plateSize(text, kCaptionStyle);
    paintLabel(painter, text, kCaptionStyle,
               QRectF(QPointF(area.center().x() - size.width() / 2,
                              area.bottom() - kCaptionBottom - size.height()),
                      size));
}

void paintGradient(QPainter &painter, const QRectF &area)
{
    QLinearGradient gradient(area.topLeft(), area.topRight());
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(area, gradient);
}

// A strip across the bottom of `area`, inset on both sides, its bottom `bottomGap` above the
// bottom edge.
QRectF bottomStrip(const QRectF &area, qreal height, qreal bottomGap)
{
    return QRectF(area.left() + Painter::kStripInset, area.bottom() - bottomGap - height,
                  area.width() - 2 * Painter::kStripInset, height);
}

void paintGamma(QPainter &painter, const QRectF &area)
{
    paintGradient(painter, area);
    constexpr int n = Painter::kGammaSteps;
    paintSteps(painter, bottomStrip(area, Painter::kGammaStripHeight, Painter::kStripBottom), n,
               [](int i) { return grey(double(i) / (n - 1)); });
}

void paintGrayscale(QPainter &painter, const QRectF &area)
{
    paintGradient(painter, area);
    constexpr int n = Painter::kGreySteps;
    const QRectF tint = bottomStrip(area, Painter::kTintStripHeight, Painter::kStripBottom);
    const QRectF ramp = bottomStrip(area, Painter::kGreyStripHeight,
                                    Painter::kStripBottom + Painter::kTintStripHeight);
    paintSteps(painter, ramp, n, [](int i) { return grey(double(i) / (n - 1)); });
    // A ramp pulled slightly away from red and toward blue, so that a cast is easier to judge
    // against the neutral one above it.
    paintSteps(painter, tint, n, [](int i) {
        const double v = double(i) / (n - 1);
        return levelColour(0.98 * v, v, 1.02 * v);
    });
}

void paintPrimaries(QPainter &painter, const QRectF &area)
{
    painter.fillRect(area, Qt::black);
    const QList<MonitorCalibrationPatch> patches = primariesPatches();
    constexpr int columns = Painter::kGridColumns;
    const int rows = int((patches.size() + columns - 1) / columns);
    const qreal margin = Painter::kGridMargin;
    const qreal spacing = Painter::kGridSpacing;
    const qreal width =
        std::max(kMinCellWidth, (area.width() - 2 * margin - (columns - 1) * spacing) / columns);
    const qreal height = std::max(0.0, (area.height() - 2 * margin - (rows - 1) * spacing) / rows);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < patches.size(); ++i) {
        const MonitorCalibrationPatch &patch = patches[i];
        const int row = i / columns, column = i % columns;
        const QRectF cell(area.left() + margin + column * (width + spacing),
                          area.top() + margin + row * (height + spacing), width, height);
        painter.setBrush(levelColour(patch.r, patch.g, patch.b));
        painter.drawRoundedRect(cell, kCellRadius, kCellRadius);
        const QSizeF size = plateSize(patch.name, kCellLabelStyle);
        paintLabel(painter, patch.name, kCellLabelStyle,
                   QRectF(QPointF(cell.left() + kLabelOffset,
                                  cell.bottom() - kLabelOffset - size.height()),
                          size));
    }
    painter.restore();
}

void paintUniformity(QPainter &painter, const QRectF &area)
{
    painter.fillRect(area, grey(kFieldLevel));
    const QRectF grid = area.adjusted(Painter::kUniformityInset, Painter::kUniformityInset,
                                      -Painter::kUniformityInset, -Painter::kUniformityInset);
    constexpr int rows = Painter::kUniformityRows;
    constexpr int columns = Painter::kUniformityColumns;

    painter.save();
    painter.setPen(QPen(translucent(Qt::black, 0.06), 1));
    // The cell outlines as whole grid lines, so an edge two cells share is drawn once and the
    // inner lines come out no darker than the border.
    for (int c = 0; c <= columns; ++c) {
        const qreal x = grid.left() + c * grid.width() / columns;
        painter.drawLine(QPointF(x, grid.top()), QPointF(x, grid.bottom()));
    }
    for (int r = 0; r <= rows; ++r) {
        const qreal y = grid.top() + r * grid.height() / rows;
        painter.drawLine(QPointF(grid.left(), y), QPointF(grid.right(), y));
    }
    painter.restore();
}

} // namespace

void MonitorCalibrationPatternPainter::paint(QPainter &painter, const QRectF &area,
                                             MonitorCalibrationStep step)
{
    // Bars and steps get crisp edges; only the rounded shapes and text turn antialiasing on.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    switch (step) {
    case MonitorCalibrationStep::Brightness:
        paintBars(painter, area, step, Qt::black);
        break;
    case MonitorCalibrationStep::Contrast:
        paintBars(painter, area, step, Qt::white);
        break;
    case MonitorCalibrationStep::Gamma:
        paintGamma(painter, area);
        break;
    case MonitorCalibrationStep::Grayscale:
        paintGrayscale(painter, area);
        break;
    case MonitorCalibrationStep::Primaries:
        paintPrimaries(painter, area);
        break;
    case MonitorCalibrationStep::Uniformity:
        paintUniformity(painter, area);
        break;
    }
    painter.restore();
}

QList<double> MonitorCalibrationPatternPainter::barLevels(MonitorCalibrationStep step)
{
    switch (step) {
    case MonitorCalibrationStep::Brightness:
        return {0.0, 0.01, 0.02, 0.04, 0.08};
    case MonitorCalibrationStep::Contrast:
        return {0.92, 0.96, 0.98, 0.99, 1.0};
    default:
        return {};
    }
}

QString MonitorCalibrationPatternPainter::caption(MonitorCalibrationStep step)
{
    switch (step) {
    case MonitorCalibrationStep::Brightness:
        return QStringLiteral("Near-black bars: only the rightmost should be clearly visible");
    case MonitorCalibrationStep::Contrast:
        return QStringLiteral("Near-white bars: only the leftmost should be clearly visible");
    default:
        return {};
    }
}

} // namespace hb
