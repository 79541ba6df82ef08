#pragma once

#include <box2d/b2_world_callbacks.h>

#include <unordered_set>

namespace hb {

// Keeps the engine's contact solver perfectly elastic for the monitors.
//
// With restitution 1 the solver gives every contact point that is closing a target speed equal
// to its closing speed, reversed; a set of such points conserves energy. It also keeps every
// other point of a touching contact from closing, with a target of 0, and such a point adds
// energy whenever an impulse elsewhere drives it: a monitor that has just left a wall is hit
// by another and the wall, still touching, throws the hitter back faster than it came. In a
// crowded field that made monitors gain a tenth of their energy in seconds. So only the points
// that are closing when a step starts go to the solver; a contact with none is left out for
// that step. A point that an impulse drives together instead closes at the next step and
// bounces then, as it would in a sequence of two-body collisions.
//
// Monitors that were put down overlapping (by a spawn or a resize clamp) have contact points
// and normals that describe no impact at all, and bouncing them apart both adds energy and can
// push a monitor out through the edge. Their contact is left out until the pair has separated:
// they pass through each other. That holds for every touch found in the first step after a
// placement, and for any touch that begins deeper than the pair's closing motion over one step
// could have carried them. Contacts with the field's edge are never left out while closing, so
// no monitor leaves the field this way.
class BouncingMonitorsContactListener : public b2ContactListener {
public:
    explicit BouncingMonitorsContactListener(float stepSeconds);

    void BeginContact(b2Contact *contact) override;
    void EndContact(b2Contact *contact) override;
    void PreSolve(b2Contact *contact, const b2Manifold *oldManifold) override;

    // Monitors were just spawned or moved: the touches the next step finds are placements.
    void monitorsPlaced() { m_placed = true; }
    // Called after every step.
    void stepped() { m_placed = false; }

    // How many pairs are passing through each other now.
    int passingThroughCount() const { return int(m_passingThrough.size()); }

private:
    float m_stepSeconds;
    bool m_placed = false;
    std::unordered_set<const b2Contact *> m_passingThrough;
};

} // namespace hb
