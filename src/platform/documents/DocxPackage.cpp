#include "platform/documents/DocxPackage.h"

#include "platform/documents/DocxMarkupScanner.h"
#include "platform/documents/DocxTextCommon.h"

#include <QUrl>
#include <QXmlStreamReader>

#include <memory>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// Entries are inflated and handed to the XML reader in pieces of this size.
constexpr qsizetype kChunkBytes = 64 * 1024;

// Where the package itself says which of its parts is the main document.
constexpr QStringView kRelationshipsNamespace =
    u"http://schemas.openxmlformats.org/package/2006/relationships";
constexpr QStringView kContentTypesNamespace =
    u"http://schemas.openxmlformats.org/package/2006/content-types";
constexpr QStringView kMainDocumentRelationships[] = {
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
    u"http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument"};
constexpr QStringView kMainDocumentContentTypes[] = {
    u"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
    u"application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
    u"application/vnd.ms-word.document.macroEnabled.main+xml",
    u"application/vnd.ms-word.template.macroEnabledTemplate.main+xml"};

// libzip could not open or inflate an entry.
Error unreadable(const QString &part, zip_error_t *error)
{
    const QString why = QString::fromUtf8(zip_error_strerror(error));
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return documentTextError(DocumentTextError::Unsupported,
                                 u"The document is password-protected."_s);
    case ZIP_ER_COMPNOTSUPP:
        return documentTextError(DocumentTextError::Unsupported,
                                 u"The document cannot be read: %1 (in \"%2\")."_s.arg(why, part));
    default:
        return docxDamaged(part, why);
    }
}

struct ZipFileClose {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

// A relationship's target as a part name: relative to the package root, without dot segments.
QString partName(QStringView target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QStringList segments;
    for (const QStringView segment : QStringView(decoded).split(u'/')) {
        if (segment.isEmpty() || segment == u".")
            continue;
        if (segment == u"..") {
            if (!segments.isEmpty())
                segments.removeLast();
            continue;
        }
        segments.append(segment.toString());
    }
    return segments.join(u'/');
}

} // namespace

DocxPackage::DocxPackage(zip_t *zip, const DocumentTextLimits &limits)
    : m_zip(zip), m_limits(limits)
{
}

std::optional<zip_uint64_t> DocxPackage::find(const QString &name) const
{
    // libzip compares C strings, which would stop at a NUL inside `name`.
    if (name.isEmpty() || name.contains(QChar(0)))
        return std::nullopt;
    // Names in a package compare without regard to (ASCII) case.
    const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return std::nullopt;
    return zip_uint64_t(index);
}

Expected<Done> DocxPackage::parse(zip_uint64_t index, const QString &name,
                                  const TokenReader &readTokens)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, index, 0, &stat) != 0)
        return unreadable(name, zip_get_error(m_zip));
    // The declared size refuses a bomb before any of it is inflated; the running count below
    // refuses an entry that inflates past what it declares.
    if ((stat.valid & ZIP_STAT_SIZE) &&
        stat.size > zip_uint64_t(m_limits.maxUnpackedBytes - m_unpacked))
        return docxUnpackedTooLarge(m_limits);

    const std::unique_ptr<zip_file_t, ZipFileClose> file(zip_fopen_index(m_zip, index, 0));
    if (!file)
        return unreadable(name, zip_get_error(m_zip));
    QXmlStreamReader xml;
    DocxMarkupScanner scanner;
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    QByteArray held; // scanned, not yet given to the XML reader
    for (;;) {
        if (m_limits.isCancelled())
            return documentTextCancelled();
        const zip_int64_t count = zip_fread(file.get(), chunk.data(), zip_uint64_t(chunk.size()));
        if (count < 0)
            return unreadable(name, zip_file_get_error(file.get()));
        const bool end = count == 0;
        if (!end) {
            m_unpacked += count;
            if (m_unpacked > m_limits.maxUnpackedBytes)
                return docxUnpackedTooLarge(m_limits);
            const QByteArrayView inflated(chunk.constData(), qsizetype(count));
            if (auto refusal = scanner.scan(inflated)) {
                if (refusal->code == DocumentTextError::Damaged)
                    return docxDamaged(name, refusal->why);
                return documentTextError(refusal->code, refusal->why);
            }
            held.append(inflated);
        }
        // At the end the reader gets what is left, to find the markup that is cut short.
        const qsizetype ready =
            end ? held.size()
                : held.size() - qsizetype(scanner.scannedBytes() - scanner.settledBytes());
        if (ready > 0) {
            xml.addData(held.first(ready));
            held.remove(0, ready);
            const auto next = readTokens(xml);
            if (!next)
                return next.error();
            if (*next == Next::Stop)
                return Done{};
            if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                break;
        }
        if (end)
            break;
    }
    // An error, or still waiting for more at the end of the entry: it is cut short.
    if (xml.hasError()) {
        QString why = xml.errorString();
        if (why.endsWith(u'.'))
            why.chop(1);
        return docxDamaged(
            name, u"its XML is not well-formed at line %1, column %2: %3"_s.arg(xml.lineNumber())
                      .arg(xml.columnNumber())
                      .arg(why));
    }
    return Done{};
}

Expected<QString> DocxPackage::nameFoundIn(const QString &part, const NameMatch &match)
{
    const auto index = find(part);
    if (!index)
        return QString();
    QString found;
    const auto done = parse(*index, part, [&](QXmlStreamReader &xml) -> Expected<Next> {
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement)
                found = match(xml);
            if (!found.isEmpty())
                return Next::Stop;
        }
        return Next::Continue;
    });
    if (!done && (done.error().is(DocumentTextError::TooLarge) ||
                  done.error().is(DocumentTextError::Cancelled)))
        return done.error();
    return found;
}

Expected<QStringList> DocxPackage::mainDocumentNames()
{
    QStringList names;
    const auto related = nameFoundIn(u"_rels/.rels"_s, [](QXmlStreamReader &xml) {
        const auto attributes = xml.attributes();
        if (xml.namespaceUri() != kRelationshipsNamespace || xml.name() != u"Relationship" ||
            !isOneOf(attributes.value("Type"_L1), kMainDocumentRelationships) ||
            attributes.value("TargetMode"_L1) == u"External")
            return QString();
        return partName(attributes.value("Target"_L1));
    });
    if (!related)
        return related.error();
    const auto typed = nameFoundIn(u"[Content_Types].xml"_s, [](QXmlStreamReader &xml) {
        const auto attributes = xml.attributes();
        if (xml.namespaceUri() != kContentTypesNamespace || xml.name() != u"Override" ||
            !isOneOf(attributes.value("ContentType"_L1), kMainDocumentContentTypes,
                     Qt::CaseInsensitive))
            return QString();
        return partName(attributes.value("PartName"_L1));
    });
    if (!typed)
        return typed.error();
    for (const QString &name : {*related, *typed, u"word/document.xml"_s}) {
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

} // namespace hb
