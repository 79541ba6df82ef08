#include "converters/DocToSRTImport.h"

#include "converters/DocToSRTConverter.h"
#include "platform/documents/DocumentText.h"
#include "platform/documents/DocumentTextReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

// Files are read in pieces of this size so that a cancelled read stops between two of them.
constexpr qint64 kReadChunkBytes = 4 * 1024 * 1024;

Error tooLargeFile()
{
    return documentTextError(DocumentTextError::TooLarge,
                             u"The file is larger than 1 GiB; no Word transcript is that large."_s);
}

Error unreadable(const QFile &file)
{
    return documentTextError(DocumentTextError::NotADocument,
                             u"The file could not be read: "_s + file.errorString());
}

// The whole content of an open file, read chunk by chunk straight into one buffer (a pipe has no
// size up front, so it is read until its end); stops when `cancelled` turns true.
Expected<QByteArray> readWhole(QFile &file, const std::atomic_bool *cancelled)
{
    const bool sized = !file.isSequential();
    const qint64 expected = sized ? file.size() : 0;
    if (expected > DocToSRTImport::kMaxFileBytes)
        return tooLargeFile();
    QByteArray bytes;
    bytes.reserve(expected);
    while (!sized || bytes.size() < expected) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return documentTextCancelled();
        const qint64 at = bytes.size();
        qint64 wanted = std::min(kReadChunkBytes, DocToSRTImport::kMaxFileBytes + 1 - at);
        if (sized)
            wanted = std::min(wanted, expected - at);
        bytes.resize(at + wanted);
        const qint64 got = file.read(bytes.data() + at, wanted);
        if (got < 0)
            return unreadable(file);
        bytes.resize(at + got);
        if (got == 0)
            break; // the end of the file
        if (bytes.size() > DocToSRTImport::kMaxFileBytes)
            return tooLargeFile();
    }
    if (sized && bytes.size() != expected)
        return unreadable(file); // it shrank while it was read
    return bytes;
}

} // namespace

Expected<DocToSRTResult> DocToSRTImport::importFile(const QString &path,
                                                    const SubtitleOptions &options,
                                                    const std::atomic_bool *cancelled)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return documentTextError(DocumentTextError::NotADocument,
                                 u"The file could not be read: "_s + file.errorString());
    Expected<QByteArray> bytes = readWhole(file, cancelled);
    if (!bytes)
        return bytes.error();
    return importBytes(*bytes, QFileInfo(path).fileName(), options, cancelled);
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
