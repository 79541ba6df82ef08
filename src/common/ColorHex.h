#pragma once

#include <QColor>
#include <QString>

namespace hb {

// Colour text is a number sign and six hexadecimal digits: red, green, blue.

// Reads colour text leniently: number signs at either end are ignored, three digits are
// doubled ("F0A" is "FF00AA"), a leading plus sign is allowed, and anything that does not
// read as a hexadecimal number gives black. Always fully opaque sRGB.
QColor colorFromHex(const QString &text);

// Writes a colour as "#RRGGBB" in upper case. Each channel is scaled to 0-255 and cut, not
// rounded; opacity is dropped.
QString hexFromColor(const QColor &color);

} // namespace hb
