#include "games/BouncingMonitorsFieldPainter.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <cstring>

namespace hb {
namespace {

constexpr qreal kCornerRadius = 18;
const QColor kCardFill(255, 255, 255, 8);
const QColor kBorderColor(255, 255, 255, 31);

} // namespace

void BouncingMonitorsFieldPainter::paint(QPainter &painter, const BouncingMonitorsGameScene &scene,
                                         QSize size)
{
    const qreal pixelRatio = painter.device() ? painter.device()->devicePixelRatio() : 1;
    QThreadPool *pool = QThreadPool::globalInstance();
    if (pool->contains(QThread::currentThread())) {
        render(scene, size, pixelRatio); // nothing to gain, and the pool may have no thread left
    } else {
        // The caller waits, so the job has the scene to itself.
        QSemaphore done;
        pool->start([&] {
            render(scene, size, pixelRatio);
            done.release();
        });
        done.acquire();
    }

    // Placed at its size in points, the image would be resampled at a fractional ratio, at many
    // times the cost.
    painter.save();
    painter.scale(1 / pixelRatio, 1 / pixelRatio);
    painter.drawImage(QRectF(QPointF(), QSizeF(m_image.size())), m_image);
    painter.restore();
}

void BouncingMonitorsFieldPainter::render(const BouncingMonitorsGameScene &scene, QSize size,
                                          qreal pixelRatio)
{
    const QRectF card = QRectF(QPointF(), size).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(card, kCornerRadius, kCornerRadius);

    // The card's fill changes only with the size: each frame starts from a copy of it.
    const QSize pixels = (QSizeF(size) * pixelRatio).toSize();
    if (m_card.size() != pixels || m_card.devicePixelRatio() != pixelRatio) {
        m_card = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_card.setDevicePixelRatio(pixelRatio);
        m_card.fill(Qt::transparent);
        QPainter painter(&m_card);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(outline, kCardFill);
        painter.end();
        m_image = m_card.copy();
    } else {
        std::memcpy(m_image.bits(), m_card.constBits(), size_t(m_card.sizeInBytes()));
    }

    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Monitors bounce off a frame 10 points inside the card, which clears its rounded corners;
    // only a ring can reach past them. Clipping to the corners would slow every frame down.
    m_scenePainter.paint(painter, scene);
    painter.setPen(QPen(kBorderColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

} // namespace hb
