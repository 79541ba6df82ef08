#include "games/BouncingMonitorsScenePainter.h"

#include "games/BouncingMonitorsGameScene.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace hb {
namespace {

// Room around a monitor's shapes for their antialiased edges.
constexpr qreal kSpriteMargin = 2;

void drawShape(QPainter &painter, const BouncingMonitorsNode &node)
{
    if (node.stroke.isVisible() && node.lineWidth > 0)
        painter.setPen(QPen(node.stroke.toQColor(), node.lineWidth));
    else
        painter.setPen(Qt::NoPen);
    painter.setBrush(node.fill.isVisible() ? QBrush(node.fill.toQColor()) : QBrush());
    painter.drawRoundedRect(node.rect, node.cornerRadius, node.cornerRadius);
}

BouncingMonitorsColor screenFill(const BouncingMonitorsNode &monitor)
{
    const BouncingMonitorsNode *screen = monitor.childNamed(BouncingMonitorsGameScene::kScreenName);
    return screen ? screen->fill : BouncingMonitorsColor::clear();
}

} // namespace

void BouncingMonitorsScenePainter::paintMonitor(QPainter &painter,
                                                const BouncingMonitorsNode &monitor)
{
    std::vector<const BouncingMonitorsNode *> shapes{&monitor};
    for (const BouncingMonitorsNode &child : monitor.children)
        shapes.push_back(&child);
    // By depth; the parent before children of the same depth, siblings in their order.
    std::stable_sort(shapes.begin(), shapes.end(),
                     [](const auto *a, const auto *b) { return a->zPosition < b->zPosition; });
    for (const BouncingMonitorsNode *shape : shapes)
        drawShape(painter, *shape);
}

QRectF BouncingMonitorsScenePainter::monitorBounds(const BouncingMonitorsNode &monitor)
{
    const qreal halfStroke = monitor.lineWidth / 2;
    QRectF bounds = monitor.rect.adjusted(-halfStroke, -halfStroke, halfStroke, halfStroke);
    for (const BouncingMonitorsNode &child : monitor.children)
        bounds |= child.rect;
    return bounds;
}

BouncingMonitorsScenePainter::Sprite
BouncingMonitorsScenePainter::makeSprite(const BouncingMonitorsNode &monitor, qreal pixelRatio)
{
    Sprite sprite{monitor.rect, screenFill(monitor), pixelRatio, {}, {}};
    const QRectF shapes = monitorBounds(monitor);
    const QSize pixels(int(std::ceil((shapes.width() + 2 * kSpriteMargin) * pixelRatio)),
                       int(std::ceil((shapes.height() + 2 * kSpriteMargin) * pixelRatio)));
    // In the monitor's coordinates, centred on the shapes.
    sprite.bounds = QRectF(QPointF(), QSizeF(pixels) / pixelRatio);
    sprite.bounds.moveCenter(shapes.center());
    sprite.image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    sprite.image.setDevicePixelRatio(pixelRatio);
    sprite.image.fill(Qt::transparent);

    QPainter painter(&sprite.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-sprite.bounds.left(), sprite.bounds.bottom());
    painter.scale(1, -1);
    paintMonitor(painter, monitor);
    return sprite;
}

void BouncingMonitorsScenePainter::paint(QPainter &painter, const BouncingMonitorsGameScene &scene)
{
    const qreal pixelRatio = painter.device() ? painter.device()->devicePixelRatio() : 1;
    painter.save();
    // The images' transparent margins make their own edges soft; filtering keeps them smooth
    // at any angle.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(0, scene.size().height());
    painter.scale(1, -1);

    QHash<const b2Body *, Sprite> sprites;
    sprites.reserve(scene.monitorNodes().size());
    for (const BouncingMonitorsNode &monitor : scene.monitorNodes()) {
        Sprite sprite = m_sprites.take(monitor.body);
        if (sprite.image.isNull() || sprite.rect != monitor.rect ||
            sprite.screen != screenFill(monitor) || sprite.pixelRatio != pixelRatio)
            sprite = makeSprite(monitor, pixelRatio);
        painter.save();
        painter.translate(monitor.position);
        painter.rotate(monitor.rotation * 180 / std::numbers::pi);
        painter.scale(1, -1); // images run top to bottom
        painter.drawImage(QRectF(sprite.bounds.left(), -sprite.bounds.bottom(),
                                 sprite.bounds.width(), sprite.bounds.height()),
                          sprite.image);
        painter.restore();
        sprites.emplace(monitor.body, std::move(sprite));
    }
    m_sprites.swap(sprites);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (const BouncingMonitorsHitBurst &burst : scene.hitBursts()) {
        const double scale = burst.scale();
        const double radius = BouncingMonitorsHitBurst::kRadius * scale;
        painter.setPen(
            QPen(burst.strokeColor().toQColor(), BouncingMonitorsHitBurst::kLineWidth * scale));
        painter.drawEllipse(burst.position, radius, radius);
    }
    painter.restore();
}

} // namespace hb
