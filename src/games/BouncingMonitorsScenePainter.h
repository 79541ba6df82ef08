#pragma once

#include "games/BouncingMonitorsColor.h"

#include <QHash>
#include <QImage>
#include <QRectF>

class QPainter;
class b2Body;

namespace hb {

class BouncingMonitorsGameScene;
struct BouncingMonitorsNode;

// Draws the scene over whatever is below it (the field is transparent): each monitor with its
// shadow, bezel, screen and stand in spawn order, then the hit rings on top. The painter's
// coordinates are the scene's points with y down, as in a widget of the scene's size.
//
// A monitor's look changes only when its screen gets a new hue, so each one is drawn once into
// an image at the device's pixel ratio, and every frame places that image turned to the body's
// angle. Rotated translucent vector shapes cost several times as much as one image each.
class BouncingMonitorsScenePainter {
public:
    void paint(QPainter &painter, const BouncingMonitorsGameScene &scene);

    // Draws one monitor's shapes in its own coordinates (y up), shadow first.
    static void paintMonitor(QPainter &painter, const BouncingMonitorsNode &monitor);
    // The area that paintMonitor covers, in the monitor's own coordinates (y up).
    static QRectF monitorBounds(const BouncingMonitorsNode &monitor);

private:
    struct Sprite {
        QRectF rect;
        BouncingMonitorsColor screen;
        qreal pixelRatio = 1;
        QRectF bounds;
        QImage image;
    };

    static Sprite makeSprite(const BouncingMonitorsNode &monitor, qreal pixelRatio);

    QHash<const b2Body *, Sprite> m_sprites;
};

} // namespace hb
