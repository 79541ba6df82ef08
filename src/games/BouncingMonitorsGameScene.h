#pragma once

#include "games/BouncingMonitorsHitBurst.h"
#include "games/BouncingMonitorsNode.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class b2Body;
class b2World;

namespace hb {

class BouncingMonitorsContactListener;

// The rules and the physics of Bouncing Monitors. Monitors of random screen hues drift and spin
// in a closed field, bouncing without loss off its edges and off each other; a click on the
// monitor closest in hue to the Target scores, a wrong click costs points.
//
// Scene coordinates are points with the origin at the bottom-left of the field and y up. The
// physics world works in metres at kPointsPerMeter: monitors (54 to 124 points) become bodies of
// about 1 to 2.5 m moving at 2 to 6 m/s, well inside the sizes and speeds the engine is tuned for.
// Every fixture has restitution 1, friction 0 and a restitution threshold of 0 (the engine's
// default, 1 m/s, makes slow contacts inelastic); BouncingMonitorsContactListener keeps the
// solver from adding energy where several contacts meet.
//
// Nothing here reads a clock or a global random generator: the caller passes click times and
// elapsed frame time, and every random value comes from the injected source. The score and the
// Target reach the screen only through the two callbacks.
class BouncingMonitorsGameScene {
public:
    // A value uniform over the closed range [low, high].
    using RandomSource = std::function<double(double low, double high)>;

    struct Target {
        double hue = 0.58;
    };

    static constexpr double kPointsPerMeter = 50;
    // The physics runs at a fixed 120 steps a second, whatever the display's frame rate.
    static constexpr double kPhysicsStep = 1.0 / 120;
    // A longer gap between frames (a stall, a debugger) is simulated as this much.
    static constexpr double kMaxFrameTime = 0.25;
    static constexpr double kEdgeInset = 10;
    static constexpr double kTapInterval = 0.08;
    // Spawn positions keep this far from the field's edges, on a field of at least kMinSpawnField.
    static constexpr double kSpawnMargin = 40;
    static constexpr double kMinSpawnField = 200;
    // After a resize every monitor's centre is at least this far inside the new edges.
    static constexpr double kClampMargin = 20;
    static constexpr qint64 kMinMonitorCount = 4;
    static constexpr qint64 kMaxMonitorCount = 24;

    static const QString kMonitorName;
    static const QString kScreenName;
    static const QString kStandName;

    // Uniform values from the system's generator.
    static RandomSource systemRandom();

    // Scoring at a difficulty t, which is clamped to [0, 1] first.
    static double tapTolerance(double difficulty);
    static qint64 matchPoints(double difficulty);
    static qint64 wrongMonitorPenalty(double difficulty);
    static qint64 emptyTapPenalty(double difficulty);
    // Distance of two hues around the colour wheel, in [0, 0.5].
    static double hueDistance(double a, double b);
    // The hue a screen's fill shows, in [0, 1); 0.5 for a fill without a usable hue.
    static double screenHue(const BouncingMonitorsColor &fill);

    explicit BouncingMonitorsGameScene(RandomSource random = systemRandom());
    ~BouncingMonitorsGameScene();

    BouncingMonitorsGameScene(const BouncingMonitorsGameScene &) = delete;
    BouncingMonitorsGameScene &operator=(const BouncingMonitorsGameScene &) = delete;

    // Called after every change of the score, with the new score.
    void setOnScoreChanged(std::function<void(qint64)> callback);
    // Called after every new Target, with its hue.
    void setOnTargetChanged(std::function<void(double)> callback);

    qint64 score() const { return m_score; }
    Target target() const { return m_target; }
    qint64 monitorCount() const { return m_monitorCount; }
    // Clamped to [kMinMonitorCount, kMaxMonitorCount]; takes effect at the next spawn.
    void setMonitorCount(qint64 count);
    const QList<BouncingMonitorsNode> &monitorNodes() const { return m_monitorNodes; }
    bool hasSetup() const { return m_hasSetup; }
    double lastTapTime() const { return m_lastTapTime; }
    double difficulty() const { return m_difficulty; }
    // Clamped to [0, 1]; a value that is not a number is ignored.
    void setDifficulty(double difficulty);
    const QList<BouncingMonitorsHitBurst> &hitBursts() const { return m_hitBursts; }

    QSizeF size() const { return m_size; }
    // The field's size in points; a change runs didChangeSize.
    void setSize(QSizeF size);

    // The scene is shown for the first time: sets it up once.
    void didMoveToView();
    void didChangeSize();
    // A click at a point of the scene, at a time in seconds.
    void mouseDown(QPointF location, double time);

    void resetGame();
    // A new Target: the screen hue of a monitor on the field, drawn at random.
    void pickNewTarget();
    void spawnMonitors();
    void clampMonitorsToBounds();
    void handleTap(QPointF location, double time);

    // Runs the physics for the elapsed time in fixed steps (the remainder carries over to the
    // next call) and ages the hit rings.
    void advance(double seconds);
    // One fixed physics step, and the nodes moved to their bodies.
    void stepPhysics();

    // Every node at a point, top-most first: per monitor from the last spawned down, its stand
    // and screen, then the bezel, then its shadow. Pointers stay valid until the nodes change.
    QList<const BouncingMonitorsNode *> nodesAt(QPointF location) const;

    // The physics world (in metres), for inspection.
    const b2World &world() const { return *m_world; }

private:
    double random(double low, double high);
    double randomHue();
    void setupScene();
    // Spawns the monitors and picks a Target among them.
    void startRound();
    // The Target for a draw in [0, 1]: the screen hue of the monitor the draw falls on.
    double targetHueFor(double draw) const;
    void setTarget(double hue);
    void setScore(qint64 score);
    void rebuildEdgeLoop();
    void removeAllMonitors();
    BouncingMonitorsNode makeMonitorNode(double hue, double width, double height) const;
    void setVelocity(BouncingMonitorsNode &monitor, double speed, double direction,
                     double angularVelocity);
    void showHitBurst(QPointF position, double hue);
    void rerollMonitor(BouncingMonitorsNode &monitor);
    void nudgeMonitor(BouncingMonitorsNode &monitor);
    void syncNodesToBodies();

    std::function<void(qint64)> m_onScoreChanged;
    std::function<void(double)> m_onTargetChanged;
    qint64 m_score = 0;
    Target m_target;
    qint64 m_monitorCount = 10;
    QList<BouncingMonitorsNode> m_monitorNodes;
    bool m_hasSetup = false;
    double m_lastTapTime = 0;
    double m_difficulty = 0.35;

    RandomSource m_random;
    QSizeF m_size;
    // Declared before the world, which calls it until the end.
    std::unique_ptr<BouncingMonitorsContactListener> m_contactListener;
    std::unique_ptr<b2World> m_world;
    b2Body *m_edgeLoop = nullptr;
    QList<BouncingMonitorsHitBurst> m_hitBursts;
    double m_pendingTime = 0;
};

} // namespace hb
