#pragma once

#include <QString>

namespace hb {

// A QR code of `text` drawn with Unicode half blocks, two modules rows per text line, dark
// modules as spaces on a light quiet zone so that it scans on a dark terminal too. Empty when the
// text cannot be encoded.
QString terminalQrCode(const QString &text);

} // namespace hb
