#include "calibration/MonitorCalibrationTrackingChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

constexpr int kCurveSamples = 48;
constexpr qreal kMargin = 6;
constexpr qreal kDot = 3.5;
constexpr double kMinimumReferenceLevel = 0.9;

} // namespace

MonitorCalibrationTrackingChart::MonitorCalibrationTrackingChart(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(90);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(QStringLiteral("Measured luminance of the grey patches (dots) against a display of "
                              "gamma 2.2 (line)"));
}

void MonitorCalibrationTrackingChart::setPoints(const QList<QPointF> &points)
{
    if (m_points == points)
        return;
    m_points = points;
    update();
}

std::optional<double> MonitorCalibrationTrackingChart::referenceLuminance(double level,
                                                                          QPointF brightest)
{
    if (!(brightest.x() > 0) || !(brightest.y() > 0) || level < 0)
        return std::nullopt;
    return brightest.y() * std::pow(level / brightest.x(), kReferenceGamma);
}

void MonitorCalibrationTrackingChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.18f), 1));
    painter.drawRect(plot);
    if (m_points.isEmpty())
        return;

    const QPointF brightest = m_points.last();
    double top = 0;
    for (const QPointF &point : m_points)
        top = std::max(top, point.y());
    if (!(top > 0))
        top = 1;
    top *= 1.1;
    // Dots at the ends of the scale stay inside the frame.
    const QRectF inner = plot.adjusted(kDot + 1, kDot + 1, -kDot - 1, -kDot - 1);
    const auto toPlot = [&](double level, double value) {
        return QPointF(inner.left() + level * inner.width(),
                       inner.bottom() - std::clamp(value / top, 0.0, 1.0) * inner.height());
    };

    // The curve needs a white or near-white reading to be scaled by.
    if (brightest.x() >= kMinimumReferenceLevel && referenceLuminance(1, brightest)) {
        QPainterPath curve;
        for (int i = 0; i <= kCurveSamples; ++i) {
            const double level = double(i) / kCurveSamples;
            const QPointF point = toPlot(level, *referenceLuminance(level, brightest));
            i == 0 ? curve.moveTo(point) : curve.lineTo(point);
        }
        painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.45f), 1.2, Qt::DashLine));
        painter.drawPath(curve);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Highlight));
    for (const QPointF &point : m_points)
        painter.drawEllipse(toPlot(point.x(), point.y()), kDot, kDot);
}

} // namespace hb
