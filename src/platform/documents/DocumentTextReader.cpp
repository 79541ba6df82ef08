#include "platform/documents/DocumentTextReader.h"

#include "platform/documents/DocTextReader.h"
#include "platform/documents/DocxTextReader.h"

namespace hb {

Expected<QString> DocumentTextReader::read(const QByteArray &bytes,
                                           const DocumentTextLimits &limits)
{
    if (auto text = DocxTextReader::read(bytes, limits))
        return text;
    return DocTextReader::read(bytes, limits);
}

} // namespace hb
