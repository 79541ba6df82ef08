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
        MonitorCalibrationPatternPainter::paint(painter, area, m_step, m_range);
        return;
    }
    QPainterPath outline;
    outline.addRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(outline);
    MonitorCalibrationPatternPainter::paint(painter, area, m_step, m_range);
    painter.restore();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.10f), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

} // namespace hb
