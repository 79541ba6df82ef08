#pragma once

#include "calibration/MonitorCalibrationStep.h"

#include <QRectF>

class QPainter;

namespace hb {

// Draws the test pattern of a step so that it fills `area`. Sizes are in logical pixels; the
// levels are sRGB signal levels, drawn as 8-bit values. Used by the screen and the full-screen
// window, and by tests on a QImage.
class MonitorCalibrationPatternPainter {
public:
    static void paint(QPainter &painter, const QRectF &area, MonitorCalibrationStep step);

    // Geometry shared with tests.
    static constexpr qreal kBarsHeight = 180;
    static constexpr qreal kBarsInset = 40;
    static constexpr qreal kStripInset = 40;
    static constexpr qreal kStripBottom = 24;
    static constexpr qreal kGammaStripHeight = 120;
    static constexpr int kGammaSteps = 24;
    static constexpr qreal kGreyStripHeight = 120;
    static constexpr qreal kTintStripHeight = 70;
    static constexpr int kGreySteps = 16;
    static constexpr qreal kGridMargin = 24;
    static constexpr qreal kGridSpacing = 12;
    static constexpr int kGridColumns = 4;
    static constexpr qreal kUniformityInset = 20;
    static constexpr int kUniformityRows = 10;
    static constexpr int kUniformityColumns = 16;

    // Bar levels left to right. The near-white bars run from 0.92 on the left to 1.0 on the
    // right, so the bar that stands out from the white background is the leftmost, as the
    // caption says.
    static QList<double> barLevels(MonitorCalibrationStep step);
    // The caption of the bar patterns; empty for the other steps.
    static QString caption(MonitorCalibrationStep step);
};

} // namespace hb
