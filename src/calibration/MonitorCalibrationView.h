#pragma once

#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMeterLog.h"
#include "calibration/MonitorCalibrationPatternPainter.h"
#include "calibration/MonitorCalibrationStep.h"

#include <QWidget>

class QBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;

namespace hb {

class MonitorCalibrationFullScreenWindow;
class MonitorCalibrationMeterCard;
class MonitorCalibrationPatternView;
class ToggleSwitch;

// The calibration screen: visual checks of a display, each with its pattern and the
// reference patch sent to an optional light meter, the meter's card, and a full-screen mode
// on a display of the user's choice. Its state (step, full screen, the host and the session's
// readings) lives as long as the screen.
class MonitorCalibrationView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSpacing = 12;
    static constexpr int kPadding = 16;

    // With the host on port 8765.
    explicit MonitorCalibrationView(QWidget *parent = nullptr);
    MonitorCalibrationView(MonitorCalibrationHostNetworking::Options options,
                           QWidget *parent = nullptr);
    ~MonitorCalibrationView() override;

    MonitorCalibrationStep step() const { return m_step; }
    bool isFullScreen() const { return m_isFullScreen; }
    void setFullScreen(bool on);
    // Whether the patterns are drawn in video range (16-235) rather than full range; remembered.
    bool videoLevels() const { return m_videoLevels; }
    void setVideoLevels(bool on);
    MonitorCalibrationHostNetworking &networking() { return m_networking; }
    const MonitorCalibrationMeterLog &log() const { return m_log; }
    // Whether the two cards stand side by side (else one above the other).
    bool cardsSideBySide() const;
    MonitorCalibrationFullScreenWindow *fullScreenWindow() const { return m_fullScreenWindow; }

    void goToPreviousStep();
    void goToNextStep();
    void sendCurrentPatch();
    // Writes the session's readings as CSV, atomically.
    Expected<Done> saveLog(const QString &path) const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildStepCard();
    void setStep(MonitorCalibrationStep step);
    void refreshStep();
    void refreshDisplays();
    void arrangeCards();
    // Keeps the instruction as high as the longest one at the card's width, so the buttons
    // below it stay put from step to step.
    void fitInstructionHeight();
    MonitorCalibrationPatternPainter::Range range() const;
    void recordMeasurement(const MonitorCalibrationMeasurementPayload &measurement);
    void chooseLogFile();

    MonitorCalibrationHostNetworking m_networking;
    MonitorCalibrationMeterLog m_log;
    MonitorCalibrationStep m_step = MonitorCalibrationStep::Brightness;
    bool m_isFullScreen = false;
    bool m_videoLevels = false;
    // The patch last made for the step on screen; readings are logged against it.
    MonitorCalibrationPatch m_currentPatch;

    ToggleSwitch *m_fullScreenSwitch = nullptr;
    ToggleSwitch *m_videoLevelsSwitch = nullptr;
    QLabel *m_rangeCaption = nullptr;
    QLabel *m_stepCounter = nullptr;
    QComboBox *m_displays = nullptr;
    QLabel *m_stepTitle = nullptr;
    QLabel *m_stepInstruction = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QWidget *m_stepCard = nullptr;
    MonitorCalibrationMeterCard *m_meterCard = nullptr;
    QBoxLayout *m_cards = nullptr;
    MonitorCalibrationPatternView *m_pattern = nullptr;
    MonitorCalibrationFullScreenWindow *m_fullScreenWindow = nullptr; // a child, made on first use
};

} // namespace hb
