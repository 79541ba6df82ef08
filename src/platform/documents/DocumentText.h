#pragma once

#include "common/Error.h"
#include "common/Expected.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <atomic>

namespace hb {

// Error codes of the `documents` error domain.
enum class DocumentTextError {
    NotADocument = 1, // not a container of that kind at all
    Damaged = 2,      // the container is there but its text cannot be read
    TooLarge = 3,     // the text (100 MB) or the unpacked archive (1 GiB) is too big
    Unsupported = 4,  // e.g. an encrypted or pre-97 Word file
    Cancelled = 5,    // the caller gave up on the read (see DocumentTextLimits::cancelled)
};
inline QString errorDomain(DocumentTextError)
{
    return QStringLiteral("documents");
}

// The text limits every reader keeps to.
inline constexpr qsizetype kMaxDocumentTextBytes = 100 * 1000 * 1000;     // 100 MB of UTF-16 text
inline constexpr qint64 kMaxDocumentUnpackedBytes = 1024LL * 1024 * 1024; // 1 GiB

// The limits a read keeps to; the defaults above unless a caller (a test, a fuzz target) needs
// smaller ones. `maxTextBytes` counts the UTF-16 bytes of the extracted text; `maxUnpackedBytes`
// counts every byte a .docx reader inflates, whichever entry it comes from.
//
// `cancelled`, when set, is polled while reading: once it turns true the read stops soon and
// gives a Cancelled error. It must outlive the read.
struct DocumentTextLimits {
    qsizetype maxTextBytes = kMaxDocumentTextBytes;
    qint64 maxUnpackedBytes = kMaxDocumentUnpackedBytes;
    const std::atomic_bool *cancelled = nullptr;

    bool isCancelled() const { return cancelled && cancelled->load(std::memory_order_relaxed); }
};

inline Error documentTextError(DocumentTextError code, const QString &description)
{
    return Error::make(code, description);
}

// The refusal of a document whose text would pass `maxTextBytes`, whatever its format.
inline Error documentTextTooLarge(qsizetype maxTextBytes)
{
    return documentTextError(
        DocumentTextError::TooLarge,
        QStringLiteral("The document is larger than %1.")
            .arg(QLocale::c().formattedDataSize(maxTextBytes, 0, QLocale::DataSizeSIFormat)));
}

inline Error documentTextCancelled()
{
    return documentTextError(DocumentTextError::Cancelled,
                             QStringLiteral("The document was not read to the end."));
}

} // namespace hb
