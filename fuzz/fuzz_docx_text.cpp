// Reading the text of a .docx: whatever the bytes, the reader ends with text that keeps to the
// text limit or with an error of its own domain that says why, and never inflates more than the
// unpacking limit. The input is the file itself.
#include "DocumentTextFuzz.h"
#include "platform/documents/DocxTextReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    hb::fuzz::checkDocumentText(hb::DocxTextReader::read(bytes, hb::fuzz::kDocumentLimits));
    return 0;
}
