// Reading the text of a .doc: whatever the bytes, the reader ends with text that keeps to the
// text limit or with an error of its own domain that says why; every offset the file gives is
// checked before it is read (AddressSanitizer watches). The input is the file itself.
#include "platform/documents/DocTextReader.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using hb::fuzz::check;

namespace {

// Small limits, so that the fuzzer reaches them with small inputs.
constexpr hb::DocumentTextLimits kLimits{64 * 1024, 4 * 1024 * 1024};

} // namespace

// libgsf 1.14.50 loses a few directory entries of some malformed compound files inside
// gsf_infile_msole_new (opening and releasing such a file with libgsf alone leaks the same);
// those leaks are libgsf's, not the reader's. GLib is built without frame pointers, so only the
// slow unwinder sees that a leaked block comes from there.
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:gsf_infile_msole_new\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto text = hb::DocTextReader::read(bytes, kLimits);
    if (text) {
        check(text->size() * 2 <= kLimits.maxTextBytes, "the text keeps to the limit");
    } else {
        check(text.error().domain == QLatin1StringView(hb::DocumentTextError::kDomain),
              "errors are of the documents domain");
        check(!text.error().description.isEmpty(), "a failure says why");
    }
    return 0;
}
