#pragma once

#include "platform/documents/DocumentText.h"

namespace hb {

// The plain text of a word-processing document in the Office Open XML package format (.docx).
//
// Each paragraph of the main document is one line (lines joined by "\n", so no final newline);
// table cells come in reading order, each of their paragraphs a line. Tabs stay tabs; line, page
// and column breaks become "\n". Inserted text is kept and deleted text dropped, as if every
// tracked change were accepted: a paragraph whose mark is deleted (or moved away) runs on into
// the next paragraph's line. Of a field only its shown result is kept, never its code.
// Headers, footers, footnotes and comments live in other parts and are not read.
//
// The package is read from memory and its parts are streamed through the XML reader in chunks.
// Before the XML reader gets a chunk, the tokens in it are measured: a part with a run of text
// over 16 MB (TooLarge), or a tag, comment or CDATA section over 1 MB, names over 1 kB, elements
// nested over 4096 deep or a document type declaration (Damaged) is refused there, so a hostile
// entry costs tens of megabytes at most beside the text it gives. `limits.cancelled` is polled
// once per chunk. Errors: NotADocument when the bytes are no ZIP package or hold no main
// document part; Damaged ("The document is damaged: ..."), TooLarge ("The document is larger
// than ...") and Unsupported ("The document is password-protected.") for a Word package.
class DocxTextReader {
public:
    DocxTextReader() = delete;

    static Expected<QString> read(const QByteArray &bytes, const DocumentTextLimits &limits = {});
};

} // namespace hb
