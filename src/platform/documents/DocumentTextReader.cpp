#include "platform/documents/DocumentTextReader.h"

#include "platform/documents/DocTextReader.h"
#include "platform/documents/DocumentTextLogging.h"
#include "platform/documents/DocxTextReader.h"

namespace hb {

Expected<QString> DocumentTextReader::read(const QByteArray &bytes,
                                           const DocumentTextLimits &limits)
{
    auto docx = DocxTextReader::read(bytes, limits);
    if (docx) {
        qCDebug(lcDocuments) << "Read as .docx:" << docx->size() << "characters";
        return docx;
    }
    qCDebug(lcDocuments).noquote() << "Not read as .docx:" << docx.error().description;
    auto doc = DocTextReader::read(bytes, limits);
    if (doc)
        qCDebug(lcDocuments) << "Read as .doc:" << doc->size() << "characters";
    else
        qCDebug(lcDocuments).noquote() << "Not read as .doc:" << doc.error().description;
    return doc;
}

} // namespace hb
