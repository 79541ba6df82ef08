// Fuzzes the key-combination reader with arbitrary text.
//
// A text gives nothing to press exactly when it holds nothing but plus signs. A press has a code
// of the table and only the four modifier bits, none without a '+'. A refusal names at least one
// piece of the text, so the user can see what to mend.

#include "FuzzCheck.h"
#include "dadavezaruz/KeyCodeMap.h"
#include "dadavezaruz/KeyCombo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto parsed = hb::parseKeyCombo(text);

    const bool hasName = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c != u'+'; });
    if (!parsed) {
        check(hasName, "only a text with names is refused");
        check(parsed.error().description.contains(u'\u201C'), "a refusal quotes what it refuses");
        return 0;
    }
    check(parsed->has_value() == hasName, "a key exactly when a name is left");
    if (!*parsed)
        return 0;

    const hb::KeyPress press = **parsed;
    check((press.modifiers & ~hb::kAllModifiers) == 0, "only the four modifier bits");
    check(press.modifiers == 0 || text.contains(u'+'), "modifiers need a plus sign");
    const auto &codes = hb::keyCodeMap();
    check(std::find(codes.cbegin(), codes.cend(), press.keyCode) != codes.cend(),
          "the key code comes from the table");
    return 0;
}
