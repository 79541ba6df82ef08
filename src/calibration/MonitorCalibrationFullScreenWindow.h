#pragma once

#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QWidget>

#include <optional>

class QScreen;

namespace hb {

class MonitorCalibrationPatternView;

// The pattern alone, filling one display, with the pointer hidden. Escape or a click asks to
// leave; the arrow keys and Page Up/Down ask for the previous or next step (or patch), so the
// checks can be walked from the display being calibrated; Space or Return asks to measure (or send
// the patch to the meter).
class MonitorCalibrationFullScreenWindow : public QWidget {
    Q_OBJECT

public:
    explicit MonitorCalibrationFullScreenWindow(QWidget *parent = nullptr);

    void showOn(QScreen *screen);
    void setStep(MonitorCalibrationStep step);
    MonitorCalibrationStep step() const;
    void setRange(MonitorCalibrationPatternPainter::Range range);
    // See MonitorCalibrationPatternView::setMeasurePatch.
    void setMeasurePatch(const std::optional<MonitorCalibrationPatch> &patch,
                         MonitorCalibrationPatchArea area);

Q_SIGNALS:
    void leaveRequested();
    void previousRequested();
    void nextRequested();
    void measureRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    MonitorCalibrationPatternView *m_pattern;
};

} // namespace hb
