#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <zip.h>

namespace hb::test {

// Writes a template: a ZIP archive with "definition.json" at its root. False when libzip fails.
inline bool writeTemplate(const QString &path, const QByteArray &definition)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    zip_source_t *source = zip_source_buffer(archive, definition.constData(),
                                             zip_uint64_t(definition.size()), 0);
    if (!source || zip_file_add(archive, "definition.json", source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

} // namespace hb::test
