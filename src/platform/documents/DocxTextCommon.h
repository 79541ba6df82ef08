#pragma once

#include "platform/documents/DocumentText.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <iterator>

// What the .docx reader's pieces share: its refusals, worded once, and name lookups.

namespace hb {

// `why` is a sentence, e.g. "it is not a ZIP package (...)."
inline Error docxNotADocument(const QString &why)
{
    return documentTextError(DocumentTextError::NotADocument,
                             QStringLiteral("This is not a Word document (.docx): ") + why);
}

// `why` is a clause without the final full stop; `part` is the package part it was found in.
inline Error docxDamaged(const QString &part, const QString &why)
{
    return documentTextError(
        DocumentTextError::Damaged,
        QStringLiteral("The document is damaged: %1 (in \"%2\").").arg(why, part));
}

inline Error docxUnpackedTooLarge(const DocumentTextLimits &limits)
{
    return documentTextError(DocumentTextError::TooLarge,
                             QStringLiteral("The document is larger than %1.")
                                 .arg(QLocale::c().formattedDataSize(limits.maxUnpackedBytes, 0)));
}

template <std::size_t N>
bool isOneOf(QStringView value, const QStringView (&set)[N],
             Qt::CaseSensitivity sensitivity = Qt::CaseSensitive)
{
    return std::any_of(std::begin(set), std::end(set), [&](QStringView candidate) {
        return value.compare(candidate, sensitivity) == 0;
    });
}

} // namespace hb
