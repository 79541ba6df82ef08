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

constexpr QStringView kPadLinkScheme = u"http://";

// The web pad's link, "http://HOST:WEBPORT/#k=SECRET&p=TCPPORT": the host, in brackets for IPv6,
// and the pad port from the fragment's "p". Reads `text` after the scheme; nothing without a host.
std::optional<PairingCode> parsePadLink(QStringView text)
{
    QStringView authority = text;
    QStringView fragment;
    if (const qsizetype hash = authority.indexOf(u'#'); hash >= 0) {
        fragment = authority.sliced(hash + 1);
        authority = authority.first(hash);
    }
    for (const QChar end : {u'/', u'?'}) {
        if (const qsizetype at = authority.indexOf(end); at >= 0)
            authority = authority.first(at);
    }

    QStringView host;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        host = authority.sliced(1, close - 1);
    } else {
        const qsizetype colon = authority.indexOf(u':');
        host = colon < 0 ? authority : authority.first(colon);
    }
    if (host.isEmpty())
        return std::nullopt;

    quint16 port = kDadavezaRuzPort;
    for (const QStringView field : fragment.tokenize(u'&')) {
        if (field.startsWith(u"p="))
            port = readPortNumber(field.sliced(2)).value_or(kDadavezaRuzPort);
    }
    return PairingCode{host.toString(), port};
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
    if (rest.startsWith(kPadLinkScheme, Qt::CaseInsensitive))
        return parsePadLink(rest.sliced(kPadLinkScheme.size()));
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
