#include "platform/documents/DocxTextReader.h"

#include "platform/documents/DocxBodyText.h"
#include "platform/documents/DocxPackage.h"
#include "platform/documents/DocxTextCommon.h"

#include <QtEndian>

#include <zip.h>

#include <memory>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// Whether bytes that libzip cannot open as a whole still hold a ZIP entry of a Word document: a
// local or central header naming a part in the "word" folder. A package cut short loses its
// central directory first, but its local headers remain.
bool namesWordPart(QByteArrayView bytes)
{
    const auto isWordPart = [](QByteArrayView name) {
        return name.size() > 5 &&
               QLatin1StringView(name.first(5)).compare("word/"_L1, Qt::CaseInsensitive) == 0;
    };
    // The signature, where the name's length is and where the name starts.
    constexpr struct {
        const char *signature;
        qsizetype lengthAt;
        qsizetype nameAt;
    } kHeaders[] = {{"PK\x03\x04", 26, 30}, {"PK\x01\x02", 28, 46}};
    for (const auto &header : kHeaders) {
        for (qsizetype at = bytes.indexOf(QByteArrayView(header.signature, 4)); at >= 0;
             at = bytes.indexOf(QByteArrayView(header.signature, 4), at + 1)) {
            if (bytes.size() - at < header.nameAt)
                break;
            const auto length = qFromLittleEndian<quint16>(bytes.data() + at + header.lengthAt);
            if (length <= bytes.size() - at - header.nameAt &&
                isWordPart(bytes.sliced(at + header.nameAt, length)))
                return true;
        }
    }
    return false;
}

struct ZipDiscard {
    void operator()(zip_t *zip) const { zip_discard(zip); }
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
        if (namesWordPart(bytes))
            return documentTextError(
                DocumentTextError::Damaged,
                u"The document is damaged: its ZIP package cannot be opened (%1)."_s.arg(why));
        return docxNotADocument(u"it is not a ZIP package (%1)."_s.arg(why));
    }
    zip_error_fini(&error);
    const std::unique_ptr<zip_t, ZipDiscard> zip(opened);

    DocxPackage package(zip.get(), limits);
    const auto names = package.mainDocumentNames();
    if (!names)
        return names.error();
    for (const QString &name : *names) {
        const auto index = package.find(name);
        if (!index)
            continue;
        DocxBodyText body(limits.maxTextBytes);
        const auto done = package.parse(
            *index, name, [&body](QXmlStreamReader &xml) { return body.readTokens(xml); });
        if (!done)
            return done.error();
        if (!body.isComplete())
            return docxDamaged(name, u"the part is empty"_s);
        return body.take();
    }
    return docxNotADocument(u"it has no main document part (word/document.xml)."_s);
}

} // namespace hb
