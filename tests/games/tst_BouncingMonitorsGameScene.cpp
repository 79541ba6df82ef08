#include "games/BouncingMonitorsGameScene.h"

#include "BouncingMonitorsTestRandom.h"

#include <QRandomGenerator>
#include <QTest>

#include <box2d/box2d.h>

#include <numbers>
#include <optional>

using namespace hb;
using namespace hb::test;
using Scene = BouncingMonitorsGameScene;

namespace {

// Four monitors of 75 x 60 points, well apart on an 800 x 600 field, and a point between them.
constexpr QPointF kPlaces[] = {{200, 150}, {600, 150}, {200, 450}, {600, 450}};
constexpr QPointF kEmpty(400, 300);

QList<MonitorDraws> atPlaces(const QList<double> &hues)
{
    QList<MonitorDraws> monitors;
    for (qsizetype i = 0; i < hues.size(); ++i)
        monitors.append(MonitorDraws{hues[i], kPlaces[i % 4]});
    return monitors;
}

// The Target's draw that picks the `index`th of `count` monitors.
double drawFor(qsizetype index, qsizetype count)
{
    return (double(index) + 0.5) / double(count);
}

// A scene on an 800 x 600 field, set up with scripted monitors and the Target drawn from the
// first of them whose hue is `target`, recording what its callbacks report.
struct Game {
    ScriptedRandom random;
    Scene scene{random.source()};
    QList<qint64> scores;
    QList<double> targets;

    Game(double target, const QList<MonitorDraws> &monitors, double difficulty = 0.35)
    {
        scene.setSize({800, 600});
        scene.setDifficulty(difficulty);
        scene.setMonitorCount(monitors.size());
        const auto source = std::find_if(monitors.cbegin(), monitors.cend(),
                                         [&](const MonitorDraws &m) { return m.hue == target; });
        if (source == monitors.cend())
            qFatal("no monitor shows the Target");
        random.push({drawFor(source - monitors.cbegin(), monitors.size())});
        for (const MonitorDraws &monitor : monitors)
            random.push(monitor.values());
        scene.didMoveToView();
        scene.didMoveToView(); // set-up runs once: the draws counted below would show a second
        scene.setOnScoreChanged([this](qint64 score) { scores.append(score); });
        scene.setOnTargetChanged([this](double hue) { targets.append(hue); });
    }
    Game(double target, const QList<double> &hues, double difficulty = 0.35)
        : Game(target, atPlaces(hues), difficulty)
    {
    }

    const BouncingMonitorsNode &monitor(qsizetype i) const { return scene.monitorNodes().at(i); }
};

double screenHueOf(const BouncingMonitorsNode &monitor)
{
    return monitor.childNamed(Scene::kScreenName)->fill.hue;
}

QPointF points(const b2Vec2 &metres)
{
    return QPointF(double(metres.x), double(metres.y)) * Scene::kPointsPerMeter;
}

bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) <= 1e-3 && std::abs(a.y() - b.y()) <= 1e-3;
}

// Uniform values over closed ranges from a generator of its own, as the system source draws.
Scene::RandomSource seededRandom(quint32 seed)
{
    return [random = std::make_shared<QRandomGenerator>(seed)](double low, double high) {
        constexpr quint64 kSteps = (quint64(1) << 53) - 1;
        return low + (high - low) * (double(random->generate64() >> 11) / double(kSteps));
    };
}

// A point where a click lands on a monitor whose screen matches the Target even at the
// strictest tolerance (no other monitor lies over it there), if there is one.
std::optional<QPointF> matchingClick(const Scene &scene)
{
    for (const BouncingMonitorsNode &monitor : scene.monitorNodes()) {
        const double hue = Scene::screenHue(monitor.childNamed(Scene::kScreenName)->fill);
        if (Scene::hueDistance(hue, scene.target().hue) > Scene::tapTolerance(1))
            continue;
        const double step = monitor.rect.height() / 4;
        for (int i = -1; i <= 1; ++i) {
            for (int j = -1; j <= 1; ++j) {
                const QPointF at = monitor.position + QPointF(i * step, j * step);
                const QList<const BouncingMonitorsNode *> nodes = scene.nodesAt(at);
                const auto top = std::find_if(nodes.cbegin(), nodes.cend(), [](const auto *n) {
                    return n->name == Scene::kMonitorName;
                });
                if (top != nodes.cend() && *top == &monitor)
                    return at;
            }
        }
    }
    return std::nullopt;
}

bool targetIsOnTheField(const Scene &scene)
{
    return std::any_of(
        scene.monitorNodes().cbegin(), scene.monitorNodes().cend(),
        [&](const BouncingMonitorsNode &monitor) {
            const double hue = Scene::screenHue(monitor.childNamed(Scene::kScreenName)->fill);
            return Scene::hueDistance(hue, scene.target().hue) <= Scene::tapTolerance(1);
        });
}

} // namespace

class TestBouncingMonitorsGameScene : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scoring_data()
    {
        QTest::addColumn<double>("difficulty");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<qint64>("points");
        QTest::addColumn<qint64>("wrongPenalty");
        QTest::addColumn<qint64>("emptyPenalty");

        QTest::newRow("0") << 0.0 << 0.12 << 8LL << 2LL << 1LL;
        QTest::newRow("0.35") << 0.35 << 0.09375 << 10LL << 3LL << 2LL;
        QTest::newRow("0.5") << 0.5 << 0.0825 << 11LL << 4LL << 2LL;
        QTest::newRow("1") << 1.0 << 0.045 << 14LL << 6LL << 4LL;
        QTest::newRow("below 0 plays as 0") << -0.4 << 0.12 << 8LL << 2LL << 1LL;
        QTest::newRow("above 1 plays as 1") << 2.5 << 0.045 << 14LL << 6LL << 4LL;
    }

    // A hit just inside the tolerance scores, one just outside costs the wrong-monitor penalty,
    // a click on nothing the empty-click penalty.
    void scoring()
    {
        QFETCH(double, difficulty);
        QFETCH(double, tolerance);
        QFETCH(qint64, points);
        QFETCH(qint64, wrongPenalty);
        QFETCH(qint64, emptyPenalty);

        QCOMPARE(Scene::tapTolerance(difficulty), tolerance);
        Game game(0.5, QList{0.5 + 0.98 * tolerance, 0.5 - 1.02 * tolerance, 0.0, 0.5}, difficulty);
        // The hit monitor's reroll, the next Target (the third monitor's, 0), the wrong
        // monitor's kick.
        game.random.push({0.3, 150, 0, 0, drawFor(2, 4), 100, 0});
        game.scene.handleTap(kPlaces[0], 1);
        game.scene.handleTap(kPlaces[1], 2);
        game.scene.handleTap(kEmpty, 3);
        QCOMPARE(game.scores, (QList<qint64>{points, points - wrongPenalty,
                                             points - wrongPenalty - emptyPenalty}));
        QCOMPARE(game.random.pending(), qsizetype(0));
    }

    void hueWrapsAroundTheWheel_data()
    {
        QTest::addColumn<double>("difficulty");
        QTest::addColumn<double>("target");
        QTest::addColumn<double>("hue");
        QTest::addColumn<qint64>("score");

        // 0.12 apart across red, not 0.88: inside 0.12 at difficulty 0, outside 0.09375 at 0.35.
        QTest::newRow("0.10 vs 0.98 at 0.35") << 0.35 << 0.98 << 0.10 << 0LL;
        QTest::newRow("0.10 vs 0.98 at 0") << 0.0 << 0.98 << 0.10 << 8LL;
        QTest::newRow("0.97 vs 0.03 at 0.35") << 0.35 << 0.03 << 0.97 << 10LL;
        QTest::newRow("a draw of 1 is red, 0") << 1.0 << 0.02 << 1.0 << 14LL;
    }

    void hueWrapsAroundTheWheel()
    {
        QFETCH(double, difficulty);
        QFETCH(double, target);
        QFETCH(double, hue);
        QFETCH(qint64, score);

        Game game(target, QList{hue, target, 0.5, 0.5}, difficulty);
        game.scene.handleTap(kPlaces[0], 1);
        QCOMPARE(game.scores, QList<qint64>{score});
        // A match picks a new Target (the script's low end: the first monitor, rerolled to 0); a
        // miss keeps it.
        const bool matched = score > 0;
        QCOMPARE(game.targets, matched ? QList<double>{0.0} : QList<double>{});
        QCOMPARE(game.scene.hitBursts().size(), qsizetype(matched ? 1 : 0));
    }

    void everyTargetCanBeMatched_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<qint64>("count");

        const QList<std::pair<const char *, QSizeF>> sizes{
            {"800 x 600", {800, 600}}, {"400 x 300", {400, 300}}, {"not laid out", {}}};
        for (quint32 seed : {1U, 7U, 42U}) {
            for (const auto &[name, size] : sizes) {
                for (qint64 count : {4, 10, 24})
                    QTest::addRow("seed %u, %s, %lld monitors", seed, name, count)
                        << seed << size << count;
            }
        }
    }

    // Over many rounds, restarts and matches, the Target always shows on some monitor's screen,
    // so clicking that monitor scores at the hardest difficulty.
    void everyTargetCanBeMatched()
    {
        QFETCH(quint32, seed);
        QFETCH(QSizeF, size);
        QFETCH(qint64, count);

        Scene scene(seededRandom(seed));
        scene.setSize(size);
        scene.setMonitorCount(count);
        scene.setDifficulty(1);
        scene.didMoveToView();
        QList<double> targets;
        scene.setOnTargetChanged([&](double hue) { targets.append(hue); });

        constexpr int kRounds = 40;
        double time = 0;
        int matches = 0;
        for (int round = 0; round < kRounds; ++round) {
            if (round % 10 == 9)
                scene.resetGame();
            QVERIFY2(targetIsOnTheField(scene), qPrintable(QString::number(round)));
            // Let the monitors drift until the matching one is clear of the others.
            std::optional<QPointF> click = matchingClick(scene);
            for (int frame = 0; !click && frame < 600; ++frame) {
                scene.advance(1.0 / 60);
                click = matchingClick(scene);
            }
            QVERIFY(click);
            const qint64 before = scene.score();
            scene.handleTap(*click, time += 1);
            QCOMPARE(scene.score(), before + Scene::matchPoints(1));
            ++matches;
        }
        QCOMPARE(matches, kRounds);
        QCOMPARE(targets.size(), kRounds + kRounds / 10);
    }

    void clicksCloserThanTheIntervalAreIgnored_data()
    {
        QTest::addColumn<QList<double>>("times");
        QTest::addColumn<QList<qint64>>("scores");
        QTest::addColumn<double>("lastTapTime");

        // The first click hits the matching monitor (+8), the others hit nothing (-1 each).
        QTest::newRow("0.05 s apart") << QList{1.0, 1.05} << QList<qint64>{8} << 1.0;
        QTest::newRow("0.1 s apart") << QList{1.0, 1.1} << QList<qint64>{8, 7} << 1.1;
        QTest::newRow("an ignored click does not restart the interval")
            << QList{1.0, 1.05, 1.1} << QList<qint64>{8, 7} << 1.1;
        QTest::newRow("within 0.08 s of time 0") << QList{0.05} << QList<qint64>{} << 0.0;
    }

    void clicksCloserThanTheIntervalAreIgnored()
    {
        QFETCH(QList<double>, times);
        QFETCH(QList<qint64>, scores);
        QFETCH(double, lastTapTime);

        Game game(0.5, QList{0.5, 0.2, 0.2, 0.2}, 0);
        for (qsizetype i = 0; i < times.size(); ++i)
            game.scene.handleTap(i == 0 ? kPlaces[0] : kEmpty, times[i]);
        QCOMPARE(game.scores, scores);
        QCOMPARE(game.scene.lastTapTime(), lastTapTime);
        // Only accepted clicks draw: the match rerolls (4) and picks a Target (1).
        QCOMPARE(game.random.ranges().size(), 1 + 4 * 8 + (scores.isEmpty() ? 0 : 5));
    }

    void scoreNeverDropsBelowZero()
    {
        Game game(0.5, QList{0.5, 0.2, 0.2, 0.2}, 0);
        game.scene.handleTap(kPlaces[0], 1); // a match at 0: 8, and the Target becomes 0
        game.scene.setDifficulty(0.5);
        game.scene.handleTap(kPlaces[1], 2); // the wrong monitor at 0.5: 4
        game.scene.setDifficulty(0);
        game.scene.handleTap(kEmpty, 3); // nothing at 0: 3
        game.scene.setDifficulty(1);
        game.scene.handleTap(kEmpty, 4); // nothing at 1 costs 4
        game.scene.handleTap(kPlaces[1], 5);
        QCOMPARE(game.scores, (QList<qint64>{8, 4, 3, 0, 0}));
    }

    void matchChangesOnlyTheMatchedMonitorAndTheTarget()
    {
        Game game(0.4, QList{0.7, 0.41, 0.1, 0.4});
        const QList<BouncingMonitorsNode> before = game.scene.monitorNodes();
        QList<QPointF> velocities;
        for (const BouncingMonitorsNode &monitor : before)
            velocities.append(points(monitor.body->GetLinearVelocity()));
        // The reroll: hue 0.25, speed 200 straight up, spin 1.5; then the new Target, drawn from
        // the rerolled monitor.
        game.random.push({0.25, 200, std::numbers::pi / 2, 1.5, drawFor(1, 4)});

        game.scene.handleTap(kPlaces[1] + QPointF(30, -20), 1);
        QCOMPARE(game.scores, QList<qint64>{10});
        QCOMPARE(game.targets, QList<double>{0.25});
        QCOMPARE(game.scene.hitBursts().size(), qsizetype(1));
        QCOMPARE(game.scene.hitBursts().first().position, kPlaces[1]);
        QCOMPARE(game.scene.hitBursts().first().hue, 0.4); // the Target that was matched
        for (qsizetype i = 0; i < before.size(); ++i) {
            const BouncingMonitorsNode &monitor = game.monitor(i);
            const QPointF velocity = points(monitor.body->GetLinearVelocity());
            QCOMPARE(monitor.position, before[i].position);
            QCOMPARE(monitor.rect, before[i].rect);
            QCOMPARE(monitor.fill, before[i].fill);
            QCOMPARE(screenHueOf(monitor), i == 1 ? 0.25 : screenHueOf(before[i]));
            QVERIFY(near(velocity, i == 1 ? QPointF(0, 200) : velocities[i]));
            QCOMPARE(monitor.body->GetAngularVelocity(), i == 1 ? 1.5f : 0.0f);
        }
    }

    // Where two monitors overlap, the one spawned later lies on top and takes the click, even
    // where the one below shows its screen. A wrong monitor gets the kick on top of its
    // velocity.
    void topMostMonitorTakesTheClick()
    {
        Game game(0.5, {MonitorDraws{0.5, {300, 300}},
                        MonitorDraws{0.1, {340, 300}, 60, 1.25, 110, std::numbers::pi},
                        MonitorDraws{0.5, {600, 100}}, MonitorDraws{0.5, {600, 500}}});
        game.random.push({100, std::numbers::pi / 2}); // 100 points per second upwards
        game.scene.handleTap({310, 300}, 1);
        QCOMPARE(game.scores, QList<qint64>{0});
        QVERIFY(near(points(game.monitor(1).body->GetLinearVelocity()), {-110, 100}));
        QVERIFY(near(points(game.monitor(0).body->GetLinearVelocity()), {110, 0}));
        game.scene.handleTap({280, 300}, 2); // the first monitor alone
        QCOMPARE(game.scores, (QList<qint64>{0, 10}));
    }

    // The spawn area never inverts, even before the field is laid out.
    void spawnAreaOnSmallFields_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QPointF>("far"); // the far corner of the spawn area
        QTest::newRow("narrow and tall") << QSizeF(199, 1000) << QPointF(160, 960);
        QTest::newRow("not laid out yet") << QSizeF() << QPointF(160, 160);
    }

    void spawnAreaOnSmallFields()
    {
        QFETCH(QSizeF, size);
        QFETCH(QPointF, far);
        ScriptedRandom random;
        Scene scene(random.source());
        scene.setSize(size);
        scene.setMonitorCount(4);
        scene.didMoveToView();
        // The Target, then the first monitor's hue, height, aspect, x and y.
        QCOMPARE(random.ranges().at(4), std::pair(40.0, far.x()));
        QCOMPARE(random.ranges().at(5), std::pair(40.0, far.y()));
    }

    void resetSpawnsTheClampedCount_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("spawned");

        QTest::newRow("2 -> 4") << 2LL << 4LL;
        QTest::newRow("30 -> 24") << 30LL << 24LL;
    }

    void resetSpawnsTheClampedCount()
    {
        QFETCH(qint64, count);
        QFETCH(qint64, spawned);

        Game game(0.5, QList{0.5, 0.2, 0.2, 0.2}, 0);
        game.scene.handleTap(kPlaces[0], 1);
        game.scene.setMonitorCount(count);
        game.scene.resetGame();
        QCOMPARE(game.scene.monitorNodes().size(), spawned);
        QCOMPARE(game.scene.world().GetBodyCount(), int(spawned) + 1); // and the edge loop
        QCOMPARE(game.scores, (QList<qint64>{8, 0}));
        QCOMPARE(game.scene.lastTapTime(), 0.0);
        QVERIFY(game.scene.hitBursts().isEmpty());
    }

    void resizeClampsWithoutRerolling_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QList<QPointF>>("positions");

        QTest::newRow("smaller") << QSizeF(300, 200)
                                 << QList<QPointF>{{200, 150}, {280, 150}, {200, 180}, {280, 180}};
        QTest::newRow("larger") << QSizeF(1000, 900)
                                << QList(std::begin(kPlaces), std::end(kPlaces));
        QTest::newRow("tiny") << QSizeF(30, 30) << QList<QPointF>(4, QPointF(20, 20));
    }

    void resizeClampsWithoutRerolling()
    {
        QFETCH(QSizeF, size);
        QFETCH(QList<QPointF>, positions);

        Game game(0.3, QList{0.1, 0.2, 0.3, 0.4});
        const qsizetype draws = game.random.ranges().size();
        game.scene.setSize(size);
        QCOMPARE(game.random.ranges().size(), draws);
        for (qsizetype i = 0; i < positions.size(); ++i) {
            QCOMPARE(game.monitor(i).position, positions[i]);
            QVERIFY(near(points(game.monitor(i).body->GetPosition()), positions[i]));
            QCOMPARE(screenHueOf(game.monitor(i)), 0.1 * double(i + 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestBouncingMonitorsGameScene)
#include "tst_BouncingMonitorsGameScene.moc"
