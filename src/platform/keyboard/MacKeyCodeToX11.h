#pragma once

#include <QtGlobal>

namespace hb {

// The X keysym of the key that sits where the Mac ANSI keyboard has `keyCode`, read as a US
// layout: 8 (the c key) gives XK_c, 30 gives XK_bracketright, 36 gives XK_Return, 51 (the key
// the Mac calls delete) gives XK_BackSpace, 116 gives XK_Prior. Every code of keyCodeMap() has
// an entry; any other code gives 0 (NoSymbol). Needs no display.
unsigned long keysymForMacKeyCode(quint16 keyCode);

} // namespace hb
