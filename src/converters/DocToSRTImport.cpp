#include "converters/DocToSRTImport.h"

#include "converters/DocToSRTConverter.h"
#include "platform/documents/DocumentText.h"
#include "platform/documents/DocumentTextReader.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace hb {

Expected<DocToSRTResult> DocToSRTImport::importFile(const QString &path,
                                                    const SubtitleOptions &options,
                                                    const std::atomic_bool *cancelled)
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
    return importBytes(bytes, QFileInfo(path).fileName(), options, cancelled);
}

Expected<DocToSRTResult> DocToSRTImport::importBytes(const QByteArray &bytes,
                                                     const QString &fileName,
                                                     const SubtitleOptions &options,
                                                     const std::atomic_bool *cancelled)
{
    DocumentTextLimits limits;
    limits.cancelled = cancelled;
    Expected<QString> text = DocumentTextReader::read(bytes, limits);
    if (!text)
        return text.error();
    SubtitleCues cues = DocToSRTConverter::readCues(DocToSRTConverter::splitLines(*text), options);
    const qsizetype count = cues.cues.size();
    QString srt = DocToSRTConverter::renderSRT(cues.cues);
    return DocToSRTResult{fileName,        *text,          DocToSRTConverter::preview(*text),
                          std::move(cues), std::move(srt), count};
}

} // namespace hb
