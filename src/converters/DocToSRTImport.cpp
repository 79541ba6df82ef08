#include "converters/DocToSRTImport.h"

#include "converters/DocToSRTConverter.h"
#include "platform/documents/DocumentText.h"
#include "platform/documents/DocumentTextReader.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace hb {

Expected<DocToSRTResult> DocToSRTImport::importFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return documentTextError(DocumentTextError::NotADocument,
                                 u"The file could not be read: "_s + file.errorString());
    if (file.size() > kMaxFileBytes)
        return documentTextError(
            DocumentTextError::TooLarge,
            u"The file is larger than 1 GiB; no Word transcript is that large."_s);
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return documentTextError(DocumentTextError::NotADocument,
                                 u"The file could not be read: "_s + file.errorString());

    Expected<QString> text = DocumentTextReader::read(bytes);
    if (!text)
        return text.error();
    const QList<SRTCue> cues = DocToSRTConverter::buildCues(DocToSRTConverter::splitLines(*text));
    return DocToSRTResult{QFileInfo(path).fileName(), DocToSRTConverter::preview(*text),
                          DocToSRTConverter::renderSRT(cues), cues.size()};
}

} // namespace hb
