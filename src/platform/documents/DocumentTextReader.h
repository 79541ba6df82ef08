#pragma once

#include "platform/documents/DocumentText.h"

namespace hb {

// The plain text of a Word document of either format. The bytes are tried as a .docx first and
// then as a .doc; when neither reads, the error is the .doc reader's.
class DocumentTextReader {
public:
    DocumentTextReader() = delete;

    static Expected<QString> read(const QByteArray &bytes, const DocumentTextLimits &limits = {});
};

} // namespace hb
