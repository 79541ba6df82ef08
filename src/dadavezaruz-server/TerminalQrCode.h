#pragma once

#include <QString>

namespace hb {

// A QR code of `text` for a terminal: two module rows per text line, drawn as upper half blocks
// whose foreground is the upper module and background the lower one. Every cell sets both
// colours explicitly (ANSI black and white), with the standard quiet zone of light modules around
// the symbol, so the code scans the right way round on light and dark terminals alike; each line
// ends by resetting the colours. Empty when the text cannot be encoded.
QString terminalQrCode(const QString &text);

} // namespace hb
