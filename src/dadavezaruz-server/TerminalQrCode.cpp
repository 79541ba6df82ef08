#include "dadavezaruz-server/TerminalQrCode.h"

#include <qrencode.h>

#include <memory>

namespace hb {
namespace {

constexpr int kQuietZone = 2;

} // namespace

QString terminalQrCode(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code || utf8.isEmpty())
        return {};

    const int width = code->width;
    const auto dark = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= width)
            return false; // the quiet zone
        return (code->data[y * width + x] & 1) != 0;
    };
    // Light is drawn, dark is left blank: upper half, lower half, both or neither.
    static const QString kBlocks[4] = {QStringLiteral("\u2588"), QStringLiteral("\u2584"),
                                       QStringLiteral("\u2580"), QStringLiteral(" ")};
    QString out;
    for (int y = -kQuietZone; y < width + kQuietZone; y += 2) {
        for (int x = -kQuietZone; x < width + kQuietZone; ++x)
            out += kBlocks[(dark(x, y) ? 1 : 0) | (dark(x, y + 1) ? 2 : 0)];
        out += u'\n';
    }
    return out;
}

} // namespace hb
