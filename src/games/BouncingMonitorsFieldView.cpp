#include "games/BouncingMonitorsFieldView.h"

#include "games/BouncingMonitorsGameScene.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace hb {

BouncingMonitorsFieldView::BouncingMonitorsFieldView(BouncingMonitorsGameScene &scene,
                                                     QWidget *parent)
    : QWidget(parent), m_scene(scene)
{
    setMinimumSize(160, 120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::PointingHandCursor);
}

QSize BouncingMonitorsFieldView::sizeHint() const
{
    return {720, 440};
}

void BouncingMonitorsFieldView::paintEvent(QPaintEvent *)
{
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(card, kCornerRadius, kCornerRadius);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outline, QColor(255, 255, 255, 8));
    // Monitors bounce off a frame 10 points inside the card, which clears its rounded corners;
    // only a ring can reach past them. Clipping to the corners would slow every frame down.
    m_painter.paint(painter, m_scene);
    painter.setPen(QPen(QColor(255, 255, 255, 31), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

void BouncingMonitorsFieldView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_scene.setSize(size());
}

void BouncingMonitorsFieldView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    m_scene.mouseDown(QPointF(at.x(), height() - at.y()), double(event->timestamp()) / 1000);
    update();
}

} // namespace hb
