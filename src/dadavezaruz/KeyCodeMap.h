#pragma once

#include <QHash>
#include <QString>

namespace hb {

// Key name (lower-case) to virtual key code, 75 entries: letters, digits, punctuation, named
// keys, f1-f12 and navigation. The codes are those of a Mac ANSI keyboard (the HIToolbox kVK_
// constants): they name physical key positions, not characters. "enter" is the main Return key
// (36), "delete" and "backspace" are both the backspace key (51); there is no keypad,
// forward-delete, caps-lock, fn or f13-and-up entry, and no name for '+' (its key is "=").
//
// Built on first use, never changed afterwards; safe to read from any thread.
const QHash<QString, quint16> &keyCodeMap();

} // namespace hb
