#pragma once

#include "platform/documents/DocumentText.h"

namespace hb {

// The plain text of a word-processing document in the Office Open XML package format (.docx).
//
// Each paragraph of the main document is one line (lines joined by "\n", so no final newline);
// table cells come in reading order, each of their paragraphs a line. Tabs stay tabs; line, page
// and column breaks become "\n". Inserted text is kept and deleted text dropped, as if every
// tracked change were accepted. Of a field only its shown result is kept, never its code.
// Headers, footers, footnotes and comments live in other parts and are not read.
//
// The package is read from memory and its main part is streamed through the XML reader in
// chunks, so a large or hostile entry costs no more memory than its text.
class DocxTextReader {
public:
    DocxTextReader() = delete;

    static Expected<QString> read(const QByteArray &bytes, const DocumentTextLimits &limits = {});
};

} // namespace hb
