#pragma once

#include "games/BouncingMonitorsScenePainter.h"

#include <QImage>
#include <QSize>

class QPainter;

namespace hb {

class BouncingMonitorsGameScene;

// Draws the play field: a rounded card with a faint white border and the scene on it.
//
// Qt's raster engine splits a fill of many spans (every rotated monitor, the card's rows)
// across the global thread pool and waits for the pieces, unless it is already drawing on a
// thread of that pool. From the GUI thread those hand-offs cost more than the drawing, so the
// field is drawn into an image of its own as one job on a pool thread while the caller waits,
// then copied pixel for pixel, which the engine does without splitting.
class BouncingMonitorsFieldPainter {
public:
    // Draws the field, size points large, at the painter's origin, which is neither scaled nor
    // rotated (a widget's painter). The scene is read only while the call lasts.
    void paint(QPainter &painter, const BouncingMonitorsGameScene &scene, QSize size);

private:
    // Draws the field into m_image.
    void render(const BouncingMonitorsGameScene &scene, QSize size, qreal pixelRatio);

    BouncingMonitorsScenePainter m_scenePainter;
    QImage m_card; // the card's fill alone
    QImage m_image;
};

} // namespace hb
