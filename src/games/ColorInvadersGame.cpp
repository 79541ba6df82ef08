#include "games/ColorInvadersGame.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace hb {
namespace {

constexpr double kFirstColumnX = 0.15;
constexpr double kColumnSpacing = 0.13;
constexpr double kFirstRowY = 0.12;
constexpr double kRowSpacing = 0.08;
constexpr double kInvaderShotOffset = 0.04; // below the shooter
constexpr double kParticleSpreadX = 0.03;
constexpr double kParticleSpreadY = 0.02;
constexpr double kMaximumInvaderSize = 44;

// Closed range: 2^53 + 1 equally likely steps from a to b, so that b itself can come up.
double closedRange(QRandomGenerator &random, double a, double b)
{
    constexpr quint64 steps = quint64(1) << 53;
    return a + (b - a) * (double(random.bounded(steps + 1)) / double(steps));
}

ColorInvadersGame::Sources sourcesOver(const std::shared_ptr<QRandomGenerator> &random,
                                       ColorInvadersGame::Clock now)
{
    if (!now)
        now = [] { return std::chrono::steady_clock::now(); };
    return {[random](int n) { return random->bounded(n); },
            [random](double a, double b) { return closedRange(*random, a, b); }, std::move(now)};
}

} // namespace

ColorInvadersGame::Sources ColorInvadersGame::systemSources()
{
    // The global generator outlives every game; the pointer only borrows it.
    return sourcesOver(
        std::shared_ptr<QRandomGenerator>(QRandomGenerator::global(), [](QRandomGenerator *) {}),
        {});
}

ColorInvadersGame::Sources ColorInvadersGame::seededSources(quint64 seed, Clock now)
{
    const std::array<quint32, 2> words{quint32(seed), quint32(seed >> 32)};
    return sourcesOver(std::make_shared<QRandomGenerator>(words.data(), qsizetype(words.size())),
                       std::move(now));
}

ColorInvadersGame::ColorInvadersGame(Sources sources) : m_sources(std::move(sources))
{
    m_state.lastInvaderDrop = m_sources.now();
}

double ColorInvadersGame::invaderSize(double width)
{
    return std::min(width / 10, kMaximumInvaderSize);
}

int ColorInvadersGame::shotOdds(qint64 level)
{
    // Levels past 10 all shoot at the highest rate; clamping first keeps huge levels finite.
    return int(std::max<qint64>(40 - 2 * std::min<qint64>(level, 10), 20));
}

void ColorInvadersGame::resetGame()
{
    m_state.invaders.clear();
    m_state.bullets.clear();
    m_state.particles.clear();
    m_state.score = 0;
    m_state.lives = 3;
    m_state.level = 1;
    m_state.invaderDirection = 1.0;
    m_state.lastInvaderDrop = m_sources.now();
}

void ColorInvadersGame::spawnWave()
{
    QList<Invader> wave;
    wave.reserve(kRows * kColumns);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column)
            wave.append({QUuid::createUuid(), kFirstColumnX + kColumnSpacing * column,
                         kFirstRowY + kRowSpacing * row, allInvaderTypes[row], false});
    }
    m_state.invaders = std::move(wave);
}

void ColorInvadersGame::movePlayer(double x, double width)
{
    if (m_state.gameState != GameState::playing || m_state.showStartOverlay || width <= 0)
        return;
    m_state.playerX = std::clamp(x / width, kEdgeMargin, 1 - kEdgeMargin);
}

void ColorInvadersGame::handleTap()
{
    if (m_state.showStartOverlay || m_state.gameState == GameState::gameOver)
        startNewGame();
    else if (m_state.gameState == GameState::playing)
        fire();
}

void ColorInvadersGame::startNewGame()
{
    resetGame();
    spawnWave();
    m_state.showStartOverlay = false;
    m_state.gameState = GameState::playing;
}

void ColorInvadersGame::fire()
{
    m_state.bullets.append({QUuid::createUuid(), m_state.playerX, kShotSpawnLine, true});
}

void ColorInvadersGame::tick(double width, double height)
{
    if (m_state.gameState != GameState::playing || m_state.showStartOverlay)
        return;
    moveBullets(width, height);
    moveInvaders(width);
    invadersShoot();
    updateParticles();
    checkProgress(height);
}

void ColorInvadersGame::moveBullets(double width, double height)
{
    const double half = invaderSize(width) / 2;
    const double cursorLeft = width * m_state.playerX - kCursorHitWidth / 2;
    const double cursorTop = height * kCursorLine - kCursorHitHeight / 2;
    QList<Bullet> &bullets = m_state.bullets;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < bullets.size(); ++i) {
        Bullet bullet = bullets[i];
        bullet.y += bullet.isPlayer ? kPlayerShotStep : kInvaderShotStep;
        if (bullet.y < 0 || bullet.y > 1)
            continue;
        if (!bullet.isPlayer) {
            const double px = width * bullet.x;
            const double py = height * bullet.y;
            if (px >= cursorLeft && px < cursorLeft + kCursorHitWidth && py >= cursorTop &&
                py < cursorTop + kCursorHitHeight) {
                --m_state.lives; // the outcome is settled in checkProgress
                continue;
            }
        } else {
            const auto target = std::find_if(
                m_state.invaders.begin(), m_state.invaders.end(), [&](const Invader &invader) {
                    return !invader.isHit &&
                           std::abs(width * bullet.x - width * invader.x) < half &&
                           std::abs(height * bullet.y - height * invader.y) < half;
                });
            if (target != m_state.invaders.end()) {
                // Stays in the list, marked, until every shot has moved: a second shot on the
                // same tick passes it by.
                target->isHit = true;
                spawnParticles(*target);
                m_state.score += 10 * m_state.level;
                continue;
            }
        }
        bullets[kept++] = bullet;
    }
    bullets.resize(kept);
    m_state.invaders.removeIf([](const Invader &invader) { return invader.isHit; });
}

void ColorInvadersGame::moveInvaders(double width)
{
    QList<Invader> &invaders = m_state.invaders;
    const double step = double(m_state.level) * kInvaderStepPerLevel * m_state.invaderDirection;
    for (Invader &invader : invaders)
        invader.x += step;
    if (invaders.isEmpty())
        return;
    const auto [smallest, largest] =
        std::minmax_element(invaders.cbegin(), invaders.cend(),
                            [](const Invader &a, const Invader &b) { return a.x < b.x; });
    if (!(width * smallest->x < kEdgeMargin * width ||
          width * largest->x > width - kEdgeMargin * width))
        return;
    // The direction flips on every tick spent beyond a margin; the formation steps down at
    // most once per drop interval.
    m_state.invaderDirection = -m_state.invaderDirection;
    const ColorInvadersTime now = m_sources.now();
    if (now - m_state.lastInvaderDrop > kDropInterval) {
        for (Invader &invader : invaders)
            invader.y += kDropStep;
        m_state.lastInvaderDrop = now;
    }
}

void ColorInvadersGame::invadersShoot()
{
    if (m_state.invaders.isEmpty() || m_sources.randomBelow(shotOdds(m_state.level)) != 0)
        return;
    const Invader &shooter =
        m_state.invaders.at(m_sources.randomBelow(int(m_state.invaders.size())));
    m_state.bullets.append({QUuid::createUuid(), shooter.x, shooter.y + kInvaderShotOffset, false});
}

void ColorInvadersGame::updateParticles()
{
    for (Particle &particle : m_state.particles) {
        particle.life -= kParticleFade;
        particle.y += kParticleSink;
    }
    m_state.particles.removeIf([](const Particle &particle) { return particle.life <= 0; });
}

void ColorInvadersGame::spawnParticles(const Invader &invader)
{
    const QColor color = invaderAccentColor(invader.type);
    for (int i = 0; i < kParticlesPerHit; ++i) {
        const double x = invader.x + m_sources.randomIn(-kParticleSpreadX, kParticleSpreadX);
        const double y = invader.y + m_sources.randomIn(-kParticleSpreadY, kParticleSpreadY);
        m_state.particles.append({QUuid::createUuid(), x, y, color, 1.0});
    }
}

void ColorInvadersGame::checkProgress(double height)
{
    if (m_state.lives <= 0) {
        m_state.gameState = GameState::gameOver;
        return;
    }
    if (m_state.invaders.isEmpty()) {
        // Direction and the last drop carry over into the new wave.
        ++m_state.level;
        spawnWave();
        return;
    }
    const double lowest =
        std::max_element(m_state.invaders.cbegin(), m_state.invaders.cend(),
                         [](const Invader &a, const Invader &b) { return a.y < b.y; })
            ->y;
    if (lowest * height > kInvasionLine * height) {
        m_state.lives = 0;
        m_state.gameState = GameState::gameOver;
    }
}

bool ColorInvadersGame::pause()
{
    if (m_state.gameState != GameState::playing || m_state.showStartOverlay)
        return false;
    m_state.gameState = GameState::paused;
    return true;
}

bool ColorInvadersGame::resume()
{
    if (m_state.gameState != GameState::paused)
        return false;
    m_state.gameState = GameState::playing;
    return true;
}

} // namespace hb
