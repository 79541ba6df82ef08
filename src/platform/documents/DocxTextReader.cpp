#include "platform/documents/DocxTextReader.h"

#include <QLocale>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// Entries are inflated and handed to the XML reader in pieces of this size.
constexpr qsizetype kChunkBytes = 64 * 1024;

// The main part's namespace, in the transitional and in the strict flavour of the format.
constexpr QStringView kWordNamespaces[] = {
    u"http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    u"http://purl.oclc.org/ooxml/wordprocessingml/main"};
constexpr QStringView kCompatibilityNamespace =
    u"http://schemas.openxmlformats.org/markup-compatibility/2006";
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

// Elements of the main part whose whole content is left out of the text: deleted and moved-away
// revisions, field codes, the phonetic guide above ruby text and the table grid. Properties
// (pPr, rPr, sectPr, tblPr, ... and their recorded changes) are left out by their name's ending;
// some of their children share names with content, such as the tab stops in pPr/tabs/tab.
constexpr QStringView kElementsWithoutText[] = {
    u"del", u"moveFrom", u"delText", u"delInstrText", u"instrText", u"rt", u"tblGrid"};

template <std::size_t N>
bool isOneOf(QStringView value, const QStringView (&set)[N],
             Qt::CaseSensitivity sensitivity = Qt::CaseSensitive)
{
    return std::any_of(std::begin(set), std::end(set), [&](QStringView candidate) {
        return value.compare(candidate, sensitivity) == 0;
    });
}

Error notADocx(const QString &why)
{
    return documentTextError(DocumentTextError::NotADocument,
                             u"This is not a Word document (.docx): "_s + why);
}

Error damaged(const QString &part, const QString &why)
{
    return documentTextError(
        DocumentTextError::Damaged,
        u"The Word document (.docx) is damaged: %1 (in \"%2\")"_s.arg(why, part));
}

Error unpackedTooLarge(const DocumentTextLimits &limits)
{
    return documentTextError(
        DocumentTextError::TooLarge,
        u"The Word document (.docx) is too large: it unpacks to more than %1."_s.arg(
            QLocale::c().formattedDataSize(limits.maxUnpackedBytes, 0)));
}

// libzip could not open or inflate an entry.
Error unreadable(const QString &part, zip_error_t *error)
{
    const QString why = QString::fromUtf8(zip_error_strerror(error));
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_COMPNOTSUPP:
        return documentTextError(
            DocumentTextError::Unsupported,
            u"The Word document (.docx) cannot be read: %1 (in \"%2\")"_s.arg(why, part));
    default:
        return damaged(part, why);
    }
}

struct ZipDiscard {
    void operator()(zip_t *zip) const { zip_discard(zip); }
};

struct ZipFileClose {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

// What a part's reader wants after the tokens of one chunk.
enum class Next { Continue, Stop };

using TokenReader = std::function<Expected<Next>(QXmlStreamReader &)>;

// The package as far as this reader needs it: entries found by name and streamed as XML, with
// every inflated byte counted against the limit.
struct Package {
    zip_t *zip = nullptr;
    DocumentTextLimits limits;
    qint64 unpacked = 0;

    std::optional<zip_uint64_t> find(const QString &name) const
    {
        // libzip compares C strings, which would stop at a NUL inside `name`.
        if (name.isEmpty() || name.contains(QChar(0)))
            return std::nullopt;
        // Names in a package compare without regard to (ASCII) case.
        const zip_int64_t index = zip_name_locate(zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
        if (index < 0)
            return std::nullopt;
        return zip_uint64_t(index);
    }

    // Inflates the entry chunk by chunk into one XML reader and lets `readTokens` take the
    // tokens after each chunk, until the entry ends or the reader says stop.
    Expected<Done> parse(zip_uint64_t index, const QString &name, const TokenReader &readTokens)
    {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, index, 0, &stat) != 0)
            return unreadable(name, zip_get_error(zip));
        // The declared size refuses a bomb before any of it is inflated; the running count below
        // refuses an entry that inflates past what it declares.
        if ((stat.valid & ZIP_STAT_SIZE) &&
            stat.size > zip_uint64_t(limits.maxUnpackedBytes - unpacked))
            return unpackedTooLarge(limits);

        const std::unique_ptr<zip_file_t, ZipFileClose> file(zip_fopen_index(zip, index, 0));
        if (!file)
            return unreadable(name, zip_get_error(zip));
        QXmlStreamReader xml;
        QByteArray chunk(kChunkBytes, Qt::Uninitialized);
        for (;;) {
            const zip_int64_t count =
                zip_fread(file.get(), chunk.data(), zip_uint64_t(chunk.size()));
            if (count < 0)
                return unreadable(name, zip_file_get_error(file.get()));
            if (count == 0)
                break;
            unpacked += count;
            if (unpacked > limits.maxUnpackedBytes)
                return unpackedTooLarge(limits);
            xml.addData(QByteArray(chunk.constData(), qsizetype(count)));
            const auto next = readTokens(xml);
            if (!next)
                return next.error();
            if (*next == Next::Stop)
                return Done{};
            if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                break;
        }
        // Still waiting for more at the end of the entry means the entry is cut short.
        if (xml.hasError())
            return damaged(name, u"%1 (line %2, column %3)"_s.arg(xml.errorString())
                                     .arg(xml.lineNumber())
                                     .arg(xml.columnNumber()));
        return Done{};
    }
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

// Reads `part` (if the package has it) and returns the part name `match` finds in one of its
// elements. A part that cannot be read names nothing, unless it breaks the size limit.
Expected<QString> nameFoundIn(Package &package, const QString &part,
                              const std::function<QString(QXmlStreamReader &)> &match)
{
    const auto index = package.find(part);
    if (!index)
        return QString();
    QString found;
    const auto done = package.parse(*index, part, [&](QXmlStreamReader &xml) -> Expected<Next> {
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement)
                found = match(xml);
            if (!found.isEmpty())
                return Next::Stop;
        }
        return Next::Continue;
    });
    if (!done && done.error().is(DocumentTextError::TooLarge))
        return done.error();
    return found;
}

// The names the main part may have, best first: the target of the package's main document
// relationship, the part whose content type says it is one, and the name Word gives it.
Expected<QStringList> mainDocumentNames(Package &package)
{
    QStringList names;
    const auto related = nameFoundIn(package, u"_rels/.rels"_s, [](QXmlStreamReader &xml) {
        const auto attributes = xml.attributes();
        if (xml.namespaceUri() != kRelationshipsNamespace || xml.name() != u"Relationship" ||
            !isOneOf(attributes.value("Type"_L1), kMainDocumentRelationships) ||
            attributes.value("TargetMode"_L1) == u"External")
            return QString();
        return partName(attributes.value("Target"_L1));
    });
    if (!related)
        return related.error();
    const auto typed = nameFoundIn(package, u"[Content_Types].xml"_s, [](QXmlStreamReader &xml) {
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

// Collects the text of the main part, token by token, as the chunks arrive.
class BodyText {
public:
    explicit BodyText(qsizetype maxTextBytes) : m_maxTextBytes(maxTextBytes) {}

    // True once the root element has been closed: the part was read to its end.
    bool isComplete() const { return m_complete; }
    QString take() { return std::move(m_text); }

    Expected<Next> readTokens(QXmlStreamReader &xml)
    {
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (auto error = start(xml))
                    return *error;
                break;
            case QXmlStreamReader::EndElement:
                end(xml);
                break;
            case QXmlStreamReader::Characters:
                if (m_inText && m_skippedFrom == 0 && m_fieldCodes == 0)
                    m_text += xml.text();
                break;
            default:
                break;
            }
            if (m_text.size() > m_maxTextBytes / 2)
                return documentTextTooLarge(m_maxTextBytes);
        }
        return Next::Continue;
    }

private:
    std::optional<Error> start(const QXmlStreamReader &xml)
    {
        ++m_depth;
        if (m_skippedFrom != 0)
            return std::nullopt;
        const QStringView space = xml.namespaceUri();
        const QStringView name = xml.name();
        const bool word = isOneOf(space, kWordNamespaces);
        if (m_depth == 1) {
            if (!word || name != u"document")
                return notADocx(u"its main part holds no word-processing text."_s);
            return std::nullopt;
        }
        // Alternative content comes with a fallback that repeats it for older readers.
        if (!word) {
            if (space == kCompatibilityNamespace && name == u"Fallback")
                m_skippedFrom = m_depth;
            return std::nullopt;
        }
        if (name.endsWith(u"Pr") || name.endsWith(u"PrEx") || name.endsWith(u"PrChange") ||
            isOneOf(name, kElementsWithoutText)) {
            m_skippedFrom = m_depth;
            return std::nullopt;
        }
        if (name == u"p") {
            if (m_paragraphs++ > 0)
                m_text += u'\n';
        } else if (name == u"fldChar") {
            fieldMark(xml.attributes().value(space.toString(), "fldCharType"_L1));
        } else if (m_fieldCodes > 0) {
            // Everything between a field's start and its separator is its code.
        } else if (name == u"t") {
            m_inText = true;
        } else if (name == u"tab" || name == u"ptab") {
            m_text += u'\t';
        } else if (name == u"br" || name == u"cr") {
            m_text += u'\n';
        } else if (name == u"noBreakHyphen") {
            m_text += u'-';
        } else if (name == u"sym") {
            symbol(xml.attributes().value(space.toString(), "char"_L1));
        }
        return std::nullopt;
    }

    void end(const QXmlStreamReader &xml)
    {
        if (m_skippedFrom == m_depth)
            m_skippedFrom = 0;
        else if (m_skippedFrom == 0 && xml.name() == u"t")
            m_inText = false;
        if (--m_depth == 0)
            m_complete = true;
    }

    // Fields nest; each open field is in its code until its separator.
    void fieldMark(QStringView type)
    {
        if (type == u"begin") {
            m_fields.push_back(true);
            ++m_fieldCodes;
        } else if (type == u"separate") {
            if (!m_fields.empty() && m_fields.back()) {
                m_fields.back() = false;
                --m_fieldCodes;
            }
        } else if (type == u"end") {
            if (!m_fields.empty()) {
                if (m_fields.back())
                    --m_fieldCodes;
                m_fields.pop_back();
            }
        }
    }

    // A character picked from a font by its hexadecimal code. Symbol fonts use the private-use
    // range, which is kept: the code still tells a reader which character was meant.
    void symbol(QStringView code)
    {
        bool ok = false;
        const uint value = code.toUInt(&ok, 16);
        if (ok && value >= 0x20 && value <= 0xFFFF && !QChar::isSurrogate(value))
            m_text += QChar(char16_t(value));
    }

    qsizetype m_maxTextBytes;
    QString m_text;
    qsizetype m_paragraphs = 0;
    int m_depth = 0;
    int m_skippedFrom = 0; // the depth of the element whose content is skipped, or 0
    bool m_inText = false;
    bool m_complete = false;
    std::vector<bool> m_fields; // open fields, innermost last: true while in the field's code
    qsizetype m_fieldCodes = 0; // how many of them are in their code
};

} // namespace

Expected<QString> DocxTextReader::read(const QByteArray &bytes, const DocumentTextLimits &limits)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t *opened = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!opened) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_source_free(source);
        zip_error_fini(&error);
        return notADocx(u"it is not a ZIP package (%1)."_s.arg(why));
    }
    zip_error_fini(&error);
    const std::unique_ptr<zip_t, ZipDiscard> zip(opened);

    Package package{zip.get(), limits};
    const auto names = mainDocumentNames(package);
    if (!names)
        return names.error();
    for (const QString &name : *names) {
        const auto index = package.find(name);
        if (!index)
            continue;
        BodyText body(limits.maxTextBytes);
        const auto done = package.parse(
            *index, name, [&body](QXmlStreamReader &xml) { return body.readTokens(xml); });
        if (!done)
            return done.error();
        if (!body.isComplete())
            return damaged(name, u"the part is empty"_s);
        return body.take();
    }
    return notADocx(u"it has no main document part (word/document.xml)."_s);
}

} // namespace hb
