// Fuzzes the reader of pad layout files, which come from other machines and other people.
//
// Whatever it reads is at most what the writer could have written: writing it back and reading
// that again gives the same pages.

#include "FuzzCheck.h"
#include "dadavezaruz/PadLayoutFile.h"

#include <cstddef>
#include <cstdint>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto pages = hb::PadLayoutFile::read(bytes);
    if (!pages)
        return 0;
    check(hb::PadLayoutFile::check(*pages).has_value(), "what was read passes the checks");
    const auto again = hb::PadLayoutFile::read(hb::PadLayoutFile::write(*pages));
    check(again.has_value(), "what was written is read back");
    check(*again == *pages, "the pages read back are the same");
    return 0;
}
