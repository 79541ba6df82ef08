#pragma once

#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMeasureRun.h"
#include "calibration/MonitorCalibrationMeterLog.h"
#include "calibration/MonitorCalibrationPatternPainter.h"
#include "calibration/MonitorCalibrationStep.h"

#include <QWidget>

class QBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace hb {

class MonitorCalibrationFullScreenWindow;
class MonitorCalibrationMeterCard;
class MonitorCalibrationPatternView;
class ToggleSwitch;

// The calibration screen: visual checks of a display, each with its pattern and the
// reference patch sent to an optional light meter, the meter's card, and a full-screen mode
// on a display of the user's choice. In measure mode the pattern gives way to measure patches
// (a grey ramp, primaries and secondaries) read by the network meter or a colorimeter and
// logged for the chart and the CSV. Its state (step, full screen, the host and the session's
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
    MonitorCalibrationMeasureRun &measureRun() { return m_measure; }
    bool isMeasuring() const { return m_measure.isActive(); }
    void setMeasureMode(bool on);
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
    QWidget *buildMeasureOptions();
    // The measure report, in measure mode when there is one.
    void showReport();
    void setStep(MonitorCalibrationStep step);
    void refreshStep();
    void refreshDisplays();
    void arrangeCards();
    // Keeps the instruction as high as the longest one at the card's width, so the buttons
    // below it stay put from step to step.
    void fitInstructionHeight();
    MonitorCalibrationPatternPainter::Range range() const;
    void refreshRangeCaption();
    void recordMeasurement(const MonitorCalibrationMeasurementPayload &measurement);
    void chooseLogFile();

    MonitorCalibrationHostNetworking m_networking;
    MonitorCalibrationMeterLog m_log;
    MonitorCalibrationMeasureRun m_measure;
    MonitorCalibrationStep m_step = MonitorCalibrationStep::Brightness;
    bool m_isFullScreen = false;
    bool m_videoLevels = false;

    ToggleSwitch *m_fullScreenSwitch = nullptr;
    ToggleSwitch *m_videoLevelsSwitch = nullptr;
    ToggleSwitch *m_measureSwitch = nullptr;
    QWidget *m_measureOptions = nullptr;
    QComboBox *m_patchArea = nullptr;
    QSpinBox *m_greySteps = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_measureAll = nullptr;
    QLabel *m_report = nullptr;
    QLabel *m_gammaSteps = nullptr;
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
