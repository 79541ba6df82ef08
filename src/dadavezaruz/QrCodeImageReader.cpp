#include "dadavezaruz/QrCodeImageReader.h"

#include <QPainter>

#include <ZXing/ReadBarcode.h>

#include <algorithm>

namespace hb {

namespace {

// Screenshots of large displays are scaled down to this many pixels along their longer side;
// a pairing code shown on screen stays far above the few pixels a module needs.
constexpr int kMaxSide = 3000;

} // namespace

std::optional<QString> readQrCode(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QImage grey = image;
    if (grey.hasAlphaChannel()) { // a transparent background reads as white, not black
        QImage opaque(grey.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, grey);
        grey = opaque;
    }
    if (std::max(grey.width(), grey.height()) > kMaxSide)
        grey = grey.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    grey = grey.convertToFormat(QImage::Format_Grayscale8);

    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, int(grey.bytesPerLine()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid())
        return std::nullopt;
    return QString::fromStdString(result.text());
}

} // namespace hb
