#pragma once

#include "mogrt/MogrtDefinition.h"

#include <QString>

namespace hb {

// The text of a Fusion macro for a template's controls: a box (Background), the title
// (TextPlus), their Merge and a Transform over it, with the inputs taken from the controls
// "Source Text", "Text Color", "Box Color", "Position", "Scale", "Rotation", "Text Tracking",
// "Text Italics", "Box Width", "Box Height" and "Box Opacity"; missing ones take defaults.
// 43 lines joined by line feeds, without a final line feed.
QString makeFusionMacro(const QString &macroName, const QList<MogrtControl> &controls);

// How many of `controls` are among those the macro takes its inputs from (by name), whatever
// their values.
qsizetype recognisedControlCount(const QList<MogrtControl> &controls);

// A number as the macro writes it: the shortest text that reads back the same double, with
// ".0" on whole values, exponent form below 1e-4 and from 1e16 ("1e-05", "1e+16"), "-0.0",
// "nan", "inf", "-inf"; never localised.
QString fusionNumber(double value);

// Backslashes doubled, then double quotes and line feeds escaped with a backslash.
QString fusionEscaped(const QString &text);

} // namespace hb
