#include "games/BouncingMonitorsFieldView.h"

#include "games/BouncingMonitorsGameScene.h"

#include <QMouseEvent>
#include <QPainter>

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
    QPainter painter(this);
    m_painter.paint(painter, m_scene, size());
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
