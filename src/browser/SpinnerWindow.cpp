#include "browser/SpinnerWindow.h"

#include <QPainter>
#include <QPainterPath>

namespace hb {
namespace {

constexpr qreal kCornerRadius = 12;
constexpr qreal kRingInset = 10;
constexpr qreal kLineWidth = 3;
// The status plate's colour without its translucency: a window of its own cannot show the page
// through it, and a solid plate keeps the white arc legible on any page.
const QColor kPlateColour(28, 28, 34);

} // namespace

SpinnerWindow::SpinnerWindow()
    : m_arcPen(QColor(255, 255, 255, 230), kLineWidth, Qt::SolidLine, Qt::RoundCap)
{
    setFlags(Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
             Qt::WindowDoesNotAcceptFocus);
}

void SpinnerWindow::advance(int degrees)
{
    m_angle = (m_angle + degrees) % 360;
    update();
}

void SpinnerWindow::resizeEvent(QResizeEvent *event)
{
    QRasterWindow::resizeEvent(event);
    const QRect area(QPoint(), size());
    QPainterPath outline;
    outline.addRoundedRect(QRectF(area), kCornerRadius, kCornerRadius);
    // The window's own shape, so that the page shows round its corners.
    setMask(QRegion(outline.toFillPolygon().toPolygon()));

    m_ring = QRectF(area).adjusted(kRingInset, kRingInset, -kRingInset, -kRingInset);
    const qreal ratio = devicePixelRatio();
    m_plate = QPixmap(size() * ratio);
    m_plate.setDevicePixelRatio(ratio);
    m_plate.fill(kPlateColour);
    QPainter painter(&m_plate);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 50), kLineWidth));
    painter.drawEllipse(m_ring);
}

void SpinnerWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_plate);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(m_arcPen);
    // QPainter counts angles in sixteenths of a degree, anticlockwise.
    painter.drawArc(m_ring, -m_angle * 16, 100 * 16);
}

} // namespace hb
