#pragma once

#include "mogrt/MogrtDefinition.h"

#include <QSizeF>
#include <QString>

#include <optional>

namespace hb {

// The text of a Fusion macro (a `.setting` file) for a template's controls: one MacroOperator,
// named by fusionToolName(macroName), over five tools in this order:
//   TitleBoxMask   RectangleMask of "Box Width" × "Box Height" of the frame
//   TitleBox       Background of the full frame in the box colour, limited by that mask
//   TitleText      TextPlus with the title ("Source Text"), its colour, tracking and italics
//   TitleMerge     Merge of the title over the box
//   TitleTransform Transform over the merge: "Scale" as Size, "Rotation" as Angle and
//                  "Position" (template pixels, y down) as Center = { x / W, 1 - y / H }
// The box's alpha is the box colour's alpha times "Box Opacity" / 100. The macro publishes the
// text, text colour, box colour, box opacity, size, angle and position as InstanceInputs, and
// its output is the Transform's. W × H is `frameSize` rounded to whole pixels (the template's
// frame size when its definition gives one; 1920 × 1080 when it is not at least 1 × 1).
// Missing controls, values of another shape and non-finite numbers take defaults; the title's
// control characters are escaped so that it reads back exactly. Ends with a line feed.
QString makeFusionMacro(const QString &macroName, const QList<MogrtControl> &controls,
                        QSizeF frameSize = QSizeF(1920, 1080));

// A valid Fusion tool name from a template name: letters (accents dropped), digits and
// underscores, every run of other characters one underscore, none at either end; a "T" in front
// of a leading digit; "Title" when nothing is left. "Lower Third 2" gives "Lower_Third_2".
QString fusionToolName(const QString &templateName);

// The macro text with its tool renamed to fusionToolName(newName); nullopt when the text is not
// a macro of the shape makeFusionMacro writes.
std::optional<QString> renameFusionMacro(const QString &macroText, const QString &newName);

// How many of `controls` are among those the macro takes its inputs from (by name), whatever
// their values.
qsizetype recognisedControlCount(const QList<MogrtControl> &controls);

// A number as the macro writes it: the shortest text that reads back the same double, with
// ".0" on whole values, exponent form below 1e-4 and from 1e16 ("1e-05", "1e+16"), "-0.0",
// "nan", "inf", "-inf"; never localised. (The macro itself never holds a non-finite number:
// Lua has no literal for one.)
QString fusionNumber(double value);

// A Lua string body that reads back as `text`: backslashes and double quotes escaped, CR, LF
// and tab as \r, \n, \t, every other control character (C0, DEL, C1) as \ddd escapes of its
// UTF-8 bytes.
QString fusionEscaped(const QString &text);

} // namespace hb
