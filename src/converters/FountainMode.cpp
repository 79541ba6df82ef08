#include "converters/FountainMode.h"

namespace hb {

QString fountainModeLabel(FountainMode mode)
{
    switch (mode) {
    case FountainMode::Auto:
        return QStringLiteral("Auto");
    case FountainMode::Prose:
        return QStringLiteral("Prose");
    case FountainMode::Transcript:
        return QStringLiteral("Transcript");
    }
    return {};
}

std::optional<FountainMode> fountainModeFromLabel(QStringView label)
{
    for (FountainMode mode : kFountainModes) {
        if (fountainModeLabel(mode) == label)
            return mode;
    }
    return std::nullopt;
}

} // namespace hb
