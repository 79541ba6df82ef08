#include "common/Settings.h"
#include "games/ColorInvadersGameView.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

// The screen on a 400 × 800 field, with a game whose invaders never shoot.
class TestColorInvadersGameView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<Settings>(m_folder->filePath(u"settings.ini"_s));
        m_view = makeView();
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QVERIFY(state().showStartOverlay);
    }

    void cleanup()
    {
        m_view.reset();
        m_settings.reset();
        m_folder.reset();
    }

    void keyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<GameState>("gameState");
        QTest::addColumn<qsizetype>("shots");
        QTest::addColumn<int>("steps"); // cursor moves, in keyboard steps to the right

        const auto row = [](const char *tag, const QList<int> &keys, GameState state,
                            qsizetype shots,
                            int steps) { QTest::newRow(tag) << keys << state << shots << steps; };
        row("space fires", {Qt::Key_Space}, GameState::playing, 1, 0);
        row("left and a", {Qt::Key_Left, Qt::Key_A}, GameState::playing, 0, -2);
        row("right and d", {Qt::Key_Right, Qt::Key_D}, GameState::playing, 0, 2);
        row("p pauses", {Qt::Key_P}, GameState::paused, 0, 0);
        row("enter resumes", {Qt::Key_P, Qt::Key_Return}, GameState::playing, 0, 0);
    }

    void keyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, steps);
        QTest::keyClick(m_view.get(), Qt::Key_Enter);
        QVERIFY(!state().showStartOverlay);
        QCOMPARE(state().invaders.size(), 24);
        for (int key : keys)
            QTest::keyClick(m_view.get(), Qt::Key(key));
        QTEST(state().gameState, "gameState");
        QTEST(state().bullets.size(), "shots");
        QCOMPARE(state().playerX, 0.5 + steps * ColorInvadersGameView::kKeyboardStep);
        QCOMPARE(m_view->isPausedAutomatically(), false);
    }

    void hidingPausesAndKeepsTheGame()
    {
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        // A menu over the field is not leaving it.
        QCoreApplication::sendEvent(m_view.get(), &popup);
        QCOMPARE(state().gameState, GameState::playing);
        QFocusEvent tabbedAway(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(m_view.get(), &tabbedAway);
        QVERIFY(m_view->isPausedAutomatically());
        QTest::keyClick(m_view.get(), Qt::Key_P);
        QCOMPARE(state().gameState, GameState::playing);

        m_view->game().state().score = 120;
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        m_view->hide();
        QCOMPARE(state().gameState, GameState::paused);
        QVERIFY(m_view->isPausedAutomatically());
        QCOMPARE(m_settings->integer(SettingsKey::gamesColorInvadersBestScore), 120);

        m_view->show();
        QCOMPARE(state().gameState, GameState::paused);
        QCOMPARE(state().score, 120);
        QCOMPARE(state().invaders.size(), 24);
        QCOMPARE(state().bullets.size(), 1);
        QTest::keyClick(m_view.get(), Qt::Key_P);
        QCOMPARE(state().gameState, GameState::playing);
        QVERIFY(!m_view->isPausedAutomatically());
    }

    void gameOverKeepsTheBestScore()
    {
        const auto endGameWith = [this](qint64 score) {
            ColorInvadersState &game = m_view->game().state();
            game.score = score;
            game.lives = 0;
            m_view->advance();
        };
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        m_view->game().movePlayer(300, 400);
        endGameWith(250);
        QCOMPARE(state().gameState, GameState::gameOver);
        QCOMPARE(m_settings->integer(SettingsKey::gamesColorInvadersBestScore), 250);

        QTest::keyClick(m_view.get(), Qt::Key_Space); // no restart by accident
        QCOMPARE(state().gameState, GameState::gameOver);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QCOMPARE(state().gameState, GameState::playing);
        QCOMPARE(state().score, 0);
        QCOMPARE(state().playerX, 0.75);
        QCOMPARE(m_view->bestScore(), 250);

        endGameWith(100);
        QCOMPARE(m_settings->integer(SettingsKey::gamesColorInvadersBestScore), 250);
        m_view.reset();
        QCOMPARE(makeView()->bestScore(), 250);
    }

    void pressMovesAndClickFires()
    {
        QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, QPoint(100, 400));
        QVERIFY(!state().showStartOverlay);
        QCOMPARE(state().playerX, 0.5); // the press on the start panel does not move the cursor

        QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, QPoint(100, 400));
        QCOMPARE(state().playerX, 0.25);
        QCOMPARE(state().bullets.size(), 1);
        QCOMPARE(state().bullets.first().x, 0.25);

        // A drag moves the cursor, clamped, and does not shoot.
        QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(100, 400));
        QTest::mouseMove(m_view.get(), QPoint(399, 300));
        QCOMPARE(state().playerX, 0.95);
        QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, QPoint(399, 300));
        QCOMPARE(state().bullets.size(), 1);
    }

    // While the game runs it ticks every 0.05 s, as ever, and the screen is drawn more often
    // than that, with the motion between ticks; the start panel, a pause and a hidden screen
    // stop both.
    void ticksAtItsPaceAndDrawsBetween()
    {
        PaintCounter paints(m_view.get());
        QTest::qWait(200);
        QVERIFY(!m_view->isTicking());
        QVERIFY(!m_view->isAnimating());
        QVERIFY(paints.count <= 2); // the start panel, drawn once

        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(m_view->isTicking());
        QVERIFY(m_view->isAnimating());
        const double startX = state().invaders.first().x;
        paints.count = 0;
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(600);
        const double elapsed = double(clock.elapsed());
        // Level 1 marches 0.005 of the width per tick; no edge is reached in this time.
        const double ticks = (state().invaders.first().x - startX) / 0.005;
        QVERIFY2(ticks >= 4 && ticks <= elapsed / ColorInvadersGameView::kTickMilliseconds + 1,
                 qPrintable(u"%1 ticks in %2 ms"_s.arg(ticks).arg(elapsed)));
        QVERIFY2(paints.count > ticks,
                 qPrintable(u"%1 frames, %2 ticks"_s.arg(paints.count).arg(ticks)));

        const auto stops = [&](const char *what) {
            QVERIFY2(!m_view->isTicking() && !m_view->isAnimating(), what);
            const double x = state().invaders.first().x;
            paints.count = 0;
            QTest::qWait(200);
            QVERIFY2(paints.count <= 1, what); // the panel that says so, at most
            QVERIFY2(state().invaders.first().x == x, what);
        };
        QTest::keyClick(m_view.get(), Qt::Key_P);
        stops("paused");
        QTest::keyClick(m_view.get(), Qt::Key_P);
        QVERIFY(m_view->isTicking() && m_view->isAnimating());
        m_view->hide();
        stops("hidden");
    }

private:
    struct PaintCounter : QObject {
        explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++count;
            return false;
        }
        int count = 0;
    };

    std::unique_ptr<ColorInvadersGameView> makeView()
    {
        auto view = std::make_unique<ColorInvadersGameView>(
            *m_settings, ColorInvadersGame::Sources{[](int n) { return n - 1; },
                                                    [](double a, double) { return a; },
                                                    [] { return ColorInvadersTime(); }});
        view->resize(400, 800);
        return view;
    }

    const ColorInvadersState &state() const { return m_view->game().state(); }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<ColorInvadersGameView> m_view;
};

QTEST_MAIN(TestColorInvadersGameView)
#include "tst_ColorInvadersGameView.moc"
