#include "dadavezaruz/PairingCode.h"

#include <QStringView>

namespace hb {

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimSpacesAndTabs(QStringView text)
{
    while (!text.isEmpty() && isSpaceOrTab(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpaceOrTab(text.back()))
        text.chop(1);
    return text;
}

} // namespace

std::optional<quint16> readPortNumber(QStringView text)
{
    if (text.startsWith(u'+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    quint32 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 0xFFFF)
            return std::nullopt;
    }
    return static_cast<quint16>(value);
}

std::optional<PairingCode> parsePairingCode(const QString &text)
{
    QStringView rest = QStringView(text).trimmed();
    while (rest.startsWith(u':'))
        rest = rest.sliced(1);

    QStringView hostPart = rest;
    QStringView portPart; // everything after the first colon, colons included, untrimmed
    if (const qsizetype colon = rest.indexOf(u':'); colon >= 0) {
        hostPart = rest.first(colon);
        portPart = rest.sliced(colon + 1);
    }

    hostPart = trimSpacesAndTabs(hostPart);
    if (hostPart.isEmpty())
        return std::nullopt;

    // An absent or empty port part does not read either.
    return PairingCode{hostPart.toString(), readPortNumber(portPart).value_or(kDadavezaRuzPort)};
}

} // namespace hb
