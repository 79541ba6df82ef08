#include "games/BouncingMonitorsColor.h"

#include <algorithm>

namespace hb {
namespace {

float unit(double value)
{
    return static_cast<float>(std::clamp(value, 0.0, 1.0));
}

} // namespace

BouncingMonitorsColor BouncingMonitorsColor::white(double level, double alpha)
{
    return {0, 0, level, alpha};
}

QColor BouncingMonitorsColor::toQColor() const
{
    return QColor::fromHsvF(unit(hue), unit(saturation), unit(brightness), unit(alpha));
}

BouncingMonitorsColor BouncingMonitorsColor::fadedBy(double factor) const
{
    BouncingMonitorsColor faded = *this;
    faded.alpha = alpha * factor;
    return faded;
}

} // namespace hb
