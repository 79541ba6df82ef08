#include "dadavezaruz-server/TerminalQrCode.h"

#include <qrencode.h>

#include <memory>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

constexpr int kQuietZone = 4; // modules; what the QR standard asks for

// ANSI colour numbers: 0 black, 7 white; foreground 30 + n, background 40 + n.
constexpr int kDark = 0;
constexpr int kLight = 7;

const QString kUpperHalf = u"\u2580"_s;
const QString kReset = u"\x1b[0m"_s;

} // namespace

QString terminalQrCode(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.isEmpty())
        return {};
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return {};

    const int width = code->width;
    const auto colour = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= width)
            return kLight;
        return (code->data[y * width + x] & 1) ? kDark : kLight;
    };
    QString out;
    for (int y = -kQuietZone; y < width + kQuietZone; y += 2) {
        int foreground = -1, background = -1;
        for (int x = -kQuietZone; x < width + kQuietZone; ++x) {
            const int upper = colour(x, y), lower = colour(x, y + 1);
            if (upper != foreground || lower != background) {
                out += u"\x1b[%1;%2m"_s.arg(30 + upper).arg(40 + lower);
                foreground = upper;
                background = lower;
            }
            out += kUpperHalf;
        }
        out += kReset + u'\n';
    }
    return out;
}

} // namespace hb
