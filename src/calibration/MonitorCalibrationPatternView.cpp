#include "calibration/MonitorCalibrationPatternView.h"

#include <QPainter>
#include <QPainterPath>

namespace hb {

MonitorCalibrationPatternView::MonitorCalibrationPatternView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(160, 120);
}

void MonitorCalibrationPatternView::setStep(MonitorCalibrationStep step)
{
    if (m_step == step)
        return;
    m_step = step;
    update();
}

void MonitorCalibrationPatternView::setRange(MonitorCalibrationPatternPainter::Range range)
{
    if (m_range == range)
        return;
    m_range = range;
    update();
}

void MonitorCalibrationPatternView::setMeasurePatch(
    const std::optional<MonitorCalibrationPatch> &patch, MonitorCalibrationPatchArea area)
{
    if (m_patch == patch && m_area == area)
        return;
    m_patch = patch;
    m_area = area;
    update();
}

void MonitorCalibrationPatternView::setFramed(bool framed)
{
    if (m_framed == framed)
        return;
    m_framed = framed;
    update();
}

void MonitorCalibrationPatternView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF area = rect();
    if (!m_framed) {
        paintContent(painter, area);
        return;
    }
    QPainterPath outline;
    outline.addRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(outline);
    paintContent(painter, area);
    painter.restore();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.10f), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

void MonitorCalibrationPatternView::paintContent(QPainter &painter, const QRectF &area) const
{
    if (m_patch) {
        MonitorCalibrationPatternPainter::paintPatch(
            painter, area, *m_patch, MonitorCalibrationMeasureSequence::fraction(m_area), m_range);
    } else {
        MonitorCalibrationPatternPainter::paint(painter, area, m_step, m_range);
    }
}

} // namespace hb
