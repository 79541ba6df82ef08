// Reading the text of a .doc: whatever the bytes, the reader ends with text that keeps to the
// text limit or with an error of its own domain that says why; every offset the file gives is
// checked before it is read (AddressSanitizer watches). The input is the file itself.
#include "DocumentTextFuzz.h"
#include "platform/documents/DocTextReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libgsf 1.14.50 loses a few directory entries of some malformed compound files inside
// gsf_infile_msole_new (opening and releasing such a file with libgsf alone leaks the same);
// those leaks are libgsf's, not the reader's. GLib is built without frame pointers, so only the
// slow unwinder sees that a leaked block comes from there.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer runtime's hook
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer runtime's hook
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:gsf_infile_msole_new\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    hb::fuzz::checkDocumentText(hb::DocTextReader::read(bytes, hb::fuzz::kDocumentLimits));
    return 0;
}
