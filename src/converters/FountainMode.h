#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace hb {

// How the Text to Fountain tool reads its input, in picker order. Auto decides between prose and
// transcript from the text itself.
enum class FountainMode { Auto, Prose, Transcript };

inline constexpr std::array kFountainModes{FountainMode::Auto, FountainMode::Prose,
                                           FountainMode::Transcript};

// The mode's label, which is also its stored value: "Auto", "Prose" or "Transcript".
QString fountainModeLabel(FountainMode mode);
// The mode with exactly this label; nothing for any other text.
std::optional<FountainMode> fountainModeFromLabel(QStringView label);

} // namespace hb
