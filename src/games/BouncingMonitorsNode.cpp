#include "games/BouncingMonitorsNode.h"

#include <cmath>
#include <utility>

namespace hb {

const BouncingMonitorsNode *BouncingMonitorsNode::childNamed(const QString &childName) const
{
    for (const BouncingMonitorsNode &child : children) {
        if (child.name == childName)
            return &child;
    }
    return nullptr;
}

BouncingMonitorsNode *BouncingMonitorsNode::childNamed(const QString &childName)
{
    return const_cast<BouncingMonitorsNode *>(std::as_const(*this).childNamed(childName));
}

QPointF BouncingMonitorsNode::mapFromParent(QPointF point) const
{
    const QPointF d = point - position;
    const double c = std::cos(rotation);
    const double s = std::sin(rotation);
    return {c * d.x() + s * d.y(), -s * d.x() + c * d.y()};
}

bool BouncingMonitorsNode::contains(QPointF point) const
{
    const QPointF local = mapFromParent(point);
    // QRectF::contains leaves out the right and bottom edges; a click on the frame counts.
    return local.x() >= rect.left() && local.x() <= rect.right() && local.y() >= rect.top() &&
           local.y() <= rect.bottom();
}

} // namespace hb
