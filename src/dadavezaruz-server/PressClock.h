#pragma once

#include <QtGlobal>

#include <optional>

namespace hb {

// How long ago a page sent a message, measured without trusting the phone's clock.
//
// Every message carries the page's performance.now() in ms. The difference between the
// server's clock on arrival and that stamp is the offset between the two clocks plus the trip;
// the smallest difference seen is the best estimate of the offset alone (the fastest trip). A
// message's age is how much longer its trip took than that fastest one. One clock per
// connection: a reloaded page starts its own clock from zero.
class PressClock {
public:
    // Presses older than this are not typed.
    static constexpr qint64 kMaxPressAgeMs = 2000;

    // Takes a stamp into the offset; unusable stamps (see ageMs) are ignored.
    void observe(double pageMs, qint64 serverMs);

    // The age of a message stamped `pageMs` that arrived at `serverMs`, after observing it (so it
    // is never negative). Nothing for a stamp that is not finite, negative, or beyond 1e12.
    std::optional<qint64> ageMs(double pageMs, qint64 serverMs);

private:
    static bool isUsable(double pageMs);

    std::optional<double> m_smallestOffset;
};

} // namespace hb
