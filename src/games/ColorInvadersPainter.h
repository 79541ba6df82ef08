#pragma once

#include "games/ColorInvadersRecords.h"

#include <QHash>
#include <QPixmap>
#include <QSizeF>

class QPainter;

namespace hb {

// Draws one frame of Color Invaders over a field of the given size: the oscilloscope trace,
// invaders, shots, particles, the cursor, the heads-up line and whichever panel the state calls
// for (start, paused, game over). Positions are the state's fractions times the field's size.
class ColorInvadersPainter {
public:
    // What the screen knows beyond the game itself.
    struct Extras {
        qint64 bestScore = 0;
        // The game paused itself because its screen lost focus or was hidden.
        bool pausedAutomatically = false;
    };

    // The game's name, as the screen's title and on the start panel.
    static QString title();

    void paint(QPainter &painter, QSizeF field, const ColorInvadersState &state,
               const Extras &extras);

private:
    // The symbol drawn at `size` points in one colour, cached per pixel ratio.
    QPixmap icon(const QString &symbol, int size, const QColor &color, qreal pixelRatio);
    void drawCursor(QPainter &painter, QSizeF field, double playerX, qreal pixelRatio);
    void drawHeadsUp(QPainter &painter, QSizeF field, const ColorInvadersState &state,
                     qint64 bestScore, qreal pixelRatio);

    QHash<QString, QPixmap> m_icons;
    qreal m_iconPixelRatio = 0;
};

} // namespace hb
