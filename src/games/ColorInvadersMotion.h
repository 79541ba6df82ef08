#pragma once

#include "games/ColorInvadersRecords.h"

#include <QHash>
#include <QPointF>

namespace hb {

// Smooth motion between the game's ticks. The game moves everything in steps 0.05 s apart; the
// screen draws faster than that, at the display's rate, and shows each thing on its way from
// where the previous tick left it to where the latest tick put it.
//
// remember() takes the positions just before a tick; blend() then gives the state to draw at a
// fraction of the tick's interval after it (0: as before the tick, 1: as the tick left it).
// Things are told apart by their ids: one that is new since the tick (a shot fired, a fresh wave)
// is drawn where it is, and one the tick removed is not drawn at all.
class ColorInvadersMotion {
public:
    // Remembers where everything stands, before the game ticks.
    void remember(const ColorInvadersState &state);
    // Forgets the positions: the next blend draws the state as it is.
    void clear();
    // The cursor moved by itself (a drag): it is drawn where it is, not on its way there.
    void cursorJumped(double playerX);

    // `current` with every position blended to `fraction` (clamped to [0, 1]) of the way from
    // the remembered one; written into `out`, whose lists keep their storage from frame to
    // frame.
    void blend(const ColorInvadersState &current, double fraction, ColorInvadersState &out) const;

private:
    QHash<QUuid, QPointF> m_positions;
    double m_playerX = 0;
    bool m_hasCursor = false;
};

} // namespace hb
