#include "common/Backdrop.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace hb {

QColor Backdrop::deepNavy()
{
    return QColor::fromRgbF(0.05f, 0.07f, 0.14f);
}

QColor Backdrop::nightBlue()
{
    return QColor::fromRgbF(0.04f, 0.05f, 0.10f);
}

QGradientStops Backdrop::standardStops(const QColor &windowBackground)
{
    return {{0.0, deepNavy()}, {0.5, nightBlue()}, {1.0, windowBackground}};
}

Backdrop::Backdrop(QWidget *parent) : Backdrop(QGradientStops{}, parent) {}

Backdrop::Backdrop(const QGradientStops &stops, QWidget *parent) : QWidget(parent), m_stops(stops)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Backdrop *Backdrop::fillWithScrolling(QWidget *screen, QWidget *content)
{
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto *backdrop = new Backdrop;
    auto *backdropLayout = new QVBoxLayout(backdrop);
    backdropLayout->setContentsMargins(0, 0, 0, 0);
    backdropLayout->addWidget(scroll);
    auto *layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);
    return backdrop;
}

QGradientStops Backdrop::stops() const
{
    return m_stops.isEmpty() ? standardStops(palette().color(QPalette::Window)) : m_stops;
}

void Backdrop::setStops(const QGradientStops &stops)
{
    m_stops = stops;
    update();
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    const qreal pixelRatio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * pixelRatio).toSize();
    const QGradientStops currentStops = stops();
    if (m_cache.size() != pixels || m_cacheStops != currentStops) {
        m_cache = QImage(pixels, QImage::Format_RGB32);
        QLinearGradient gradient(QPointF(0, 0), QPointF(pixels.width(), pixels.height()));
        gradient.setStops(currentStops);
        QPainter cachePainter(&m_cache);
        cachePainter.fillRect(m_cache.rect(), gradient);
        m_cacheStops = currentStops;
    }
    // Pixel for pixel: placed in points, a fractional ratio would resample the image.
    QPainter painter(this);
    painter.scale(1 / pixelRatio, 1 / pixelRatio);
    const QRect exposed = QRectF(QRectF(event->rect()).topLeft() * pixelRatio,
                                 QSizeF(event->rect().size()) * pixelRatio)
                              .toAlignedRect()
                              .intersected(m_cache.rect());
    painter.drawImage(exposed.topLeft(), m_cache, exposed);
}

} // namespace hb
