#include "common/Backdrop.h"

#include <QLinearGradient>
#include <QPainter>

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

QGradientStops Backdrop::stops() const
{
    return m_stops.isEmpty() ? standardStops(palette().color(QPalette::Window)) : m_stops;
}

void Backdrop::setStops(const QGradientStops &stops)
{
    m_stops = stops;
    update();
}

void Backdrop::paintEvent(QPaintEvent *)
{
    QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
    gradient.setStops(stops());
    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

} // namespace hb
