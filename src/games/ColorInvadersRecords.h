#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QUuid>

#include <array>
#include <chrono>

namespace hb {

// The picture faults that make up a wave, one row each, in row order.
enum class InvaderType { crushedBlack, clippedHighlight, colorCast, noise };

inline constexpr std::array<InvaderType, 4> allInvaderTypes{
    InvaderType::crushedBlack, InvaderType::clippedHighlight, InvaderType::colorCast,
    InvaderType::noise};

// How each type looks: its label, the body fill, the accent (stroke, glow and the particles of
// its explosion) and the colour its label is written in.
QString invaderLabel(InvaderType type);
QColor invaderBodyColor(InvaderType type);
QColor invaderAccentColor(InvaderType type);
QColor invaderLabelColor(InvaderType type);

// Positions are fractions of the field: x of its width, y of its height, from the top-left.
struct Invader {
    QUuid id;
    double x = 0;
    double y = 0;
    InvaderType type = InvaderType::crushedBlack;
    bool isHit = false;
};

struct Bullet {
    QUuid id;
    double x = 0;
    double y = 0;
    bool isPlayer = true; // false for the invaders' shots
};

struct Particle {
    QUuid id;
    double x = 0;
    double y = 0;
    QColor color;
    double life = 1.0; // 1 at birth; gone at 0 or below
};

// Nothing in the rules enters `paused`; the screen does, and while paused, clicks and ticks do
// nothing.
enum class GameState { playing, gameOver, paused };

using ColorInvadersTime = std::chrono::steady_clock::time_point;

// Everything one game is made of.
struct ColorInvadersState {
    double playerX = 0.5;    // cursor centre
    QList<Invader> invaders; // in wave order: row by row, left to right
    QList<Bullet> bullets;   // in firing order
    QList<Particle> particles;
    qint64 score = 0;
    qint64 lives = 3;
    qint64 level = 1;
    GameState gameState = GameState::playing;
    double invaderDirection = 1.0; // +1 marching right, -1 left
    ColorInvadersTime lastInvaderDrop;
    bool showStartOverlay = true;
};

} // namespace hb
