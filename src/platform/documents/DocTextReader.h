#pragma once

#include "platform/documents/DocumentText.h"

namespace hb {

// The plain text of a Word 97-2003 binary document (.doc): the main document's characters in
// the order the piece table gives them, without headers, footnotes or comments.
//
// Paragraph marks, table cell and row marks, line and page breaks become "\n" (the document's
// final paragraph mark adds none, so paragraphs read like the lines of a .docx); tabs stay tabs;
// a non-breaking hyphen becomes "-" and an optional hyphen disappears. Of a field only its
// shown result is kept. Pictures, drawn objects and other control characters are dropped.
//
// Tracked changes read as if all were accepted: text marked as deleted is left out (a deleted
// paragraph mark joins its paragraph to the next), inserted text stays.
//
// Every offset the file gives is checked against the stream it points into before it is read.
// Bytes that are not a compound file, or one without a WordDocument stream, are NotADocument;
// a Word file whose tables do not fit is Damaged, one over `limits.maxTextBytes` TooLarge, an
// encrypted one (or an encrypted .docx, which also travels in a compound file) or one saved by
// Word 95 or older Unsupported; `limits.cancelled` is polled per piece of text and per page of
// formatting.
class DocTextReader {
public:
    DocTextReader() = delete;

    static Expected<QString> read(const QByteArray &bytes, const DocumentTextLimits &limits = {});
};

} // namespace hb
