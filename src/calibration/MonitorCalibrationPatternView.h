#pragma once

#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QWidget>

namespace hb {

// Shows the test pattern of one step. Framed, the pattern is clipped to a rounded rectangle
// with a faint outline; unframed (full screen) it fills the widget edge to edge.
class MonitorCalibrationPatternView : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kCornerRadius = 14;

    explicit MonitorCalibrationPatternView(QWidget *parent = nullptr);

    MonitorCalibrationStep step() const { return m_step; }
    void setStep(MonitorCalibrationStep step);
    MonitorCalibrationPatternPainter::Range range() const { return m_range; }
    void setRange(MonitorCalibrationPatternPainter::Range range);
    bool isFramed() const { return m_framed; }
    void setFramed(bool framed);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MonitorCalibrationStep m_step = MonitorCalibrationStep::Brightness;
    MonitorCalibrationPatternPainter::Range m_range = MonitorCalibrationPatternPainter::Range::Full;
    bool m_framed = true;
};

} // namespace hb
