#include "games/BouncingMonitorsContactListener.h"

#include <box2d/box2d.h>

#include <algorithm>

namespace hb {
namespace {

// Tolerances of the overlap test, in metres: shapes touch a little before they meet (the
// polygon skin) and rotation moves corners on arcs, not lines.
constexpr float kMotionFactor = 1.5f;
constexpr float kMotionSlack = 2 * b2_linearSlop;

bool bothDynamic(const b2Contact *contact)
{
    return contact->GetFixtureA()->GetBody()->GetType() == b2_dynamicBody &&
           contact->GetFixtureB()->GetBody()->GetType() == b2_dynamicBody;
}

// The speed at which the two bodies approach each other at a point, along the normal from A to
// B; negative when they move apart.
float closingSpeed(const b2Contact *contact, const b2Vec2 &point, const b2Vec2 &normal)
{
    const b2Body *a = contact->GetFixtureA()->GetBody();
    const b2Body *b = contact->GetFixtureB()->GetBody();
    const b2Vec2 relative =
        b->GetLinearVelocityFromWorldPoint(point) - a->GetLinearVelocityFromWorldPoint(point);
    return -b2Dot(relative, normal);
}

} // namespace

BouncingMonitorsContactListener::BouncingMonitorsContactListener(float stepSeconds)
    : m_stepSeconds(stepSeconds)
{
}

void BouncingMonitorsContactListener::BeginContact(b2Contact *contact)
{
    if (!bothDynamic(contact))
        return;
    const int count = contact->GetManifold()->pointCount;
    b2WorldManifold manifold;
    contact->GetWorldManifold(&manifold);
    float depth = 0;
    float closing = 0;
    for (int i = 0; i < count; ++i) {
        depth = std::max(depth, -manifold.separations[i]);
        closing = std::max(closing, closingSpeed(contact, manifold.points[i], manifold.normal));
    }
    if (m_placed || depth > closing * m_stepSeconds * kMotionFactor + kMotionSlack)
        m_passingThrough.insert(contact);
}

void BouncingMonitorsContactListener::EndContact(b2Contact *contact)
{
    m_passingThrough.erase(contact);
}

void BouncingMonitorsContactListener::PreSolve(b2Contact *contact, const b2Manifold *)
{
    if (m_passingThrough.contains(contact)) {
        contact->SetEnabled(false);
        return;
    }
    b2Manifold *manifold = contact->GetManifold();
    b2WorldManifold world;
    contact->GetWorldManifold(&world);
    int closing = 0;
    for (int i = 0; i < manifold->pointCount; ++i) {
        if (closingSpeed(contact, world.points[i], world.normal) > 0)
            manifold->points[closing++] = manifold->points[i];
    }
    manifold->pointCount = closing;
    if (closing == 0)
        contact->SetEnabled(false);
}

} // namespace hb
