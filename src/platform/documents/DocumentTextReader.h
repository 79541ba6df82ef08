#pragma once

#include "platform/documents/DocumentText.h"

namespace hb {

// The plain text of a Word document of either format, told apart by their first bytes: a
// compound file is read as a .doc, anything else as a .docx. A file of neither kind, or one
// that holds no Word document, gives NotADocument; a Word document that cannot be read gives
// its reader's reason (damaged, too large, password-protected, ...).
class DocumentTextReader {
public:
    DocumentTextReader() = delete;

    static Expected<QString> read(const QByteArray &bytes, const DocumentTextLimits &limits = {});
};

} // namespace hb
