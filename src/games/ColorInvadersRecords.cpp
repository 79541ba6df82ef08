#include "games/ColorInvadersRecords.h"

namespace hb {

QString invaderLabel(InvaderType type)
{
    switch (type) {
    case InvaderType::crushedBlack:
        return QStringLiteral("Crush");
    case InvaderType::clippedHighlight:
        return QStringLiteral("Clip");
    case InvaderType::colorCast:
        return QStringLiteral("Cast");
    case InvaderType::noise:
        return QStringLiteral("Noise");
    }
    return {};
}

QColor invaderBodyColor(InvaderType type)
{
    switch (type) {
    case InvaderType::crushedBlack:
        return QColor(0, 0, 0);
    case InvaderType::clippedHighlight:
        return QColor(255, 255, 255);
    case InvaderType::colorCast:
        return QColor(255, 149, 0); // orange
    case InvaderType::noise:
        return QColor(52, 199, 89); // green
    }
    return {};
}

QColor invaderAccentColor(InvaderType type)
{
    switch (type) {
    case InvaderType::crushedBlack:
        return QColor(142, 142, 147); // grey
    case InvaderType::clippedHighlight:
        return QColor(255, 214, 10); // yellow
    case InvaderType::colorCast:
        return QColor(255, 59, 48); // red
    case InvaderType::noise:
        return QColor(0, 199, 190); // mint
    }
    return {};
}

QColor invaderLabelColor(InvaderType type)
{
    return type == InvaderType::clippedHighlight ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

} // namespace hb
