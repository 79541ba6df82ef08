#include "games/BouncingMonitorsGameView.h"

#include "common/Backdrop.h"
#include "common/Settings.h"
#include "games/BouncingMonitorsFieldView.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QWindow>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"Bouncing Monitors"_s;
const QString kScorePrefix = u"Score: "_s;
const QString kBestPrefix = u"Best: "_s;
const QString kTarget = u"Target"_s;
const QString kRestart = u"Restart"_s;
const QString kInstructions = u"Tap the monitor whose screen matches the Target color. "
                              u"Close match scores. Wrong taps lose points."_s;
const QString kMonitors = u"Monitors"_s;
const QString kDifficulty = u"Difficulty"_s;
const QString kBeginner = u"Beginner"_s;
const QString kAdvanced = u"Advanced"_s;

constexpr int kPadding = 16;
constexpr int kSpacing = 12;
constexpr int kSwatchSize = 14;
constexpr int kCountFieldWidth = 34;
constexpr int kDefaultFrameInterval = 16; // ms, about 60 Hz

QLabel *secondary(QLabel *label)
{
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

qint64 sceneMonitorCount(double sliderValue)
{
    const double count = std::isfinite(sliderValue) ? std::trunc(sliderValue) : 0;
    return static_cast<qint64>(std::clamp(count,
                                          double(BouncingMonitorsGameScene::kMinMonitorCount),
                                          double(BouncingMonitorsGameScene::kMaxMonitorCount)));
}

double sceneDifficulty(double sliderValue)
{
    return std::clamp(sliderValue, 0.0, 1.0);
}

} // namespace

BouncingMonitorsGameView::BouncingMonitorsGameView(QWidget *parent)
    : BouncingMonitorsGameView(Options{}, parent)
{
}

BouncingMonitorsGameView::BouncingMonitorsGameView(Options options, QWidget *parent)
    : QWidget(parent), m_scene(options.random ? std::move(options.random)
                                              : BouncingMonitorsGameScene::systemRandom()),
      m_settings(options.settingsFile.isEmpty() ? std::make_unique<Settings>()
                                                : std::make_unique<Settings>(options.settingsFile)),
      m_clock(std::move(options.clock))
{
    setWindowTitle(kTitle);
    m_steadyClock.start();
    if (!m_clock)
        m_clock = [this] { return double(m_steadyClock.nsecsElapsed()) / 1e9; };
    m_bestScore = std::max(
        m_settings->integer(SettingsKey::gamesBouncingMonitorsBestScore).value_or(0), qint64(0));

    auto *backdrop = new Backdrop;
    auto *column = new QVBoxLayout(backdrop);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);
    column->addWidget(buildHeader());
    m_field = new BouncingMonitorsFieldView(m_scene);
    m_field->setObjectName(u"playField"_s);
    column->addWidget(m_field, 1);
    column->addWidget(buildControls());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &BouncingMonitorsGameView::nextFrame);
    connect(&m_windowVisibility, &X11VisibilityWatcher::visibilityChanged, this,
            &BouncingMonitorsGameView::updateRunning);
    setScore(m_score);
    refreshSwatch();
}

BouncingMonitorsGameView::~BouncingMonitorsGameView()
{
    m_windowVisibility.watch(nullptr);
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    if (m_watchedHandle)
        m_watchedHandle->removeEventFilter(this);
}

QWidget *BouncingMonitorsGameView::buildHeader()
{
    auto *header = new QWidget;
    auto *title = new QLabel(kTitle, header);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);

    m_scoreLabel = secondary(new QLabel(header));
    m_scoreLabel->setObjectName(u"scoreLabel"_s);
    m_bestLabel = secondary(new QLabel(header));
    m_bestLabel->setObjectName(u"bestScoreLabel"_s);
    auto *target = new QLabel(kTarget, header);
    m_swatch = new QLabel(header);
    m_swatch->setObjectName(u"targetSwatch"_s);
    m_swatch->setFixedSize(kSwatchSize, kSwatchSize);
    m_swatch->setAccessibleName(kTarget);
    auto *restart = new QPushButton(kRestart, header);
    restart->setObjectName(u"restartButton"_s);

    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    row->addWidget(title);
    row->addSpacing(4);
    row->addWidget(m_scoreLabel);
    row->addWidget(m_bestLabel);
    row->addStretch(1);
    row->addWidget(target);
    row->addWidget(m_swatch);
    row->addSpacing(4);
    row->addWidget(restart);

    connect(restart, &QPushButton::clicked, this, &BouncingMonitorsGameView::restart);
    return header;
}

QWidget *BouncingMonitorsGameView::buildControls()
{
    auto *card = new QFrame;
    card->setObjectName(u"controlsCard"_s);
    card->setStyleSheet(
        u"#controlsCard { background-color: rgba(255, 255, 255, 18); border-radius: 14px; }"_s);

    auto *instructions = secondary(new QLabel(kInstructions, card));
    instructions->setWordWrap(true);
    QFont subheadline = instructions->font();
    subheadline.setPointSizeF(subheadline.pointSizeF() * 0.93);
    instructions->setFont(subheadline);

    auto *monitorsLabel = new QLabel(kMonitors, card);
    m_monitorsSlider = new QSlider(Qt::Horizontal, card);
    m_monitorsSlider->setObjectName(u"monitorsSlider"_s);
    m_monitorsSlider->setAccessibleName(kMonitors);
    m_monitorsSlider->setRange(kMinMonitorsSlider, kMaxMonitorsSlider);
    m_monitorsSlider->setSingleStep(1);
    m_monitorsSlider->setPageStep(1);
    m_monitorsSlider->setValue(int(m_monitorCount));
    m_monitorsValue = new QLabel(QString::number(int(m_monitorCount)), card);
    m_monitorsValue->setObjectName(u"monitorsValue"_s);
    m_monitorsValue->setFixedWidth(kCountFieldWidth);
    m_monitorsValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *monitorsRow = new QHBoxLayout;
    monitorsRow->setSpacing(kSpacing);
    monitorsRow->addWidget(monitorsLabel);
    monitorsRow->addWidget(m_monitorsSlider, 1);
    monitorsRow->addWidget(m_monitorsValue);

    m_difficultySlider = new QSlider(Qt::Horizontal, card);
    m_difficultySlider->setObjectName(u"difficultySlider"_s);
    m_difficultySlider->setAccessibleName(kDifficulty);
    m_difficultySlider->setRange(0, kDifficultySteps);
    m_difficultySlider->setPageStep(kDifficultySteps / 10);
    m_difficultySlider->setValue(int(std::lround(m_difficulty * kDifficultySteps)));
    auto *difficultyRow = new QHBoxLayout;
    difficultyRow->setSpacing(kSpacing);
    difficultyRow->addWidget(new QLabel(kBeginner, card));
    difficultyRow->addWidget(m_difficultySlider, 1);
    difficultyRow->addWidget(new QLabel(kAdvanced, card));

    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(10);
    layout->addWidget(instructions);
    layout->addLayout(monitorsRow);
    layout->addLayout(difficultyRow);

    connect(m_monitorsSlider, &QSlider::valueChanged, this,
            [this](int value) { setMonitorCount(value); });
    connect(m_difficultySlider, &QSlider::valueChanged, this,
            [this](int value) { setDifficulty(double(value) / kDifficultySteps); });
    return card;
}

void BouncingMonitorsGameView::restart()
{
    m_scene.resetGame();
    m_field->update();
}

void BouncingMonitorsGameView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) // not just back from being minimised
        appear();
    watchWindow();
    updateRunning();
}

void BouncingMonitorsGameView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateRunning();
}

bool BouncingMonitorsGameView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::WinIdChange) {
        // A new native window may come with a new window handle, which the old one's exposure
        // says nothing about.
        watchWindow();
        updateRunning();
    } else if ((watched == m_watchedWindow && event->type() == QEvent::WindowStateChange) ||
               (watched == m_watchedHandle && event->type() == QEvent::Expose)) {
        // The window system has already updated the state and the exposure it reports.
        updateRunning();
    }
    return QWidget::eventFilter(watched, event);
}

void BouncingMonitorsGameView::watchWindow()
{
    QWidget *topLevel = window();
    if (topLevel != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = topLevel;
        topLevel->installEventFilter(this);
    }
    QWindow *handle = topLevel->windowHandle();
    if (handle != m_watchedHandle) {
        if (m_watchedHandle)
            m_watchedHandle->removeEventFilter(this);
        m_watchedHandle = handle;
        if (handle)
            handle->installEventFilter(this);
    }
    m_windowVisibility.watch(handle);
}

bool BouncingMonitorsGameView::canBeSeen() const
{
    if (!isVisible())
        return false;
    const QWidget *topLevel = window();
    if (topLevel->isMinimized())
        return false;
    const QWindow *handle = topLevel->windowHandle();
    return handle && handle->isExposed() && !m_windowVisibility.isFullyObscured();
}

void BouncingMonitorsGameView::updateRunning()
{
    const bool run = canBeSeen();
    if (run && !m_frameTimer.isActive())
        resume();
    else if (!run && m_frameTimer.isActive())
        pause();
}

void BouncingMonitorsGameView::appear()
{
    m_scene.setSize(m_field->size());
    m_scene.didMoveToView();
    installCallbacks();
    m_scene.setMonitorCount(sceneMonitorCount(m_monitorCount));
    m_scene.setDifficulty(sceneDifficulty(m_difficulty));
    m_scene.resetGame();
}

void BouncingMonitorsGameView::installCallbacks()
{
    // Posted, not called: the scene may report from the middle of its own work.
    m_scene.setOnScoreChanged([this](qint64 score) {
        QMetaObject::invokeMethod(
            this, [this, score] { setScore(score); }, Qt::QueuedConnection);
    });
    m_scene.setOnTargetChanged([this](double hue) {
        QMetaObject::invokeMethod(
            this, [this, hue] { setTargetHue(hue); }, Qt::QueuedConnection);
    });
}

void BouncingMonitorsGameView::resume()
{
    int interval = kDefaultFrameInterval;
    if (const QScreen *display = screen(); display && display->refreshRate() > 1)
        interval = std::clamp(int(std::lround(1000 / display->refreshRate())), 4, 33);
    // The time away is not played: the first frame steps from now.
    m_lastFrameTime = m_clock();
    m_frameTimer.start(interval);
}

void BouncingMonitorsGameView::pause()
{
    m_frameTimer.stop();
}

void BouncingMonitorsGameView::nextFrame()
{
    const double now = m_clock();
    m_scene.advance(now - m_lastFrameTime);
    m_lastFrameTime = now;
    m_field->update();
}

void BouncingMonitorsGameView::setScore(qint64 score)
{
    m_score = score;
    if (m_score > m_bestScore) {
        m_bestScore = m_score;
        m_settings->setInteger(SettingsKey::gamesBouncingMonitorsBestScore, m_bestScore);
    }
    m_scoreLabel->setText(kScorePrefix + QString::number(m_score));
    m_bestLabel->setText(kBestPrefix + QString::number(m_bestScore));
}

void BouncingMonitorsGameView::setTargetHue(double hue)
{
    m_targetHue = hue;
    refreshSwatch();
}

void BouncingMonitorsGameView::setMonitorCount(double count)
{
    m_monitorCount = count;
    m_monitorsValue->setText(QString::number(static_cast<qint64>(std::trunc(count))));
    m_scene.setMonitorCount(sceneMonitorCount(count));
    restart();
}

void BouncingMonitorsGameView::setDifficulty(double difficulty)
{
    m_difficulty = difficulty;
    m_scene.setDifficulty(sceneDifficulty(difficulty));
}

void BouncingMonitorsGameView::refreshSwatch()
{
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(QSize(kSwatchSize, kSwatchSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 64), 1));
    painter.setBrush(BouncingMonitorsColor{m_targetHue, 0.85, 0.95, 1}.toQColor());
    painter.drawRoundedRect(QRectF(0.5, 0.5, kSwatchSize - 1, kSwatchSize - 1), 3.5, 3.5);
    painter.end();
    m_swatch->setPixmap(pixmap);
}

} // namespace hb
