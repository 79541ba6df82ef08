#pragma once

#include "games/BouncingMonitorsGameScene.h"
#include "games/X11VisibilityWatcher.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QSlider;
class QWindow;

namespace hb {

class BouncingMonitorsFieldView;
class Settings;

// The Bouncing Monitors screen: a header with the score, the best score and the Target swatch,
// the play field, and a card with the Monitors and Difficulty sliders. The screen learns the
// score and the Target only through the scene's callbacks, one turn of the event loop later;
// it writes the monitor count and the difficulty into the scene. The game runs only while it
// can be seen: it pauses while the screen is hidden, its window minimised, not exposed by the
// window system or covered by other windows, and goes on from where it was, without making up
// for the time away.
class BouncingMonitorsGameView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinMonitorsSlider = 6;
    static constexpr int kMaxMonitorsSlider = 18;
    // The Difficulty slider's steps between 0 and 1.
    static constexpr int kDifficultySteps = 1000;

    struct Options {
        // Empty: the system's generator.
        BouncingMonitorsGameScene::RandomSource random;
        // Monotonic seconds that drive the physics; empty: the system's steady clock.
        std::function<double()> clock;
        // The INI file that keeps the best score; empty: the user's settings.
        QString settingsFile;
    };

    explicit BouncingMonitorsGameView(QWidget *parent = nullptr);
    explicit BouncingMonitorsGameView(Options options, QWidget *parent = nullptr);
    ~BouncingMonitorsGameView() override;

    qint64 score() const { return m_score; }
    double targetHue() const { return m_targetHue; }
    double monitorCount() const { return m_monitorCount; }
    double difficulty() const { return m_difficulty; }
    qint64 bestScore() const { return m_bestScore; }
    // Whether the physics and the frames are running (the screen can be seen).
    bool isRunning() const { return m_frameTimer.isActive(); }

    // What the X server says of the window the screen is in (unknown elsewhere).
    const X11VisibilityWatcher &windowVisibility() const { return m_windowVisibility; }

    BouncingMonitorsGameScene &scene() { return m_scene; }
    const BouncingMonitorsGameScene &scene() const { return m_scene; }

    void restart();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildControls();
    void appear();
    void installCallbacks();
    // Follows the window the screen is in: its state changes, its exposure, whether other
    // windows cover it and the native windows it is given.
    void watchWindow();
    bool canBeSeen() const;
    // Runs or pauses the game as canBeSeen() says.
    void updateRunning();
    void resume();
    void pause();
    void nextFrame();
    void setScore(qint64 score);
    void setTargetHue(double hue);
    void setMonitorCount(double count);
    void setDifficulty(double difficulty);
    void refreshSwatch();

    // The screen's state, as the scene last reported it and as the sliders set it.
    qint64 m_score = 0;
    double m_targetHue = 0.58;
    double m_monitorCount = 10;
    double m_difficulty = 0.35;
    BouncingMonitorsGameScene m_scene;

    std::unique_ptr<Settings> m_settings;
    qint64 m_bestScore = 0;
    QElapsedTimer m_steadyClock;
    std::function<double()> m_clock;
    double m_lastFrameTime = 0;
    QTimer m_frameTimer;
    QPointer<QWidget> m_watchedWindow;
    QPointer<QWindow> m_watchedHandle;
    X11VisibilityWatcher m_windowVisibility;

    QLabel *m_scoreLabel = nullptr;
    QLabel *m_bestLabel = nullptr;
    QLabel *m_swatch = nullptr;
    BouncingMonitorsFieldView *m_field = nullptr;
    QSlider *m_monitorsSlider = nullptr;
    QLabel *m_monitorsValue = nullptr;
    QSlider *m_difficultySlider = nullptr;
};

} // namespace hb
