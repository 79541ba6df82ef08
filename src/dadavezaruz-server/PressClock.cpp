#include "dadavezaruz-server/PressClock.h"

#include <cmath>

namespace hb {

namespace {

constexpr double kLatestPageMs = 1e12;

} // namespace

bool PressClock::isUsable(double pageMs)
{
    return std::isfinite(pageMs) && pageMs >= 0 && pageMs <= kLatestPageMs;
}

void PressClock::observe(double pageMs, qint64 serverMs)
{
    if (!isUsable(pageMs))
        return;
    const double offset = double(serverMs) - pageMs;
    if (!m_smallestOffset || offset < *m_smallestOffset)
        m_smallestOffset = offset;
}

std::optional<qint64> PressClock::ageMs(double pageMs, qint64 serverMs)
{
    if (!isUsable(pageMs))
        return std::nullopt;
    observe(pageMs, serverMs);
    const double age = (double(serverMs) - pageMs) - *m_smallestOffset;
    return qint64(std::llround(age));
}

} // namespace hb
