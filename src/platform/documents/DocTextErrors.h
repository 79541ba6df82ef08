#pragma once

#include "platform/documents/DocumentText.h"

// The refusals of the .doc reader and its helpers, worded once.

namespace hb {

inline Error docNotAWordDocument()
{
    return documentTextError(DocumentTextError::NotADocument,
                             QStringLiteral("This is not a Word document (.docx or .doc)."));
}

// `why` is a clause without the final full stop, e.g. "its piece table is cut short".
inline Error docDamaged(const QString &why)
{
    return documentTextError(DocumentTextError::Damaged,
                             QStringLiteral("The document is damaged: %1.").arg(why));
}

inline Error docPasswordProtected()
{
    return documentTextError(DocumentTextError::Unsupported,
                             QStringLiteral("The document is password-protected."));
}

inline Error docSavedByWord95()
{
    return documentTextError(DocumentTextError::Unsupported,
                             QStringLiteral("The document was saved by Word 95 or older. Save it "
                                            "again in a newer Word format (.docx)."));
}

} // namespace hb
