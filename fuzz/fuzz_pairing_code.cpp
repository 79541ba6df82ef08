// Fuzzes the pairing-code reader with arbitrary text.
//
// A readable code always has a host, with no colon and no space or tab at either end unless it
// came from a web pad link; and a host without outer white space or colon, written back as
// "host:port", reads as the same code.

#include "FuzzCheck.h"
#include "dadavezaruz/PairingCode.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using hb::fuzz::check;
using namespace Qt::StringLiterals;

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<hb::PairingCode> code = hb::parsePairingCode(text);
    if (!code)
        return 0;

    const QString &host = code->host;
    check(!host.isEmpty(), "a readable code has a host");
    // Only the web pad's link can hold an IPv6 host, in brackets.
    const bool isLink = text.trimmed().startsWith(u"http://"_s, Qt::CaseInsensitive);
    check(isLink || !host.contains(u':'), "the host stops at the first colon");
    check(isLink || (!isSpaceOrTab(host.front()) && !isSpaceOrTab(host.back())),
          "the host is trimmed");

    if (host == host.trimmed() && !host.contains(u':')) {
        const QString written = host + u':' + QString::number(code->port);
        check(hb::parsePairingCode(written) == code, "host:port reads back as the same code");
    }
    return 0;
}
