#pragma once

#include <QString>

namespace hb {

// One section of a Markdown document: its heading line and everything up to the next heading
// of the same or a higher level. Lines inside fenced code blocks are never headings.
class ReadmeSection {
public:
    // The section whose heading text is `heading` (without the #s), or an empty string when the
    // document has none.
    static QString extract(const QString &markdown, const QString &heading);
};

} // namespace hb
