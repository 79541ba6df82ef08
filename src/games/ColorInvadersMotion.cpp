#include "games/ColorInvadersMotion.h"

#include <algorithm>

namespace hb {
namespace {

double between(double from, double to, double fraction)
{
    return from + (to - from) * fraction;
}

// Copies `from` into `to` element by element, so that a list that already has the room keeps
// its storage instead of sharing (and later detaching from) the game's.
template <typename T> void copyInto(const QList<T> &from, QList<T> &to)
{
    to.resize(from.size());
    std::copy(from.cbegin(), from.cend(), to.begin());
}

template <typename T>
void blendPositions(QList<T> &things, const QHash<QUuid, QPointF> &before, double fraction)
{
    for (T &thing : things) {
        const auto found = before.constFind(thing.id);
        if (found == before.cend())
            continue;
        thing.x = between(found->x(), thing.x, fraction);
        thing.y = between(found->y(), thing.y, fraction);
    }
}

} // namespace

void ColorInvadersMotion::remember(const ColorInvadersState &state)
{
    m_positions.clear();
    m_positions.reserve(state.invaders.size() + state.bullets.size() + state.particles.size());
    for (const Invader &invader : state.invaders)
        m_positions.insert(invader.id, {invader.x, invader.y});
    for (const Bullet &bullet : state.bullets)
        m_positions.insert(bullet.id, {bullet.x, bullet.y});
    for (const Particle &particle : state.particles)
        m_positions.insert(particle.id, {particle.x, particle.y});
    m_playerX = state.playerX;
    m_hasCursor = true;
}

void ColorInvadersMotion::clear()
{
    m_positions.clear();
    m_hasCursor = false;
}

void ColorInvadersMotion::cursorJumped(double playerX)
{
    m_playerX = playerX;
}

void ColorInvadersMotion::blend(const ColorInvadersState &current, double fraction,
                                ColorInvadersState &out) const
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    copyInto(current.invaders, out.invaders);
    copyInto(current.bullets, out.bullets);
    copyInto(current.particles, out.particles);
    out.score = current.score;
    out.lives = current.lives;
    out.level = current.level;
    out.gameState = current.gameState;
    out.invaderDirection = current.invaderDirection;
    out.lastInvaderDrop = current.lastInvaderDrop;
    out.showStartOverlay = current.showStartOverlay;
    out.playerX = m_hasCursor ? between(m_playerX, current.playerX, fraction) : current.playerX;
    if (fraction >= 1 || m_positions.isEmpty())
        return;
    blendPositions(out.invaders, m_positions, fraction);
    blendPositions(out.bullets, m_positions, fraction);
    blendPositions(out.particles, m_positions, fraction);
}

} // namespace hb
