#include "dadavezaruz-server/HttpRequestLine.h"

#include <QByteArray>

namespace hb {
namespace {

// A character of an HTTP token (a method name).
bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool isHttpRequestLine(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);

    qsizetype method = 0;
    while (method < line.size() && isTokenChar(line[method]))
        ++method;
    if (method == 0 || method >= line.size() || line[method] != ' ')
        return false;

    // The version: "HTTP/" and a digit, then optionally a full stop and a digit.
    qsizetype version = line.size();
    if (version >= 2 && line[version - 2] == '.' && isDigit(line[version - 1]))
        version -= 2;
    if (version < 1 || !isDigit(line[version - 1]))
        return false;
    version -= 1;
    constexpr QByteArrayView kHttp(" HTTP/");
    if (!line.first(version).endsWith(kHttp))
        return false;
    const qsizetype target = version - kHttp.size(); // end of the target
    return target > method + 1;
}

} // namespace hb
