#include "dadavezaruz-server/PairingQrCode.h"

#include <qrencode.h>

#include <cstring>
#include <memory>

namespace hb {

QImage renderPairingQrCode(const QString &text, int scale)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.isEmpty() || utf8.contains('\0') || scale < 1)
        return {};
    // Case-sensitive, so that mixed segments (digits, then a host name) keep their exact bytes.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return {};

    const int modules = code->width;
    const int side = (modules + 2 * kPairingQrQuietZone) * scale;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < modules; ++y) {
        const int top = (y + kPairingQrQuietZone) * scale;
        for (int x = 0; x < modules; ++x) {
            if (!(code->data[y * modules + x] & 1)) // bit 0 is the module's colour
                continue;
            const int left = (x + kPairingQrQuietZone) * scale;
            for (int row = top; row < top + scale; ++row)
                std::memset(image.scanLine(row) + left, 0, static_cast<size_t>(scale));
        }
    }
    return image;
}

} // namespace hb
