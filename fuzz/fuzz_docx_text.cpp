// Reading the text of a .docx: whatever the bytes, the reader ends with text that keeps to the
// text limit or with an error of its own domain that says why, and never inflates more than the
// unpacking limit. The input is the file itself.
#include "platform/documents/DocxTextReader.h"
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto text = hb::DocxTextReader::read(bytes, kLimits);
    if (text) {
        check(text->size() * 2 <= kLimits.maxTextBytes, "the text keeps to the limit");
    } else {
        check(text.error().domain == QLatin1StringView(hb::DocumentTextError::kDomain),
              "errors are of the documents domain");
        check(!text.error().description.isEmpty(), "a failure says why");
    }
    return 0;
}
