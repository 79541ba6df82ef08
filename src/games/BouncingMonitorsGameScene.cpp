#include "games/BouncingMonitorsGameScene.h"

#include "games/BouncingMonitorsContactListener.h"

#include <QRandomGenerator>

#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// A solver pass over the contacts: the engine's recommended counts.
constexpr int kVelocityIterations = 8;
constexpr int kPositionIterations = 3;

// A frame shorter than this on a side cannot close an edge loop; the field then has no edge
// until it grows again.
constexpr double kMinEdgeLength = 1;

// Elapsed times a hair under a whole step still run it: sixty 1/60 s frames make 120 steps.
constexpr double kStepSlack = 1e-9;

// Spawn and kick ranges: speeds in points per second, spins in radians per second.
constexpr double kMinMonitorHeight = 54;
constexpr double kMaxMonitorHeight = 92;
constexpr double kMinAspect = 1.05;
constexpr double kMaxAspect = 1.35;
constexpr double kMinSpawnSpeed = 110;
constexpr double kMaxSpawnSpeed = 260;
constexpr double kMaxSpawnSpin = 2.4;
constexpr double kMinRerollSpeed = 130;
constexpr double kMaxRerollSpeed = 280;
constexpr double kMaxRerollSpin = 2.8;
constexpr double kMinNudge = 60;
constexpr double kMaxNudge = 140;

constexpr double kScreenSaturation = 0.85;
constexpr double kScreenBrightness = 0.95;

float meters(double points)
{
    return static_cast<float>(points / BouncingMonitorsGameScene::kPointsPerMeter);
}

double points(float meters)
{
    return double(meters) * BouncingMonitorsGameScene::kPointsPerMeter;
}

b2Vec2 toWorld(QPointF point)
{
    return {meters(point.x()), meters(point.y())};
}

QPointF fromWorld(const b2Vec2 &vector)
{
    return {points(vector.x), points(vector.y)};
}

double clampedDifficulty(double difficulty)
{
    return std::isfinite(difficulty) ? std::clamp(difficulty, 0.0, 1.0) : 0.0;
}

qint64 truncated(double value)
{
    return static_cast<qint64>(std::trunc(value));
}

// Perfectly elastic and frictionless. The engine gives no bounce at all to contacts closing
// slower than a fixture's restitution threshold (1 m/s by default), which would let glancing
// hits and slow monitors lose energy; with a threshold of 0 every closing contact bounces.
b2FixtureDef elasticFixture(const b2Shape *shape)
{
    b2FixtureDef fixture;
    fixture.shape = shape;
    fixture.friction = 0;
    fixture.restitution = 1;
    fixture.restitutionThreshold = 0;
    return fixture;
}

BouncingMonitorsColor screenFill(double hue)
{
    return {hue, kScreenSaturation, kScreenBrightness, 1};
}

} // namespace

const QString BouncingMonitorsGameScene::kMonitorName = u"monitor"_s;
const QString BouncingMonitorsGameScene::kScreenName = u"screen"_s;
const QString BouncingMonitorsGameScene::kStandName = u"stand"_s;

BouncingMonitorsGameScene::RandomSource BouncingMonitorsGameScene::systemRandom()
{
    return [](double low, double high) {
        // 53 random bits spread over [0, 1] with both ends reachable.
        constexpr quint64 kSteps = (quint64(1) << 53) - 1;
        const quint64 bits = QRandomGenerator::global()->generate64() >> 11;
        return low + (high - low) * (double(bits) / double(kSteps));
    };
}

double BouncingMonitorsGameScene::tapTolerance(double difficulty)
{
    const double t = clampedDifficulty(difficulty);
    return 0.045 * t + 0.12 * (1 - t);
}

qint64 BouncingMonitorsGameScene::matchPoints(double difficulty)
{
    const double t = clampedDifficulty(difficulty);
    return truncated(14 * t + 8 * (1 - t));
}

qint64 BouncingMonitorsGameScene::wrongMonitorPenalty(double difficulty)
{
    const double t = clampedDifficulty(difficulty);
    return truncated(6 * t + 2 * (1 - t));
}

qint64 BouncingMonitorsGameScene::emptyTapPenalty(double difficulty)
{
    const double t = clampedDifficulty(difficulty);
    return truncated(4 * t + (1 - t));
}

double BouncingMonitorsGameScene::hueDistance(double a, double b)
{
    const double d = std::abs(a - b);
    return std::min(d, 1 - d);
}

double BouncingMonitorsGameScene::screenHue(const BouncingMonitorsColor &fill)
{
    // Fills are kept in hue, saturation and brightness of the display's RGB already, so the
    // hue needs no conversion: only wrapping into [0, 1).
    if (!std::isfinite(fill.hue))
        return 0.5;
    double hue = std::fmod(fill.hue, 1.0);
    if (hue < 0)
        hue += 1;
    return hue < 1 ? hue : 0; // -1e-20 + 1 rounds up to 1
}

BouncingMonitorsGameScene::BouncingMonitorsGameScene(RandomSource random)
    : m_random(std::move(random)),
      m_contactListener(
          std::make_unique<BouncingMonitorsContactListener>(static_cast<float>(kPhysicsStep))),
      m_world(std::make_unique<b2World>(b2Vec2(0, 0)))
{
    m_world->SetContactListener(m_contactListener.get());
}

BouncingMonitorsGameScene::~BouncingMonitorsGameScene() = default;

void BouncingMonitorsGameScene::setOnScoreChanged(std::function<void(qint64)> callback)
{
    m_onScoreChanged = std::move(callback);
}

void BouncingMonitorsGameScene::setOnTargetChanged(std::function<void(double)> callback)
{
    m_onTargetChanged = std::move(callback);
}

void BouncingMonitorsGameScene::setMonitorCount(qint64 count)
{
    m_monitorCount = std::clamp(count, kMinMonitorCount, kMaxMonitorCount);
}

void BouncingMonitorsGameScene::setDifficulty(double difficulty)
{
    if (!std::isnan(difficulty))
        m_difficulty = std::clamp(difficulty, 0.0, 1.0);
}

void BouncingMonitorsGameScene::setSize(QSizeF size)
{
    if (size == m_size)
        return;
    m_size = size;
    didChangeSize();
}

void BouncingMonitorsGameScene::didMoveToView()
{
    setupScene();
}

void BouncingMonitorsGameScene::didChangeSize()
{
    clampMonitorsToBounds();
}

void BouncingMonitorsGameScene::mouseDown(QPointF location, double time)
{
    handleTap(location, time);
}

double BouncingMonitorsGameScene::random(double low, double high)
{
    return m_random(low, high);
}

double BouncingMonitorsGameScene::randomHue()
{
    return std::fmod(random(0, 1), 1.0); // a draw of exactly 1 is red, 0
}

void BouncingMonitorsGameScene::setupScene()
{
    if (m_hasSetup)
        return;
    m_hasSetup = true;
    m_world->SetGravity(b2Vec2(0, 0));
    rebuildEdgeLoop();
    startRound();
}

void BouncingMonitorsGameScene::resetGame()
{
    removeAllMonitors();
    m_hitBursts.clear();
    setScore(0);
    m_lastTapTime = 0;
    m_world->SetGravity(b2Vec2(0, 0));
    rebuildEdgeLoop();
    startRound();
}

void BouncingMonitorsGameScene::startRound()
{
    // The Target's draw comes first, as it always has, but it can only pick among monitors
    // once they are on the field.
    const double draw = random(0, 1);
    spawnMonitors();
    setTarget(targetHueFor(draw));
}

void BouncingMonitorsGameScene::pickNewTarget()
{
    setTarget(targetHueFor(random(0, 1)));
}

double BouncingMonitorsGameScene::targetHueFor(double draw) const
{
    // A Target no monitor matches would leave the round unwinnable until a restart, at every
    // difficulty. The draw picks one monitor on the field, each as likely as the next, and the
    // Target is its screen's hue; an empty field has nothing to pick from.
    const qsizetype count = m_monitorNodes.size();
    if (count == 0 || !std::isfinite(draw))
        return draw;
    const auto index = std::clamp(static_cast<qsizetype>(std::floor(draw * double(count))),
                                  qsizetype(0), count - 1);
    const BouncingMonitorsNode *screen = m_monitorNodes.at(index).childNamed(kScreenName);
    return screen ? screenHue(screen->fill) : draw;
}

void BouncingMonitorsGameScene::setTarget(double hue)
{
    m_target.hue = hue;
    if (m_onTargetChanged)
        m_onTargetChanged(m_target.hue);
}

void BouncingMonitorsGameScene::setScore(qint64 score)
{
    m_score = score;
    if (m_onScoreChanged)
        m_onScoreChanged(m_score);
}

void BouncingMonitorsGameScene::rebuildEdgeLoop()
{
    if (m_edgeLoop) {
        m_world->DestroyBody(m_edgeLoop);
        m_edgeLoop = nullptr;
    }
    const QRectF frame =
        QRectF(QPointF(0, 0), m_size).adjusted(kEdgeInset, kEdgeInset, -kEdgeInset, -kEdgeInset);
    if (frame.width() < kMinEdgeLength || frame.height() < kMinEdgeLength)
        return;
    // The loop's edges collide on their right-hand side only, so it runs clockwise (y up) to
    // face inwards. A monitor that starts outside the frame can still drift in.
    const b2Vec2 corners[] = {toWorld(frame.topLeft()), toWorld(frame.bottomLeft()),
                              toWorld(frame.bottomRight()), toWorld(frame.topRight())};
    b2ChainShape loop;
    loop.CreateLoop(corners, 4);
    b2BodyDef definition; // static
    m_edgeLoop = m_world->CreateBody(&definition);
    const b2FixtureDef fixture = elasticFixture(&loop);
    m_edgeLoop->CreateFixture(&fixture);
}

void BouncingMonitorsGameScene::removeAllMonitors()
{
    for (const BouncingMonitorsNode &monitor : std::as_const(m_monitorNodes))
        m_world->DestroyBody(monitor.body);
    m_monitorNodes.clear();
}

BouncingMonitorsNode BouncingMonitorsGameScene::makeMonitorNode(double hue, double width,
                                                                double height) const
{
    const QRectF frame(-width / 2, -height / 2, width, height);
    const double bottom = frame.top(); // y grows upwards

    BouncingMonitorsNode monitor;
    monitor.name = kMonitorName;
    monitor.rect = frame;
    monitor.cornerRadius = 10;
    monitor.stroke = BouncingMonitorsColor::white(1, 0.14);
    monitor.lineWidth = 1;
    monitor.fill = BouncingMonitorsColor::white(0.1, 0.8);

    BouncingMonitorsNode shadow;
    shadow.rect = frame.translated(0, -2);
    shadow.cornerRadius = 10;
    shadow.fill = BouncingMonitorsColor::white(0, 0.1);
    shadow.zPosition = -1;

    BouncingMonitorsNode screen;
    screen.name = kScreenName;
    screen.rect = frame.adjusted(8, 12, -8, -12);
    screen.cornerRadius = 7;
    screen.fill = screenFill(hue);

    const double standWidth = std::max(0.2 * width, 10.0);
    const double standHeight = std::max(0.1 * height, 6.0);
    BouncingMonitorsNode stand;
    stand.name = kStandName;
    stand.rect = QRectF(-standWidth / 2, bottom - standHeight + 2, standWidth, standHeight);
    stand.cornerRadius = 2;
    stand.fill = BouncingMonitorsColor::white(0.18, 0.9);

    monitor.children = {shadow, screen, stand};
    return monitor;
}

void BouncingMonitorsGameScene::setVelocity(BouncingMonitorsNode &monitor, double speed,
                                            double direction, double angularVelocity)
{
    monitor.body->SetLinearVelocity(
        toWorld(QPointF(speed * std::cos(direction), speed * std::sin(direction))));
    monitor.body->SetAngularVelocity(static_cast<float>(angularVelocity));
}

void BouncingMonitorsGameScene::spawnMonitors()
{
    const double fieldWidth = std::max(m_size.width(), kMinSpawnField);
    const double fieldHeight = std::max(m_size.height(), kMinSpawnField);
    for (qint64 i = 0; i < m_monitorCount; ++i) {
        const double hue = randomHue();
        const double height = random(kMinMonitorHeight, kMaxMonitorHeight);
        const double aspect = random(kMinAspect, kMaxAspect);
        BouncingMonitorsNode monitor = makeMonitorNode(hue, height * aspect, height);

        const double x = random(kSpawnMargin, fieldWidth - kSpawnMargin);
        const double y = random(kSpawnMargin, fieldHeight - kSpawnMargin);
        monitor.position = QPointF(x, y);

        b2BodyDef definition;
        definition.type = b2_dynamicBody;
        definition.position = toWorld(monitor.position);
        definition.gravityScale = 0;
        definition.linearDamping = 0;
        definition.angularDamping = 0;
        definition.allowSleep = false;
        monitor.body = m_world->CreateBody(&definition);
        b2PolygonShape box;
        box.SetAsBox(meters(monitor.rect.width() / 2), meters(monitor.rect.height() / 2));
        b2FixtureDef fixture = elasticFixture(&box);
        fixture.density = 1;
        monitor.body->CreateFixture(&fixture);

        const double speed = random(kMinSpawnSpeed, kMaxSpawnSpeed);
        const double direction = random(0, kTwoPi);
        const double spin = random(-kMaxSpawnSpin, kMaxSpawnSpin);
        setVelocity(monitor, speed, direction, spin);
        m_monitorNodes.append(monitor);
    }
    m_contactListener->monitorsPlaced();
}

void BouncingMonitorsGameScene::clampMonitorsToBounds()
{
    rebuildEdgeLoop();
    for (BouncingMonitorsNode &monitor : m_monitorNodes) {
        monitor.position.setX(
            std::max(std::min(monitor.position.x(), m_size.width() - kClampMargin), kClampMargin));
        monitor.position.setY(
            std::max(std::min(monitor.position.y(), m_size.height() - kClampMargin), kClampMargin));
        monitor.body->SetTransform(toWorld(monitor.position), monitor.body->GetAngle());
    }
    m_contactListener->monitorsPlaced();
}

QList<const BouncingMonitorsNode *> BouncingMonitorsGameScene::nodesAt(QPointF location) const
{
    QList<const BouncingMonitorsNode *> found;
    for (auto monitor = m_monitorNodes.crbegin(); monitor != m_monitorNodes.crend(); ++monitor) {
        const QPointF local = monitor->mapFromParent(location);
        const auto addChildren = [&](bool above) {
            for (auto child = monitor->children.crbegin(); child != monitor->children.crend();
                 ++child) {
                if ((child->zPosition >= 0) == above && child->contains(local))
                    found.append(&*child);
            }
        };
        addChildren(true);
        if (monitor->contains(location))
            found.append(&*monitor);
        addChildren(false);
    }
    return found;
}

void BouncingMonitorsGameScene::handleTap(QPointF location, double time)
{
    if (time - m_lastTapTime < kTapInterval)
        return;
    m_lastTapTime = time;
    const double t = clampedDifficulty(m_difficulty);

    const QList<const BouncingMonitorsNode *> nodes = nodesAt(location);
    const auto hit = std::find_if(nodes.cbegin(), nodes.cend(),
                                  [](const auto *node) { return node->name == kMonitorName; });
    if (hit == nodes.cend() || !(*hit)->childNamed(kScreenName)) {
        setScore(std::max(m_score - emptyTapPenalty(t), qint64(0)));
        return;
    }
    BouncingMonitorsNode &monitor = m_monitorNodes[*hit - m_monitorNodes.constData()];
    const double hue = screenHue(monitor.childNamed(kScreenName)->fill);
    if (hueDistance(hue, m_target.hue) <= tapTolerance(t)) {
        setScore(m_score + matchPoints(t));
        showHitBurst(monitor.position, m_target.hue);
        rerollMonitor(monitor);
        pickNewTarget();
    } else {
        setScore(std::max(m_score - wrongMonitorPenalty(t), qint64(0)));
        nudgeMonitor(monitor);
    }
}

void BouncingMonitorsGameScene::showHitBurst(QPointF position, double hue)
{
    m_hitBursts.append(BouncingMonitorsHitBurst{position, hue, 0});
}

void BouncingMonitorsGameScene::rerollMonitor(BouncingMonitorsNode &monitor)
{
    const double hue = randomHue();
    if (BouncingMonitorsNode *screen = monitor.childNamed(kScreenName))
        screen->fill = screenFill(hue);
    const double speed = random(kMinRerollSpeed, kMaxRerollSpeed);
    const double direction = random(0, kTwoPi);
    const double spin = random(-kMaxRerollSpin, kMaxRerollSpin);
    setVelocity(monitor, speed, direction, spin);
}

void BouncingMonitorsGameScene::nudgeMonitor(BouncingMonitorsNode &monitor)
{
    const double kick = random(kMinNudge, kMaxNudge);
    const double direction = random(0, kTwoPi);
    const QPointF velocity = fromWorld(monitor.body->GetLinearVelocity()) +
                             QPointF(kick * std::cos(direction), kick * std::sin(direction));
    monitor.body->SetLinearVelocity(toWorld(velocity));
}

void BouncingMonitorsGameScene::advance(double seconds)
{
    if (!(seconds > 0))
        return;
    seconds = std::min(seconds, kMaxFrameTime);
    m_pendingTime += seconds;
    while (m_pendingTime >= kPhysicsStep - kStepSlack) {
        stepPhysics();
        m_pendingTime = std::max(m_pendingTime - kPhysicsStep, 0.0);
    }
    for (BouncingMonitorsHitBurst &burst : m_hitBursts)
        burst.age += seconds;
    m_hitBursts.removeIf([](const BouncingMonitorsHitBurst &burst) { return burst.isFinished(); });
}

void BouncingMonitorsGameScene::stepPhysics()
{
    m_world->Step(static_cast<float>(kPhysicsStep), kVelocityIterations, kPositionIterations);
    m_contactListener->stepped();
    syncNodesToBodies();
}

void BouncingMonitorsGameScene::syncNodesToBodies()
{
    for (BouncingMonitorsNode &monitor : m_monitorNodes) {
        monitor.position = fromWorld(monitor.body->GetPosition());
        monitor.rotation = double(monitor.body->GetAngle());
    }
}

} // namespace hb
