#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace hb {

// Reads the text of a QR code in a picture: a photo, a screenshot of a terminal or a window
// showing the server's pairing code. Nothing when no readable QR code is found.
std::optional<QString> readQrCode(const QImage &image);

} // namespace hb
