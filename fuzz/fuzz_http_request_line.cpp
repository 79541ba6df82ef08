// Fuzzes the check that keeps web requests away from the shortcut server.
//
// Differential: the hand-written check agrees with a regular expression of the request line on
// every input; and no line that starts like a pad's JSON object is ever taken for a request.

#include "FuzzCheck.h"
#include "dadavezaruz-server/HttpRequestLine.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView line(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool request = hb::isHttpRequestLine(line);

    // Latin-1 keeps one character per byte, so the expression sees the bytes as they are.
    static const QRegularExpression pattern(
        QStringLiteral("\\A[!#$%&'*+\\-.^_`|~0-9A-Za-z]+ [\\s\\S]+ HTTP/[0-9](\\.[0-9])?\\r?\\z"));
    const QString text = QString::fromLatin1(line);
    check(request == pattern.match(text).hasMatch(), "the check reads a line as the pattern does");
    check(!(request && line.startsWith('{')), "a JSON object is never a request line");
    return 0;
}
