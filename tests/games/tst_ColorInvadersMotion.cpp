#include "games/ColorInvadersGame.h"
#include "games/ColorInvadersMotion.h"

#include <QTest>

#include <cmath>

using namespace hb;

namespace {

// A field of 400 × 800 points, as in the game's own tests.
constexpr double kWidth = 400;
constexpr double kHeight = 800;

// A game past its start panel whose invaders never shoot and whose clock stands still, with two
// invaders and two shots in flight.
std::unique_ptr<ColorInvadersGame> quietGame()
{
    auto game = std::make_unique<ColorInvadersGame>(
        ColorInvadersGame::Sources{[](int n) { return n - 1; }, [](double a, double) { return a; },
                                   [] { return ColorInvadersTime(); }});
    game->handleTap();
    ColorInvadersState &state = game->state();
    state.invaders = {{QUuid::createUuid(), 0.5, 0.2, InvaderType::noise, false},
                      {QUuid::createUuid(), 0.6, 0.3, InvaderType::noise, false}};
    state.bullets = {{QUuid::createUuid(), 0.1, 0.6, true}, {QUuid::createUuid(), 0.3, 0.3, false}};
    return game;
}

} // namespace

class TestColorInvadersMotion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void betweenTwoTicks_data()
    {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<double>("invaderX");   // the first invader, marching right from 0.5
        QTest::addColumn<double>("shotY");      // a player's shot rising from 0.6
        QTest::addColumn<double>("enemyShotY"); // an invader's shot falling from 0.3
        QTest::addColumn<double>("cursorX");    // moved one keyboard step from 0.5 to 0.52

        QTest::newRow("at the earlier tick") << 0.0 << 0.5 << 0.6 << 0.3 << 0.5;
        QTest::newRow("a quarter") << 0.25 << 0.50125 << 0.59375 << 0.3045 << 0.505;
        QTest::newRow("halfway") << 0.5 << 0.5025 << 0.5875 << 0.309 << 0.51;
        QTest::newRow("at the later tick") << 1.0 << 0.505 << 0.575 << 0.318 << 0.52;
        QTest::newRow("a late frame stays at the later tick")
            << 1.8 << 0.505 << 0.575 << 0.318 << 0.52;
        QTest::newRow("before the earlier tick") << -0.3 << 0.5 << 0.6 << 0.3 << 0.5;
    }

    // What is drawn between two ticks lies on the straight way from the earlier state to the
    // later one, as far along as the time since the tick.
    void betweenTwoTicks()
    {
        QFETCH(double, fraction);
        QFETCH(double, invaderX);
        QFETCH(double, shotY);
        QFETCH(double, enemyShotY);
        QFETCH(double, cursorX);

        auto game = quietGame();
        ColorInvadersMotion motion;
        motion.remember(game->state());
        game->movePlayer(0.52 * kWidth, kWidth); // a held key's step, taken with the tick
        game->tick(kWidth, kHeight);

        ColorInvadersState drawn;
        motion.blend(game->state(), fraction, drawn);
        QCOMPARE(drawn.invaders.size(), 2);
        QCOMPARE(drawn.invaders.at(0).x, invaderX);
        QCOMPARE(drawn.invaders.at(0).y, 0.2);
        QCOMPARE(drawn.bullets.size(), 2);
        QCOMPARE(drawn.bullets.at(0).y, shotY);
        QCOMPARE(drawn.bullets.at(1).y, enemyShotY);
        QCOMPARE(drawn.playerX, cursorX);
        // The game itself is not touched.
        QCOMPARE(game->state().invaders.at(0).x, 0.505);
    }

    // The formation's step down is drawn on its way too, not as a jump.
    void dropIsSmooth()
    {
        ColorInvadersGame game({[](int n) { return n - 1; }, [](double a, double) { return a; },
                                [] { return ColorInvadersTime(std::chrono::seconds(5)); }});
        game.handleTap();
        game.state().invaders = {{QUuid::createUuid(), 0.949, 0.4, InvaderType::colorCast, false}};
        game.state().lastInvaderDrop = ColorInvadersTime();
        ColorInvadersMotion motion;
        motion.remember(game.state());
        game.tick(kWidth, kHeight);
        QCOMPARE(game.state().invaders.first().y, 0.42);

        ColorInvadersState drawn;
        motion.blend(game.state(), 0.5, drawn);
        QCOMPARE(drawn.invaders.first().y, 0.41);
    }

    // A shot fired after the tick and a wave that has just come in are drawn where they are;
    // what the tick removed (a shot that hit, the invader it hit) is not drawn at all.
    void newAndRemovedThings()
    {
        auto game = quietGame();
        ColorInvadersState &state = game->state();
        state.bullets.append({QUuid::createUuid(), 0.5, 0.21, true}); // hits the first invader
        ColorInvadersMotion motion;
        motion.remember(state);
        game->tick(kWidth, kHeight);
        QCOMPARE(state.invaders.size(), 1);
        game->fire();

        ColorInvadersState drawn;
        motion.blend(state, 0.5, drawn);
        QCOMPARE(drawn.invaders.size(), 1);
        QCOMPARE(drawn.invaders.first().id, state.invaders.first().id);
        QCOMPARE(drawn.bullets.size(), 3);
        QCOMPARE(drawn.bullets.last().y, ColorInvadersGame::kShotSpawnLine);
        QCOMPARE(drawn.particles.size(), ColorInvadersGame::kParticlesPerHit);
        for (qsizetype i = 0; i < drawn.particles.size(); ++i)
            QCOMPARE(drawn.particles[i].y, state.particles[i].y);

        game->spawnWave();
        motion.blend(state, 0.5, drawn);
        QCOMPARE(drawn.invaders.first().x, 0.15);
        QCOMPARE(drawn.invaders.first().y, 0.12);
    }

    // A drag puts the cursor under the pointer at once; clearing draws the state as it is.
    void jumpsAndClearing()
    {
        auto game = quietGame();
        ColorInvadersMotion motion;
        motion.remember(game->state());
        game->tick(kWidth, kHeight);
        game->movePlayer(0.8 * kWidth, kWidth);
        motion.cursorJumped(game->state().playerX);

        ColorInvadersState drawn;
        motion.blend(game->state(), 0.3, drawn);
        QCOMPARE(drawn.playerX, 0.8);
        QVERIFY(drawn.invaders.first().x < 0.505);
        motion.clear();
        motion.blend(game->state(), 0.3, drawn);
        QCOMPARE(drawn.invaders.first().x, 0.505);
        QCOMPARE(drawn.bullets.first().y, 0.575);
    }

    // Frame after frame the drawn lists keep their own storage: no list is shared with the
    // game's (whose next change would then copy it) or allocated anew.
    void framesReuseTheirStorage()
    {
        auto game = quietGame();
        ColorInvadersMotion motion;
        motion.remember(game->state());
        game->tick(kWidth, kHeight);
        ColorInvadersState drawn;
        motion.blend(game->state(), 0.2, drawn);
        const Invader *invaders = drawn.invaders.constData();
        const Bullet *bullets = drawn.bullets.constData();
        for (double fraction : {0.4, 0.6, 0.8}) {
            motion.blend(game->state(), fraction, drawn);
            QVERIFY(!drawn.invaders.isSharedWith(game->state().invaders));
            QCOMPARE(drawn.invaders.constData(), invaders);
            QCOMPARE(drawn.bullets.constData(), bullets);
        }
    }
};

QTEST_GUILESS_MAIN(TestColorInvadersMotion)
#include "tst_ColorInvadersMotion.moc"
