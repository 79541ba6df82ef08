#pragma once

#include <QColor>

namespace hb {

// A fill or stroke colour of the game's shapes as hue, saturation, brightness and opacity, each
// in [0, 1], on the display's own RGB. The game keeps colours in this form rather than as QColor:
// QColor rounds hues to a hundredth of a degree and hands them back as float, which moves a hue
// by enough to flip a click that lies exactly on the tolerance edge.
struct BouncingMonitorsColor {
    double hue = 0;
    double saturation = 0;
    double brightness = 0;
    double alpha = 0;

    // A grey (or white at level 1) with the given opacity.
    static BouncingMonitorsColor white(double level, double alpha);
    // No colour: shapes with it are not filled or not stroked.
    static BouncingMonitorsColor clear() { return {}; }

    bool isVisible() const { return alpha > 0; }
    QColor toQColor() const;
    // The same colour with its opacity multiplied by a factor (a fading shape).
    BouncingMonitorsColor fadedBy(double factor) const;

    bool operator==(const BouncingMonitorsColor &) const = default;
};

} // namespace hb
