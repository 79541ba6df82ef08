#pragma once

#include "calibration/MonitorCalibrationPatternPainter.h"

#include <QWidget>

#include <optional>

namespace hb {

// Shows the test pattern of one step, or a measure patch in its place. Framed, the pattern is
// clipped to a rounded rectangle with a faint outline; unframed (full screen) it fills the widget
// edge to edge.
class MonitorCalibrationPatternView : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kCornerRadius = 14;

    explicit MonitorCalibrationPatternView(QWidget *parent = nullptr);

    MonitorCalibrationStep step() const { return m_step; }
    void setStep(MonitorCalibrationStep step);
    MonitorCalibrationPatternPainter::Range range() const { return m_range; }
    void setRange(MonitorCalibrationPatternPainter::Range range);
    // A patch to show instead of the step's pattern; nothing to show the pattern again.
    void setMeasurePatch(const std::optional<MonitorCalibrationPatch> &patch,
                         MonitorCalibrationPatchArea area = MonitorCalibrationPatchArea::Full);
    const std::optional<MonitorCalibrationPatch> &measurePatch() const { return m_patch; }
    MonitorCalibrationPatchArea patchArea() const { return m_area; }
    bool isFramed() const { return m_framed; }
    void setFramed(bool framed);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintContent(QPainter &painter, const QRectF &area) const;

    MonitorCalibrationStep m_step = MonitorCalibrationStep::Brightness;
    MonitorCalibrationPatternPainter::Range m_range = MonitorCalibrationPatternPainter::Range::Full;
    std::optional<MonitorCalibrationPatch> m_patch;
    MonitorCalibrationPatchArea m_area = MonitorCalibrationPatchArea::Full;
    bool m_framed = true;
};

} // namespace hb
