#pragma once

#include "games/ColorInvadersRecords.h"

#include <QtGlobal>

#include <functional>

namespace hb {

// The rules of Color Invaders over one ColorInvadersState. Positions are kept as fractions of
// the field; the field's size in points is passed to the operations that need it (dragging,
// collisions). The state is plain data that may be set up freely; the operations apply the
// rules to whatever it holds.
//
// Chance and time come only from the sources given at construction, so that a game with seeded
// or scripted sources plays out the same every time.
class ColorInvadersGame {
public:
    // The drop interval is the only elapsed time the game measures.
    using Clock = std::function<ColorInvadersTime()>;

    struct Sources {
        // A uniform integer in 0 … n − 1 (n ≥ 1).
        std::function<int(int n)> randomBelow;
        // A uniform double in [a, b], both ends included.
        std::function<double(double a, double b)> randomIn;
        Clock now;
    };

    // The process's shared random generator and the monotonic clock.
    static Sources systemSources();
    // A generator of its own, started from `seed`; the clock defaults to the monotonic clock.
    static Sources seededSources(quint64 seed, Clock now = {});

    // Playing speeds and sizes, per tick of 0.05 seconds.
    static constexpr double kPlayerShotStep = -0.025;
    static constexpr double kInvaderShotStep = 0.018;
    static constexpr double kInvaderStepPerLevel = 0.005;
    static constexpr double kDropStep = 0.02;
    static constexpr auto kDropInterval = std::chrono::milliseconds(500);
    static constexpr double kParticleFade = 0.05;
    static constexpr double kParticleSink = 0.005;
    static constexpr int kParticlesPerHit = 8;
    static constexpr int kRows = 4;
    static constexpr int kColumns = 6;
    // Field geometry, as fractions of the width (x) or height (y).
    static constexpr double kCursorLine = 0.9;
    static constexpr double kShotSpawnLine = 0.88;
    static constexpr double kInvasionLine = 0.88;
    static constexpr double kEdgeMargin = 0.05;
    // Cursor hit box for the invaders' shots, in points.
    static constexpr double kCursorHitWidth = 44;
    static constexpr double kCursorHitHeight = 20;

    explicit ColorInvadersGame(Sources sources = systemSources());

    const ColorInvadersState &state() const { return m_state; }
    ColorInvadersState &state() { return m_state; }

    // An invader's width in points for a field `width` points wide; its height is 0.7 of that
    // and its hit box for the player's shots is a square of this side.
    static double invaderSize(double width);
    // One in this many ticks an invader shoots, at the given level.
    static int shotOdds(qint64 level);

    // Empties the field and sets score, lives, level and direction back; the cursor, the game
    // state and the start panel stay as they are.
    void resetGame();
    // The first wave's 24 invaders in place of whatever is left.
    void spawnWave();
    // A drag at `x` points across a field `width` points wide moves the cursor there, kept
    // within the edge margins; only while playing past the start panel.
    void movePlayer(double x, double width);
    // A click: starts from the start panel, fires while playing, restarts after a game over.
    void handleTap();
    // One more player shot from the cursor; there is no limit and no cooldown.
    void fire();
    // One tick of play on a field of `width` × `height` points: shots, invaders, the invaders'
    // shooting, particles, then the outcome. Nothing happens unless playing past the start panel.
    void tick(double width, double height);
    // Game over when the lives are spent or an invader crossed the invasion line; the next level
    // when the wave is cleared.
    void checkProgress(double height);

    // Holds a running game (not the start panel, not a finished game); true if it did.
    bool pause();
    // Goes on with a paused game; true if it did.
    bool resume();

private:
    void startNewGame();
    void moveBullets(double width, double height);
    void moveInvaders(double width);
    void invadersShoot();
    void updateParticles();
    void spawnParticles(const Invader &invader);

    Sources m_sources;
    ColorInvadersState m_state;
};

} // namespace hb
