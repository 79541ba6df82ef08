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

// Appends one Unicode code point (not a surrogate) in UTF-8.
inline void appendUtf8CodePoint(QByteArray &out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.append(static_cast<char>(0xC0 | (cp >> 6)));
        out.append(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(static_cast<char>(0xE0 | (cp >> 12)));
        out.append(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (cp >> 18)));
        out.append(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace hb
