#pragma once

#include "games/ColorInvadersGame.h"
#include "games/ColorInvadersMotion.h"
#include "games/ColorInvadersPainter.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>
#include <QWidget>

namespace hb {

class Settings;

// The Color Invaders screen. The field fills the screen; dragging moves the cursor and a click
// shoots (or starts and restarts). From the keyboard: Left/Right or A/D move the cursor,
// Space shoots, Enter starts or restarts, P pauses and resumes. The game pauses by itself when
// the screen loses focus or is hidden. The best score is kept in the settings, which must outlive
// the screen.
//
// The game ticks every 0.05 s; while it runs, the screen is drawn at the display's rate with
// everything on its way between the last two ticks (ColorInvadersMotion). While it does not run
// (start panel, paused, game over, hidden), neither timer does.
class ColorInvadersGameView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTickMilliseconds = 50;
    // How far a held arrow key moves the cursor per tick, as a fraction of the width.
    static constexpr double kKeyboardStep = 0.02;

    explicit ColorInvadersGameView(Settings &settings, QWidget *parent = nullptr);
    // With the game's chance and clock given, for replayable games.
    ColorInvadersGameView(Settings &settings, ColorInvadersGame::Sources sources,
                          QWidget *parent = nullptr);
    ~ColorInvadersGameView() override;

    ColorInvadersGame &game() { return m_game; }
    const ColorInvadersGame &game() const { return m_game; }
    // The best score so far, including the game on screen.
    qint64 bestScore() const;
    bool isPausedAutomatically() const { return m_pausedAutomatically; }
    // Whether the game ticks and the frames between ticks are drawn.
    bool isTicking() const { return m_timer.isActive(); }
    bool isAnimating() const { return m_frameTimer.isActive(); }

    // One timer step: held keys move the cursor, then the game ticks.
    void advance();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Starts or stops the tick and the frames as the game runs or not.
    void syncTimers();
    void drawFrame();
    void nudgePlayer(int direction);
    void cursorMoved();
    void togglePause();
    void pauseAutomatically();
    // Writes the best score to the settings if this game beat it.
    void storeBestScore();

    Settings &m_settings;
    ColorInvadersGame m_game;
    ColorInvadersPainter m_painter;
    QTimer m_timer;
    QTimer m_frameTimer;
    QElapsedTimer m_sinceTick;
    ColorInvadersMotion m_motion;
    // The state as drawn between two ticks; its lists are reused from frame to frame.
    ColorInvadersState m_drawn;
    qint64 m_storedBest = 0;
    bool m_appeared = false;
    bool m_pausedAutomatically = false;
    bool m_leftHeld = false;
    bool m_rightHeld = false;
    bool m_pressed = false;
    QPoint m_pressPosition;
};

} // namespace hb
