#pragma once

#include "footage/FeetFrames.h"

#include <QString>
#include <QStringView>

namespace hb {

// The calculator's inputs as one compact JSON object for the settings: the format and the mode
// by their storage keys and every field as its text in the C locale, e.g.
// {"format":"35mm-4perf","mode":"feetFrames","fps":"23.976","feet":"90","frames":"4",...}.
QString savedInputsText(const FeetFramesState &state);
// The inputs of a saved text over the initial state. A value that is missing, of the wrong
// type, unknown, not a number or outside its field's range keeps its initial value, field by
// field; whatever is not a JSON object gives the initial state.
FeetFramesState restoredInputs(QStringView text);

} // namespace hb
