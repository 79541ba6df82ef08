#pragma once

#include "calibration/MonitorCalibrationMeasureSequence.h"
#include "calibration/MonitorCalibrationStep.h"

#include <QColor>
#include <QRectF>

class QPainter;

namespace hb {

// Draws the test pattern of a step so that it fills `area`. Sizes are in logical pixels; the
// levels are sRGB signal levels, drawn as 8-bit code values in full range (0-255) or in video
// range (16-235). Used by the screen and the full-screen window, and by tests on a QImage.
class MonitorCalibrationPatternPainter {
public:
    enum class Range { Full, Video };

    static void paint(QPainter &painter, const QRectF &area, MonitorCalibrationStep step,
                      Range range = Range::Full);

    // A measure patch: `patch`'s colour over `fraction` of the area, centred and of the area's
    // proportions, on black.
    static void paintPatch(QPainter &painter, const QRectF &area,
                           const MonitorCalibrationPatch &patch, double fraction,
                           Range range = Range::Full);
    static QRectF patchRect(const QRectF &area, double fraction);

    // The 8-bit code value of a signal level. Full range: v = 255 × level, rounded and clipped
    // to 0-255. Video range maps that v to 16 + v × 219 / 255, rounded, so black is 16 and white
    // 235; a level below 0 (the PLUGE's below-black bar) or above 1 keeps its footroom or
    // headroom there instead of being clipped.
    static int code(double level, Range range);
    // A colour of signal levels, in the given range; `alpha` is the opacity.
    static QColor colour(double r, double g, double b, Range range, double alpha = 1);

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
    // caption says. The PLUGE bars are below black, black, +2 % and +4 %.
    static QList<double> barLevels(MonitorCalibrationStep step);
    // The caption of the bar patterns; empty for the other steps.
    static QString caption(MonitorCalibrationStep step);
    // Where the bars and the caption plate of a bar pattern go in `area`; empty for the other
    // steps. When the area is too low for both, the bars shrink to fit above the caption.
    static QList<QRectF> barRects(const QRectF &area, MonitorCalibrationStep step);
    static QRectF captionRect(const QRectF &area, MonitorCalibrationStep step);
    // Cell i of the primaries grid.
    static QRectF primariesCell(const QRectF &area, int index);
};

} // namespace hb
