#include "common/ColorHex.h"

#include <QRgba64>

namespace hb {
namespace {

constexpr qsizetype kMaxHexDigits = 16; // what fits an unsigned 64-bit number

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

quint64 readHexNumber(QStringView digits)
{
    if (digits.startsWith(u'+'))
        digits = digits.mid(1);
    if (digits.isEmpty() || digits.size() > kMaxHexDigits)
        return 0;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return 0;
        value = (value << 4) | quint64(digit);
    }
    return value;
}

// 16-bit channel to 0-255, cutting the fraction with exact integer arithmetic so that a
// colour made from 8-bit values always gives those values back.
int channelByte(quint16 channel)
{
    return int((quint32(channel) * 255u) / 65535u);
}

} // namespace

QColor colorFromHex(const QString &text)
{
    QStringView rest(text);
    while (rest.startsWith(u'#'))
        rest = rest.mid(1);
    while (rest.endsWith(u'#'))
        rest.chop(1);

    QString doubled;
    if (rest.size() == 3) {
        for (const QChar c : rest)
            doubled.append(c).append(c);
        rest = doubled;
    }

    const quint64 value = readHexNumber(rest);
    return QColor::fromRgb(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}

QString hexFromColor(const QColor &color)
{
    const QRgba64 rgba = color.toRgb().rgba64();
    return QStringLiteral("#%1%2%3")
        .arg(channelByte(rgba.red()), 2, 16, QLatin1Char('0'))
        .arg(channelByte(rgba.green()), 2, 16, QLatin1Char('0'))
        .arg(channelByte(rgba.blue()), 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace hb
