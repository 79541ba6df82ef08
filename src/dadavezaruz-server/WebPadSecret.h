#pragma once

#include <QString>
#include <QStringView>

namespace hb {

// The web pad's pairing secret: 32 random bytes written as base64url without padding (43
// characters). The QR code carries it in the pad URL's fragment; a page must show it in its
// first message before it is served.
class WebPadSecret {
public:
    static constexpr qsizetype kLength = 43;

    // A fresh secret from the system's random source.
    static QString generate();

    // Exactly kLength characters of the base64url alphabet (A-Z, a-z, 0-9, '-', '_').
    static bool isWellFormed(QStringView text);

    // Whether `given` is `expected`, in a time that does not depend on where they first differ.
    // Strings of different lengths never match; neither is read past its end.
    static bool matches(QStringView expected, QStringView given);
};

} // namespace hb
