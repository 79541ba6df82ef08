#include "platform/documents/DocumentTextReader.h"

#include "platform/documents/DocTextReader.h"
#include "platform/documents/DocumentTextLogging.h"
#include "platform/documents/DocxTextReader.h"

#include <QByteArrayView>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

Error notAWordDocument()
{
    return documentTextError(DocumentTextError::NotADocument,
                             u"This is not a Word document (.docx or .doc)."_s);
}

} // namespace

Expected<QString> DocumentTextReader::read(const QByteArray &bytes,
                                           const DocumentTextLimits &limits)
{
    const bool compoundFile = bytes.startsWith(kCompoundFileSignature);
    auto text =
        compoundFile ? DocTextReader::read(bytes, limits) : DocxTextReader::read(bytes, limits);
    const char *format = compoundFile ? ".doc" : ".docx";
    if (text) {
        qCDebug(lcDocuments) << "Read as" << format << text->size() << "characters";
        return text;
    }
    qCDebug(lcDocuments).noquote() << "Not read as" << format << text.error().description;
    if (text.error().is(DocumentTextError::NotADocument))
        return notAWordDocument();
    return text;
}

} // namespace hb
