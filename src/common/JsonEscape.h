#pragma once

#include <QByteArray>

namespace hb {

// Appends the JSON escape \uXXXX (lower-case hexadecimal) for one UTF-16 code unit; used by the
// byte-exact JSON writers of the wire formats.
inline void appendJsonUnicodeEscape(QByteArray &out, char16_t unit)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const char escape[] = {'\\',
                           'u',
                           kHex[(unit >> 12) & 0xF],
                           kHex[(unit >> 8) & 0xF],
                           kHex[(unit >> 4) & 0xF],
                           kHex[unit & 0xF]};
    out.append(escape, sizeof escape);
}

} // namespace hb
