#pragma once

#include "games/BouncingMonitorsColor.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

class b2Body;

namespace hb {

// One shape of the play field and the shapes attached to it: a rounded rectangle in the node's
// own coordinates (y up), placed in its parent by position and rotation. A monitor is a tree of
// these: the bezel ("monitor") at the root, carrying the physics body, with its shadow, screen
// and stand as children.
struct BouncingMonitorsNode {
    QString name;
    QRectF rect;
    double cornerRadius = 0;
    BouncingMonitorsColor fill;
    BouncingMonitorsColor stroke;
    double lineWidth = 0;
    // Drawing order among siblings and the parent (which is at 0): higher is drawn later.
    double zPosition = 0;
    QPointF position;
    // Counter-clockwise, in radians.
    double rotation = 0;
    QList<BouncingMonitorsNode> children;
    // The body that moves this node; owned by the scene's physics world.
    b2Body *body = nullptr;

    // The first child of that name, or null.
    const BouncingMonitorsNode *childNamed(const QString &childName) const;
    BouncingMonitorsNode *childNamed(const QString &childName);

    // A point of the parent's coordinates in the node's own.
    QPointF mapFromParent(QPointF point) const;
    // Whether the point (parent's coordinates) lies on the node's own shape; children aside.
    bool contains(QPointF point) const;
};

} // namespace hb
