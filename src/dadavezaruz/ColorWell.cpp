#include "dadavezaruz/ColorWell.h"

#include <QPainter>

namespace hb {
namespace {

const QSize kWellSize(44, 26);

QPixmap swatch(const QColor &color, QSize size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.3f), 1));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5), 6,
                            6);
    return pixmap;
}

} // namespace

ColorWell::ColorWell(const QString &name, QWidget *parent) : QToolButton(parent)
{
    setAccessibleName(name);
    setToolTip(name);
    setIconSize(kWellSize);
    setAutoRaise(true);
}

void ColorWell::setColor(const QColor &color)
{
    setIcon(swatch(color, kWellSize, devicePixelRatioF()));
}

} // namespace hb
