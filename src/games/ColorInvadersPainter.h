#pragma once

#include "games/ColorInvadersRecords.h"

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QSizeF>

#include <array>

class QPainter;

namespace hb {

// Draws one frame of Color Invaders over a field of the given size: the oscilloscope trace,
// invaders, shots, particles, the cursor, the heads-up line and whichever panel the state calls
// for (start, paused, game over). Positions are the state's fractions times the field's size.
//
// The screen draws a frame at the display's rate while the game runs, so what does not change
// from frame to frame is drawn once into pixmaps and only copied after that: the background
// (until the score or the size changes), one sprite per kind of invader, shot, particle colour
// and the cursor (until the size or the pixel ratio changes), and the heads-up line (until what
// it shows changes).
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
    // Drops every cached picture that depends on the field's size or the pixel ratio.
    void prepare(QSizeF field, qreal pixelRatio);
    const QImage &background(QSizeF field, qint64 score);
    const QPixmap &headsUp(QSizeF field, const ColorInvadersState &state, qint64 bestScore);
    void drawInvaders(QPainter &painter, QSizeF field, const QList<Invader> &invaders);
    void drawShots(QPainter &painter, QSizeF field, const QList<Bullet> &bullets);
    void drawParticles(QPainter &painter, QSizeF field, const QList<Particle> &particles);
    void drawCursor(QPainter &painter, QSizeF field, double playerX);
    void drawHeadsUp(QPainter &painter, QSizeF field, const ColorInvadersState &state,
                     qint64 bestScore);

    QHash<QString, QPixmap> m_icons;
    qreal m_iconPixelRatio = 0;

    QSizeF m_field;
    qreal m_pixelRatio = 0;
    QImage m_background;
    qint64 m_backgroundScore = 0;
    std::array<QPixmap, 4> m_invaders; // by InvaderType
    std::array<QPixmap, 2> m_shots;    // the player's, the invaders'
    QHash<QRgb, QPixmap> m_particles;
    QPixmap m_cursor;
    QPixmap m_headsUp;
    std::array<qint64, 4> m_headsUpShows{}; // score, best, level, lives
};

} // namespace hb
