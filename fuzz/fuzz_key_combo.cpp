// Fuzzes the key-combination reader with arbitrary text.
//
// A text gives a key exactly when it holds something besides plus signs; the key code is 0 or a
// code of the table; the mask only carries the four modifier bits, and none without a '+'.

#include "dadavezaruz/KeyCodeMap.h"
#include "dadavezaruz/KeyCombo.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<hb::KeyPress> press = hb::parseKeyCombo(text);

    const bool hasName = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c != u'+'; });
    check(press.has_value() == hasName, "a key exactly when a name is left");
    if (!press)
        return 0;

    check((press->modifiers & ~hb::kAllModifiers) == 0, "only the four modifier bits");
    check(press->modifiers == 0 || text.contains(u'+'), "modifiers need a plus sign");
    const auto &codes = hb::keyCodeMap();
    check(press->keyCode == 0 ||
              std::find(codes.cbegin(), codes.cend(), press->keyCode) != codes.cend(),
          "the key code comes from the table");
    return 0;
}
