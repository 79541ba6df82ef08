#include "dadavezaruz-server/WebPadOrigin.h"

#include <QHostAddress>
#include <QString>

#include <optional>

namespace hb {

namespace {

constexpr quint16 kHttpPort = 80;

struct Authority {
    QStringView host;            // as written, brackets of an IPv6 address included
    std::optional<quint16> port; // nothing when none is written
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QStringView trimmedOws(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

// 1 to 65535 in at most five decimal digits.
std::optional<quint16> readPort(QStringView text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    quint32 value = 0;
    for (const QChar c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value == 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<quint16>(value);
}

// "host", "host:port", "[v6]" or "[v6]:port". The host is not checked beyond its brackets.
std::optional<Authority> splitAuthority(QStringView text)
{
    QStringView host = text;
    QStringView rest;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        host = text.first(close + 1);
        rest = text.sliced(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return std::nullopt;
    } else if (const qsizetype colon = text.indexOf(u':'); colon >= 0) {
        host = text.first(colon);
        rest = text.sliced(colon);
    }
    if (host.isEmpty())
        return std::nullopt;
    Authority authority{host, std::nullopt};
    if (!rest.isEmpty()) {
        authority.port = readPort(rest.sliced(1));
        if (!authority.port)
            return std::nullopt;
    }
    return authority;
}

// Four decimal numbers 0 to 255 without leading zeros, as a browser writes an IPv4 host.
bool isDottedQuad(QStringView host)
{
    qsizetype parts = 0;
    for (const QStringView part : host.tokenize(u'.')) {
        if (++parts > 4 || part.isEmpty() || part.size() > 3)
            return false;
        if (part.size() > 1 && part.front() == u'0')
            return false;
        int value = 0;
        for (const QChar c : part) {
            if (!isDigit(c))
                return false;
            value = value * 10 + (c.unicode() - u'0');
        }
        if (value > 255)
            return false;
    }
    return parts == 4;
}

bool isBracketedIPv6(QStringView host)
{
    if (host.size() < 3 || !host.startsWith(u'[') || !host.endsWith(u']'))
        return false;
    const QStringView inner = host.sliced(1, host.size() - 2);
    // No zone: a browser never sends one, and QHostAddress would take it as a scope.
    if (inner.contains(u'%'))
        return false;
    for (const QChar c : inner) {
        if (!isDigit(c) && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F') && c != u':' &&
            c != u'.')
            return false;
    }
    QHostAddress address;
    return address.setAddress(inner.toString()) &&
           address.protocol() == QAbstractSocket::IPv6Protocol;
}

} // namespace

bool WebPadOrigin::isAcceptableHost(QStringView hostHeader, const QStringList &ownNames)
{
    const std::optional<Authority> authority = splitAuthority(trimmedOws(hostHeader));
    if (!authority)
        return false;
    const QStringView host = authority->host;
    if (isDottedQuad(host) || isBracketedIPv6(host))
        return true;
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return true;
    for (const QString &name : ownNames) {
        if (!name.isEmpty() && host.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool WebPadOrigin::isSameOrigin(QStringView originHeader, QStringView hostHeader)
{
    constexpr QStringView kScheme = u"http://";
    const QStringView origin = trimmedOws(originHeader);
    if (!origin.startsWith(kScheme, Qt::CaseInsensitive))
        return false;
    const QStringView originAuthorityText = origin.sliced(kScheme.size());
    for (const QChar c : originAuthorityText) {
        if (c == u'/' || c == u'?' || c == u'#' || c == u'@' || c == u'\\' || c.isSpace())
            return false;
    }
    const std::optional<Authority> fromOrigin = splitAuthority(originAuthorityText);
    const std::optional<Authority> fromHost = splitAuthority(trimmedOws(hostHeader));
    if (!fromOrigin || !fromHost)
        return false;
    return fromOrigin->host.compare(fromHost->host, Qt::CaseInsensitive) == 0 &&
           fromOrigin->port.value_or(kHttpPort) == fromHost->port.value_or(kHttpPort);
}

} // namespace hb
