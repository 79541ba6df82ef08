#include "games/BouncingMonitorsHitBurst.h"

#include <algorithm>

namespace hb {

double BouncingMonitorsHitBurst::progress() const
{
    return std::clamp(age / kDuration, 0.0, 1.0);
}

double BouncingMonitorsHitBurst::scale() const
{
    return 1 + (kFinalScale - 1) * progress();
}

BouncingMonitorsColor BouncingMonitorsHitBurst::strokeColor() const
{
    return BouncingMonitorsColor{hue, 0.75, 1, 0.9}.fadedBy(1 - progress());
}

} // namespace hb
