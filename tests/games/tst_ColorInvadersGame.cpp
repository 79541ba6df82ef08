#include "games/ColorInvadersGame.h"

#include <QTest>

using namespace hb;
using namespace std::chrono_literals;
using Points = QList<QPointF>;

namespace {

// A field of 400 × 800 points: invaders are 40 points wide, so a player's shot hits within
// 0.05 of the width and 0.025 of the height of an invader's centre. The cursor's hit box spans
// 178 … 222 by 710 … 730 points.
constexpr double kWidth = 400;
constexpr double kHeight = 800;

Invader invaderAt(QPointF at, InvaderType type = InvaderType::colorCast)
{
    return {QUuid::createUuid(), at.x(), at.y(), type, false};
}

Bullet bulletAt(QPointF at, bool isPlayer)
{
    return {QUuid::createUuid(), at.x(), at.y(), isPlayer};
}

} // namespace

class TestColorInvadersGame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Scripted chance: no invader shoots unless told to, and particle offsets alternate between the
    // lower and the upper end of their range.
    void init()
    {
        m_now = ColorInvadersTime(10s);
        m_askedBelow.clear();
        m_below.clear();
        m_randomIns = 0;
        m_game = std::make_unique<ColorInvadersGame>(ColorInvadersGame::Sources{
            [this](int n) {
                m_askedBelow.append(n);
                return m_below.isEmpty() ? n - 1 : m_below.takeFirst();
            },
            [this](double a, double b) { return m_randomIns++ % 2 == 0 ? a : b; },
            [this] { return m_now; }});
    }

    void handleTap_data()
    {
        QTest::addColumn<bool>("startPanel");
        QTest::addColumn<GameState>("before");
        QTest::addColumn<GameState>("after");
        QTest::addColumn<qsizetype>("bullets"); // 2 before
        QTest::addColumn<bool>("restarts");

        QTest::newRow("start panel")
            << true << GameState::playing << GameState::playing << qsizetype(0) << true;
        QTest::newRow("playing fires")
            << false << GameState::playing << GameState::playing << qsizetype(3) << false;
        QTest::newRow("paused ignores it")
            << false << GameState::paused << GameState::paused << qsizetype(2) << false;
        QTest::newRow("game over")
            << false << GameState::gameOver << GameState::playing << qsizetype(0) << true;
    }

    void handleTap()
    {
        QFETCH(bool, startPanel);
        QFETCH(GameState, before);
        QFETCH(bool, restarts);
        ColorInvadersState &state = m_game->state();
        state = {0.8, {}, {}, {}, 500, 2, 4, before, -1, m_now, startPanel};
        state.invaders = {invaderAt({0.3, 0.3})};
        state.bullets = {bulletAt({0.2, 0.5}, true), bulletAt({0.3, 0.6}, false)};
        state.particles = {Particle{QUuid::createUuid(), 0.5, 0.5, Qt::red, 0.5}};
        m_now += 3s;

        m_game->handleTap();

        QTEST(state.gameState, "after");
        QTEST(state.bullets.size(), "bullets");
        QVERIFY(!state.showStartOverlay);
        QCOMPARE(state.playerX, 0.8); // the cursor stays where it was
        QCOMPARE(state.invaders.size() + state.particles.size(), restarts ? 24 : 2);
        const QList<qint64> counts{state.score, state.lives, state.level};
        QCOMPARE(counts, (restarts ? QList<qint64>{0, 3, 1} : QList<qint64>{500, 2, 4}));
        QCOMPARE(state.invaderDirection, restarts ? 1.0 : -1.0);
        QCOMPARE(state.lastInvaderDrop == m_now, restarts);
        if (state.bullets.size() == 3)
            QVERIFY(state.bullets.last().x == 0.8 && state.bullets.last().y == 0.88);
    }

    void movePlayer_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("startPanel");
        QTest::addColumn<GameState>("gameState");
        QTest::addColumn<double>("playerX");

        QTest::newRow("left of the field") << -50.0 << false << GameState::playing << 0.05;
        QTest::newRow("inside") << 100.0 << false << GameState::playing << 0.25;
        QTest::newRow("inside the right margin") << 390.0 << false << GameState::playing << 0.95;
        // Outside play, neither drags nor ticks change anything.
        QTest::newRow("start panel") << 100.0 << true << GameState::playing << 0.5;
        QTest::newRow("paused") << 100.0 << false << GameState::paused << 0.5;
    }

    void movePlayer()
    {
        QFETCH(double, x);
        QFETCH(bool, startPanel);
        QFETCH(GameState, gameState);
        ColorInvadersState &state = startWith({{0.5, 0.3}});
        state.bullets = {bulletAt({0.5, 0.5}, true)};
        state.showStartOverlay = startPanel;
        state.gameState = gameState;
        m_game->movePlayer(x, kWidth);
        QTEST(state.playerX, "playerX");

        m_game->tick(kWidth, kHeight);
        const bool frozen = startPanel || gameState != GameState::playing;
        QCOMPARE(state.bullets.first().y, frozen ? 0.5 : 0.475);
        QCOMPARE(state.invaders.first().x, frozen ? 0.5 : 0.505);
        QCOMPARE(state.gameState, gameState);
    }

    void playerShots_data()
    {
        QTest::addColumn<Points>("invaders");
        QTest::addColumn<Points>("shots"); // where each shot is when it is checked
        QTest::addColumn<QList<int>>("hit");
        QTest::addColumn<qsizetype>("shotsLeft");

        const Points one{{0.5, 0.5}};
        const Points two{{0.5, 0.5}, {0.52, 0.5}};
        QTest::newRow("direct hit") << one << one << QList{0} << qsizetype(0);
        QTest::newRow("one shot, two overlapping: the first only")
            << two << Points{{0.51, 0.5}} << QList{0} << qsizetype(0);
        QTest::newRow("two shots, two overlapping: one each")
            << two << Points{{0.51, 0.5}, {0.51, 0.5}} << QList{0, 1} << qsizetype(0);
        QTest::newRow("two shots, one target: the second flies on")
            << one << Points{{0.5, 0.5}, {0.5, 0.5}} << QList{0} << qsizetype(1);
        QTest::newRow("19 points aside: hit")
            << one << Points{{0.5475, 0.5}} << QList{0} << qsizetype(0);
        QTest::newRow("21 points aside: miss")
            << one << Points{{0.5525, 0.5}} << QList<int>{} << qsizetype(1);
        QTest::newRow("19 points below: hit")
            << one << Points{{0.5, 0.52375}} << QList{0} << qsizetype(0);
        QTest::newRow("21 points below: miss")
            << one << Points{{0.5, 0.52625}} << QList<int>{} << qsizetype(1);
    }

    void playerShots()
    {
        QFETCH(Points, invaders);
        QFETCH(Points, shots);
        QFETCH(QList<int>, hit);
        ColorInvadersState &state = startWith(invaders + Points{{0.2, 0.15}}); // a spare one
        state.level = 3;
        for (const QPointF &at : shots)
            state.bullets.append(bulletAt(at + QPointF(0, 0.025), true));
        QList<QUuid> expectedLeft;
        for (qsizetype i = 0; i < state.invaders.size(); ++i) {
            if (!hit.contains(int(i)))
                expectedLeft.append(state.invaders[i].id);
        }

        m_game->tick(kWidth, kHeight);

        QTEST(state.bullets.size(), "shotsLeft");
        QCOMPARE(state.score, 30 * hit.size());
        QCOMPARE(state.particles.size(), 8 * hit.size());
        QList<QUuid> left;
        for (const Invader &invader : state.invaders)
            left.append(invader.id);
        QCOMPARE(left, expectedLeft);
    }

    // An invader's shot in the cursor's hit box takes a life; an invader past the invasion
    // line takes them all.
    void livesAfterATick_data()
    {
        QTest::addColumn<Points>("invaders");
        QTest::addColumn<qint64>("lives");
        QTest::addColumn<Points>("shots"); // where each shot is when it is checked
        QTest::addColumn<qint64>("livesAfter");
        QTest::addColumn<qsizetype>("shotsLeft");

        const Points high{{0.5, 0.15}};
        const auto row = [](const char *tag, const Points &invaders, qint64 lives,
                            const Points &shots, qint64 livesAfter, qsizetype shotsLeft) {
            QTest::newRow(tag) << invaders << lives << shots << livesAfter << shotsLeft;
        };
        row("falls off the bottom", high, 3, {{0.9, 1.008}}, 3, 0);
        row("beside the cursor", high, 3, {{0.5575, 0.9}}, 3, 1);
        row("at the box's side", high, 3, {{0.5525, 0.9}}, 2, 0);
        row("last life", high, 1, {{0.5, 0.9}}, 0, 0);
        row("two hits on the last life", high, 1, {{0.49, 0.9}, {0.51, 0.9}}, -1, 0);
        row("on the line", {{0.5, 0.2}, {0.5, 0.88}}, 2, {}, 2, 0);
        row("past the line", {{0.5, 0.2}, {0.5, 0.8801}}, 2, {}, 0, 0);
        // At the margin, with the last drop long ago, the formation steps down over the line.
        row("stepping over the line", {{0.5, 0.2}, {0.96, 0.87}}, 2, {}, 0, 0);
    }

    void livesAfterATick()
    {
        QFETCH(Points, invaders);
        QFETCH(Points, shots);
        QFETCH(qint64, livesAfter);
        ColorInvadersState &state = startWith(invaders);
        QFETCH(qint64, lives);
        state.lives = lives;
        for (const QPointF &at : shots)
            state.bullets.append(bulletAt(at - QPointF(0, 0.018), false));
        m_now += 1s;

        m_game->tick(kWidth, kHeight);

        QCOMPARE(state.lives, livesAfter);
        QTEST(state.bullets.size(), "shotsLeft");
        QCOMPARE(state.gameState, livesAfter > 0 ? GameState::playing : GameState::gameOver);
    }

    void clearingTheWaveLevelsUpAtOnce()
    {
        ColorInvadersState &state = startWith({{0.5, 0.5}});
        state.invaderDirection = -1;
        const ColorInvadersTime lastDrop = state.lastInvaderDrop;
        state.bullets = {bulletAt({0.5, 0.525}, true)};
        m_now += 2s;

        m_game->tick(kWidth, kHeight);

        QCOMPARE(state.level, 2);
        QCOMPARE(state.score, 10);
        QCOMPARE(state.invaders.size(), 24);
        QCOMPARE(state.invaders.first().x, 0.15); // the new wave has not moved yet
        QCOMPARE(state.invaders.first().y, 0.12);
        QCOMPARE(state.invaderDirection, -1.0);
        QCOMPARE(state.lastInvaderDrop, lastDrop);
    }

    void marchAndDrop_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<qint64>("level");
        QTest::addColumn<int>("sinceDropMs");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<double>("xAfter");
        QTest::addColumn<double>("directionAfter");
        QTest::addColumn<int>("drops");

        // Marching right at first; the formation's other edge stays at 0.5.
        QTest::newRow("inside the margins, no drop however long")
            << 0.5 << 1LL << 2000 << 1 << 0.505 << 1.0 << 0;
        QTest::newRow("past the right margin, drop due")
            << 0.95 << 1LL << 600 << 1 << 0.955 << -1.0 << 1;
        QTest::newRow("0.5 s is not more than 0.5 s")
            << 0.95 << 1LL << 500 << 1 << 0.955 << -1.0 << 0;
        QTest::newRow("level 12 steps 0.06") << 0.5 << 12LL << 600 << 1 << 0.56 << 1.0 << 0;
        // Still beyond the margin on the next tick: the direction flips back, without a second
        // drop.
        QTest::newRow("flips every tick, drops once")
            << 0.99 << 1LL << 600 << 2 << 0.99 << 1.0 << 1;
    }

    void marchAndDrop()
    {
        QFETCH(double, x);
        QFETCH(qint64, level);
        QFETCH(int, sinceDropMs);
        QFETCH(int, ticks);
        QFETCH(int, drops);
        ColorInvadersState &state = startWith({{x, 0.3}, {0.5, 0.2}});
        state.level = level;
        m_now = state.lastInvaderDrop + std::chrono::milliseconds(sinceDropMs);

        for (int i = 0; i < ticks; ++i)
            m_game->tick(kWidth, kHeight);

        QTEST(state.invaders.first().x, "xAfter");
        QTEST(state.invaderDirection, "directionAfter");
        QCOMPARE(state.invaders.first().y, 0.3 + 0.02 * drops);
        QCOMPARE(state.lastInvaderDrop == m_now, drops > 0);
    }

    void shotOdds_data()
    {
        QTest::addColumn<qint64>("level");
        QTest::addColumn<int>("odds");
        QTest::newRow("level 1") << 1LL << 38;
        QTest::newRow("level 10") << 10LL << 20;
        QTest::newRow("level 15") << 15LL << 20;
    }

    // A tick asks for the level's odds; when they come up, one invader drawn from all shoots.
    void shotOdds()
    {
        QFETCH(qint64, level);
        QFETCH(int, odds);
        ColorInvadersState &state = startWith({{0.5, 0.3}, {0.2, 0.4}, {0.8, 0.4}});
        state.level = level;
        m_game->tick(kWidth, kHeight);
        QCOMPARE(m_askedBelow, QList{odds});
        QVERIFY(state.bullets.isEmpty());

        m_below = {0, 1}; // the odds come up; the second invader shoots
        m_game->tick(kWidth, kHeight);
        QCOMPARE(m_askedBelow, (QList{odds, odds, 3}));
        QCOMPARE(state.bullets.size(), 1);
        const Bullet &shot = state.bullets.first();
        QVERIFY(!shot.isPlayer);
        QCOMPARE(shot.x, state.invaders[1].x);
        QCOMPARE(shot.y, state.invaders[1].y + 0.04);
    }

private:
    // A started game whose field holds only `invaders`.
    ColorInvadersState &startWith(const Points &invaders)
    {
        m_game->handleTap();
        ColorInvadersState &state = m_game->state();
        state.invaders.clear();
        for (const QPointF &at : invaders)
            state.invaders.append(invaderAt(at));
        return state;
    }

    std::unique_ptr<ColorInvadersGame> m_game;
    ColorInvadersTime m_now;
    QList<int> m_askedBelow; // every n the game drew "random below n" for
    QList<int> m_below;      // what it draws next; then n - 1
    int m_randomIns = 0;
};

QTEST_GUILESS_MAIN(TestColorInvadersGame)
#include "tst_ColorInvadersGame.moc"
