#pragma once

#include "platform/documents/DocumentText.h"

#include <QString>
#include <QStringList>

#include <zip.h>

#include <functional>
#include <optional>

class QXmlStreamReader;

namespace hb {

// A .docx package as far as its text reader needs it: entries found by name and streamed as XML,
// with every inflated byte counted against `limits.maxUnpackedBytes`. Each entry's bytes pass a
// DocxMarkupScanner before the XML reader gets them. The zip archive is the caller's.
class DocxPackage {
public:
    // What a part's reader wants after the tokens of one chunk.
    enum class Next { Continue, Stop };
    using TokenReader = std::function<Expected<Next>(QXmlStreamReader &)>;

    DocxPackage(zip_t *zip, const DocumentTextLimits &limits);

    // The entry named `name`, compared without regard to (ASCII) case, if the package has one.
    std::optional<zip_uint64_t> find(const QString &name) const;

    // Inflates the entry chunk by chunk into one XML reader and lets `readTokens` take the
    // tokens after each chunk, until the entry ends or the reader says stop. `name` is the part
    // name errors give.
    Expected<Done> parse(zip_uint64_t index, const QString &name, const TokenReader &readTokens);

    // The names the main part may have, best first: the target of the package's main document
    // relationship, the part whose content type says it is one, and the name Word gives it.
    Expected<QStringList> mainDocumentNames();

private:
    using NameMatch = std::function<QString(QXmlStreamReader &)>;

    // Reads `part` (if the package has it) and returns the part name `match` finds in one of its
    // elements. A part that cannot be read names nothing, unless it breaks a size limit or the
    // read was cancelled.
    Expected<QString> nameFoundIn(const QString &part, const NameMatch &match);

    zip_t *m_zip;
    DocumentTextLimits m_limits;
    qint64 m_unpacked = 0;
};

} // namespace hb
