#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

using Painter = MonitorCalibrationPatternPainter;
using Range = MonitorCalibrationPatternPainter::Range;

constexpr qreal kCaptionBottom = 16;
constexpr qreal kCaptionSideMargin = 16;
// Kept clear above the caption and below the top edge when the bars must shrink.
constexpr qreal kBarsClearance = 8;
constexpr qreal kCellRadius = 12;
constexpr qreal kLabelOffset = 8;
constexpr qreal kMinCellWidth = 10;
constexpr double kFieldLevel = 0.9;
// The outline that sets the black cell apart from the black background.
constexpr qreal kBlackCellOutline = 2;
constexpr double kBlackCellOutlineOpacity = 0.3;

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
                const QRectF &plate, Range range)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Painter::colour(0, 0, 0, range, style.plateOpacity));
    painter.drawRoundedRect(plate, style.radius, style.radius);
    painter.setFont(subheadlineFont());
    painter.setPen(Painter::colour(1, 1, 1, range, style.textOpacity));
    const qreal p = style.padding;
    painter.drawText(plate.adjusted(p, p, -p, -p), Qt::AlignCenter, text);
    painter.restore();
}

// The caption as it fits across the area, shortened with an ellipsis when it does not.
QString fittedCaption(const QRectF &area, MonitorCalibrationStep step)
{
    const qreal room = area.width() - 2 * kCaptionSideMargin - 2 * kCaptionStyle.padding;
    return QFontMetricsF(subheadlineFont())
        .elidedText(Painter::caption(step), Qt::ElideRight, std::max<qreal>(0, room));
}

bool isBarPattern(MonitorCalibrationStep step)
{
    return !Painter::barLevels(step).isEmpty();
}

// The PLUGE bars stand apart with black between them, so each is judged against black.
bool barsHaveGaps(MonitorCalibrationStep step)
{
    return step == MonitorCalibrationStep::Pluge;
}

void paintBars(QPainter &painter, const QRectF &area, MonitorCalibrationStep step,
               double background, Range range)
{
    painter.fillRect(area, Painter::colour(background, background, background, range));
    const QList<double> levels = Painter::barLevels(step);
    const QList<QRectF> bars = Painter::barRects(area, step);
    for (qsizetype i = 0; i < bars.size(); ++i)
        painter.fillRect(bars[i], Painter::colour(levels[i], levels[i], levels[i], range));
    paintLabel(painter, fittedCaption(area, step), kCaptionStyle, Painter::captionRect(area, step),
               range);
}

void paintGradient(QPainter &painter, const QRectF &area, Range range)
{
    QLinearGradient gradient(area.topLeft(), area.topRight());
    gradient.setColorAt(0, Painter::colour(0, 0, 0, range));
    gradient.setColorAt(1, Painter::colour(1, 1, 1, range));
    painter.fillRect(area, gradient);
}

// A strip across the bottom of `area`, inset on both sides, its bottom `bottomGap` above the
// bottom edge.
QRectF bottomStrip(const QRectF &area, qreal height, qreal bottomGap)
{
    return QRectF(area.left() + Painter::kStripInset, area.bottom() - bottomGap - height,
                  area.width() - 2 * Painter::kStripInset, height);
}

QColor rampGrey(int i, int n, Range range)
{
    const double v = double(i) / (n - 1);
    return Painter::colour(v, v, v, range);
}

void paintGamma(QPainter &painter, const QRectF &area, Range range)
{
    paintGradient(painter, area, range);
    constexpr int n = Painter::kGammaSteps;
    paintSteps(painter, bottomStrip(area, Painter::kGammaStripHeight, Painter::kStripBottom), n,
               [range](int i) { return rampGrey(i, n, range); });
}

void paintGrayscale(QPainter &painter, const QRectF &area, Range range)
{
    paintGradient(painter, area, range);
    constexpr int n = Painter::kGreySteps;
    const QRectF tint = bottomStrip(area, Painter::kTintStripHeight, Painter::kStripBottom);
    const QRectF ramp = bottomStrip(area, Painter::kGreyStripHeight,
                                    Painter::kStripBottom + Painter::kTintStripHeight);
    paintSteps(painter, ramp, n, [range](int i) { return rampGrey(i, n, range); });
    // A ramp pulled slightly away from red and toward blue, so that a cast is easier to judge
    // against the neutral one above it.
    paintSteps(painter, tint, n, [range](int i) {
        const double v = double(i) / (n - 1);
        return Painter::colour(0.98 * v, v, 1.02 * v, range);
    });
}

void paintPrimaries(QPainter &painter, const QRectF &area, Range range)
{
    painter.fillRect(area, Painter::colour(0, 0, 0, range));
    const QList<MonitorCalibrationPatch> patches = primariesPatches();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < patches.size(); ++i) {
        const MonitorCalibrationPatch &patch = patches[i];
        const QRectF cell = Painter::primariesCell(area, i);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Painter::colour(patch.r, patch.g, patch.b, range));
        painter.drawRoundedRect(cell, kCellRadius, kCellRadius);
        if (patch.r == 0 && patch.g == 0 && patch.b == 0) {
            // The outline lies inside the cell, so the cell keeps its size.
            const qreal half = kBlackCellOutline / 2;
            painter.setPen(
                QPen(Painter::colour(1, 1, 1, range, kBlackCellOutlineOpacity), kBlackCellOutline));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(cell.adjusted(half, half, -half, -half), kCellRadius - half,
                                    kCellRadius - half);
        }
        const QSizeF size = plateSize(patch.name, kCellLabelStyle);
        paintLabel(painter, patch.name, kCellLabelStyle,
                   QRectF(QPointF(cell.left() + kLabelOffset,
                                  cell.bottom() - kLabelOffset - size.height()),
                          size),
                   range);
    }
    painter.restore();
}

void paintUniformity(QPainter &painter, const QRectF &area, Range range)
{
    painter.fillRect(area, Painter::colour(kFieldLevel, kFieldLevel, kFieldLevel, range));
    const QRectF grid = area.adjusted(Painter::kUniformityInset, Painter::kUniformityInset,
                                      -Painter::kUniformityInset, -Painter::kUniformityInset);
    constexpr int rows = Painter::kUniformityRows;
    constexpr int columns = Painter::kUniformityColumns;

    painter.save();
    painter.setPen(QPen(Painter::colour(0, 0, 0, range, 0.06), 1));
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
                                             MonitorCalibrationStep step, Range range)
{
    // Bars and steps get crisp edges; only the rounded shapes and text turn antialiasing on.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    switch (step) {
    case MonitorCalibrationStep::Brightness:
    case MonitorCalibrationStep::Pluge:
        paintBars(painter, area, step, 0, range);
        break;
    case MonitorCalibrationStep::Contrast:
        paintBars(painter, area, step, 1, range);
        break;
    case MonitorCalibrationStep::Gamma:
        paintGamma(painter, area, range);
        break;
    case MonitorCalibrationStep::Grayscale:
        paintGrayscale(painter, area, range);
        break;
    case MonitorCalibrationStep::Primaries:
        paintPrimaries(painter, area, range);
        break;
    case MonitorCalibrationStep::Uniformity:
        paintUniformity(painter, area, range);
        break;
    }
    painter.restore();
}

void MonitorCalibrationPatternPainter::paintPatch(QPainter &painter, const QRectF &area,
                                                  const MonitorCalibrationPatch &patch,
                                                  double fraction, Range range)
{
    painter.fillRect(area, colour(0, 0, 0, range));
    painter.fillRect(patchRect(area, fraction), colour(patch.r, patch.g, patch.b, range));
}

QRectF MonitorCalibrationPatternPainter::patchRect(const QRectF &area, double fraction)
{
    const double scale = std::sqrt(std::clamp(fraction, 0.0, 1.0));
    QRectF rect(0, 0, area.width() * scale, area.height() * scale);
    rect.moveCenter(area.center());
    return rect;
}

int MonitorCalibrationPatternPainter::code(double level, Range range)
{
    const double full = std::round(255 * level);
    if (range == Range::Full)
        return static_cast<int>(std::clamp(full, 0.0, 255.0));
    // 8-bit video levels: v becomes 16 + v × 219 / 255, rounded.
    return static_cast<int>(std::clamp(std::round(16 + full * 219 / 255), 0.0, 255.0));
}

QColor MonitorCalibrationPatternPainter::colour(double r, double g, double b, Range range,
                                                double alpha)
{
    return QColor(code(r, range), code(g, range), code(b, range),
                  static_cast<int>(std::round(255 * std::clamp(alpha, 0.0, 1.0))));
}

QList<double> MonitorCalibrationPatternPainter::barLevels(MonitorCalibrationStep step)
{
    switch (step) {
    case MonitorCalibrationStep::Brightness:
        return {0.0, 0.01, 0.02, 0.04, 0.08};
    case MonitorCalibrationStep::Pluge:
        // In video range -2 % is code 12, black 16, +2 % 20 and +4 % 25; in full range the
        // first bar clips to 0 and the others are 0, 5 and 10.
        return {-0.02, 0.0, 0.02, 0.04};
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
    case MonitorCalibrationStep::Pluge:
        return QStringLiteral("Bars \u22122%, 0, +2%, +4%: only the two on the right should show");
    case MonitorCalibrationStep::Contrast:
        return QStringLiteral("Near-white bars: only the leftmost should be clearly visible");
    default:
        return {};
    }
}

QRectF MonitorCalibrationPatternPainter::captionRect(const QRectF &area,
                                                     MonitorCalibrationStep step)
{
    if (!isBarPattern(step))
        return {};
    const QSizeF size = plateSize(fittedCaption(area, step), kCaptionStyle);
    return QRectF(QPointF(area.center().x() - size.width() / 2,
                          area.bottom() - kCaptionBottom - size.height()),
                  size);
}

QList<QRectF> MonitorCalibrationPatternPainter::barRects(const QRectF &area,
                                                         MonitorCalibrationStep step)
{
    const qsizetype n = barLevels(step).size();
    if (n == 0)
        return {};
    // Centred in the area when that leaves the caption clear, else centred in the room above it.
    const qreal room = captionRect(area, step).top() - kBarsClearance;
    qreal top = area.center().y() - kBarsHeight / 2;
    qreal height = kBarsHeight;
    if (top + height > room) {
        const qreal roomTop = area.top() + kBarsClearance;
        height = std::clamp(room - roomTop, 0.0, kBarsHeight);
        top = (roomTop + room - height) / 2;
    }
    const QRectF band(area.left() + kBarsInset, top, area.width() - 2 * kBarsInset, height);
    QList<QRectF> bars;
    const int slots = int(barsHaveGaps(step) ? 2 * n - 1 : n);
    for (int i = 0; i < n; ++i)
        bars.append(stepRect(band, barsHaveGaps(step) ? 2 * i : i, slots));
    return bars;
}

QRectF MonitorCalibrationPatternPainter::primariesCell(const QRectF &area, int index)
{
    constexpr int columns = kGridColumns;
    const int rows = int((primariesPatches().size() + columns - 1) / columns);
    const qreal width = std::max(
        kMinCellWidth, (area.width() - 2 * kGridMargin - (columns - 1) * kGridSpacing) / columns);
    const qreal height =
        std::max(0.0, (area.height() - 2 * kGridMargin - (rows - 1) * kGridSpacing) / rows);
    const int row = index / columns, column = index % columns;
    return QRectF(area.left() + kGridMargin + column * (width + kGridSpacing),
                  area.top() + kGridMargin + row * (height + kGridSpacing), width, height);
}

} // namespace hb
