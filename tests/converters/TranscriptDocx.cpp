#include "TranscriptDocx.h"

#include <QFile>

#include <zip.h>

namespace hb::test {

bool writeTranscriptDocx(const QString &path, const QStringList &lines)
{
    QByteArray body;
    for (const QString &line : lines)
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + line.toHtmlEscaped().toUtf8() +
                "</w:t></w:r></w:p>";
    const QByteArray document =
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
        R"(<w:body>)" +
        body + "</w:body></w:document>";
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    zip_source_t *source =
        zip_source_buffer(zip, document.constData(), zip_uint64_t(document.size()), 0);
    if (zip_file_add(zip, "word/document.xml", source, 0) < 0) {
        zip_source_free(source);
        zip_discard(zip);
        return false;
    }
    return zip_close(zip) == 0;
}

} // namespace hb::test
