#pragma once

#include "games/BouncingMonitorsColor.h"

#include <QPointF>

namespace hb {

// The ring that marks a match: it grows from its radius to six times that while fading out, and
// is gone once it has lived its duration.
struct BouncingMonitorsHitBurst {
    static constexpr double kRadius = 8;
    static constexpr double kLineWidth = 3;
    static constexpr double kFinalScale = 6;
    static constexpr double kDuration = 0.28;
    static constexpr double kZPosition = 10;

    QPointF position;
    double hue = 0;
    // Seconds since the ring appeared.
    double age = 0;

    double progress() const;
    // 1 when it appears, kFinalScale at the end; the stroke width scales with it.
    double scale() const;
    // The stroke: the hue at saturation 0.75, brightness 1 and opacity 0.9, faded by the age.
    BouncingMonitorsColor strokeColor() const;
    bool isFinished() const { return age >= kDuration; }
};

} // namespace hb
