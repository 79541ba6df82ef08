#include "games/ColorInvadersGameView.h"

#include "common/Settings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleHints>

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

constexpr int kDefaultFrameInterval = 16; // ms, about 60 Hz

} // namespace

ColorInvadersGameView::ColorInvadersGameView(Settings &settings, QWidget *parent)
    : ColorInvadersGameView(settings, ColorInvadersGame::systemSources(), parent)
{
}

ColorInvadersGameView::ColorInvadersGameView(Settings &settings, ColorInvadersGame::Sources sources,
                                             QWidget *parent)
    : QWidget(parent), m_settings(settings), m_game(std::move(sources)),
      m_storedBest(settings.integer(SettingsKey::gamesColorInvadersBestScore).value_or(0))
{
    setWindowTitle(ColorInvadersPainter::title());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(320, 320);

    // Both timers run only while the game does (syncTimers).
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &ColorInvadersGameView::advance);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &ColorInvadersGameView::drawFrame);
}

ColorInvadersGameView::~ColorInvadersGameView()
{
    storeBestScore();
}

qint64 ColorInvadersGameView::bestScore() const
{
    return std::max(m_storedBest, m_game.state().score);
}

QSize ColorInvadersGameView::sizeHint() const
{
    return {640, 720};
}

void ColorInvadersGameView::advance()
{
    const ColorInvadersState &state = m_game.state();
    if (state.gameState != GameState::playing || state.showStartOverlay)
        return;
    m_motion.remember(state);
    if (m_leftHeld != m_rightHeld)
        nudgePlayer(m_rightHeld ? 1 : -1);
    m_game.tick(width(), height());
    m_sinceTick.start();
    if (state.gameState == GameState::gameOver)
        storeBestScore();
    update();
    syncTimers();
}

void ColorInvadersGameView::syncTimers()
{
    const ColorInvadersState &state = m_game.state();
    const bool running =
        isVisible() && state.gameState == GameState::playing && !state.showStartOverlay;
    if (running == m_timer.isActive())
        return;
    if (!running) {
        m_timer.stop();
        m_frameTimer.stop();
        m_motion.clear();
        update();
        return;
    }
    int interval = kDefaultFrameInterval;
    if (const QScreen *display = screen(); display && display->refreshRate() > 1)
        interval = std::clamp(int(std::lround(1000 / display->refreshRate())), 4, 33);
    // The first tick comes a whole interval from now; until then the state is drawn as it is.
    m_motion.clear();
    m_sinceTick.start();
    m_timer.start();
    m_frameTimer.start(interval);
}

void ColorInvadersGameView::drawFrame()
{
    update();
}

void ColorInvadersGameView::nudgePlayer(int direction)
{
    m_game.movePlayer((m_game.state().playerX + direction * kKeyboardStep) * width(), width());
}

void ColorInvadersGameView::cursorMoved()
{
    m_motion.cursorJumped(m_game.state().playerX);
}

void ColorInvadersGameView::togglePause()
{
    if (m_game.resume() || m_game.pause())
        m_pausedAutomatically = false;
    update();
    syncTimers();
}

void ColorInvadersGameView::pauseAutomatically()
{
    m_leftHeld = m_rightHeld = m_pressed = false;
    if (m_game.pause()) {
        m_pausedAutomatically = true;
        storeBestScore();
        update();
    }
    syncTimers();
}

void ColorInvadersGameView::storeBestScore()
{
    const qint64 score = m_game.state().score;
    if (score <= m_storedBest)
        return;
    m_storedBest = score;
    m_settings.setInteger(SettingsKey::gamesColorInvadersBestScore, score);
}

void ColorInvadersGameView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const ColorInvadersPainter::Extras extras{bestScore(), m_pausedAutomatically};
    if (!m_frameTimer.isActive())
        return m_painter.paint(painter, size(), m_game.state(), extras);
    const double sinceTick = double(m_sinceTick.nsecsElapsed()) / 1e6;
    m_motion.blend(m_game.state(), sinceTick / kTickMilliseconds, m_drawn);
    m_painter.paint(painter, size(), m_drawn, extras);
}

void ColorInvadersGameView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    // Dragging starts at once: the press already brings the cursor under the pointer, and the
    // click that follows shoots from there.
    m_pressed = true;
    m_pressPosition = event->position().toPoint();
    m_game.movePlayer(event->position().x(), width());
    cursorMoved();
    update();
}

void ColorInvadersGameView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return QWidget::mouseMoveEvent(event);
    m_game.movePlayer(event->position().x(), width());
    cursorMoved();
    update();
}

void ColorInvadersGameView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return QWidget::mouseReleaseEvent(event);
    m_pressed = false;
    const bool isClick = (event->position().toPoint() - m_pressPosition).manhattanLength() <
                         QApplication::styleHints()->startDragDistance();
    if (isClick && rect().contains(event->position().toPoint())) {
        m_game.handleTap();
        update();
        syncTimers();
    }
}

void ColorInvadersGameView::keyPressEvent(QKeyEvent *event)
{
    const ColorInvadersState &state = m_game.state();
    const bool running = state.gameState == GameState::playing && !state.showStartOverlay;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_A:
    case Qt::Key_Right:
    case Qt::Key_D: {
        const bool right = event->key() == Qt::Key_Right || event->key() == Qt::Key_D;
        (right ? m_rightHeld : m_leftHeld) = true;
        if (!event->isAutoRepeat()) {
            nudgePlayer(right ? 1 : -1); // a quick press still moves; holding moves per tick
            cursorMoved();
        }
        break;
    }
    case Qt::Key_Space:
        // One shot per press, like a click; a held key does not spray.
        if (running && !event->isAutoRepeat())
            m_game.fire();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (state.gameState == GameState::paused)
            togglePause();
        else if (state.showStartOverlay || state.gameState == GameState::gameOver)
            m_game.handleTap();
        break;
    case Qt::Key_P:
        if (!event->isAutoRepeat())
            togglePause();
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    update();
    syncTimers();
}

void ColorInvadersGameView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return QWidget::keyReleaseEvent(event);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_A:
        m_leftHeld = false;
        break;
    case Qt::Key_Right:
    case Qt::Key_D:
        m_rightHeld = false;
        break;
    default:
        QWidget::keyReleaseEvent(event);
    }
}

void ColorInvadersGameView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    // A popup (a menu, a tooltip) over the field is not leaving it.
    if (event->reason() != Qt::PopupFocusReason)
        pauseAutomatically();
}

void ColorInvadersGameView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The screen's first appearance clears the field; later ones (after being hidden or
    // minimised) find the game as it was, paused.
    if (!m_appeared) {
        m_appeared = true;
        m_game.resetGame();
    }
    setFocus(Qt::OtherFocusReason);
    syncTimers();
}

void ColorInvadersGameView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    pauseAutomatically();
}

} // namespace hb
