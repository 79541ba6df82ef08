#include "browser/LoadingIndicator.h"

#include <QPainter>

namespace hb {

LoadingIndicator::LoadingIndicator(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(sizeHint());
    m_timer.setInterval(16);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 6) % 360;
        update();
    });
    hide();
}

void LoadingIndicator::setRunning(bool running)
{
    if (running == isRunning())
        return;
    if (running)
        m_timer.start();
    else
        m_timer.stop();
    setVisible(running);
}

void LoadingIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = QRectF(rect()).adjusted(4, 4, -4, -4);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 3));
    painter.drawEllipse(ring);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 3, Qt::SolidLine, Qt::RoundCap));
    // QPainter counts angles in sixteenths of a degree, anticlockwise.
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}

} // namespace hb
