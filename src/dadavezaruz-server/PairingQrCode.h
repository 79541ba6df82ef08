#pragma once

#include <QImage>
#include <QString>

namespace hb {

// White modules kept around the symbol so that a camera finds its edge; the QR standard's minimum.
inline constexpr int kPairingQrQuietZone = 4;

// The QR code of a pairing code ("host" or "host:port"): UTF-8, error correction level M, black
// modules on white, the quiet zone included, each module `scale` pixels square (8-bit grey).
// Null when the text is empty, holds a NUL character or is too long for a QR code, or the scale
// is below 1.
QImage renderPairingQrCode(const QString &text, int scale);

} // namespace hb
