// Fuzzes the reader of the saved-host list, which comes from the settings file.
//
// Whatever it reads is at most what the writer could have written: writing it back and reading
// that again gives the same list.

#include "FuzzCheck.h"
#include "dadavezaruz/SavedHostList.h"

#include <cstddef>
#include <cstdint>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<hb::SavedHost> hosts = hb::SavedHostList::decode(json);
    check(hb::SavedHostList::decode(hb::SavedHostList::encode(hosts)) == hosts,
          "the list read back is the same");
    return 0;
}
