#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QList>
#include <QString>

#include <sys/stat.h>
#include <zip.h>

namespace hb::test {

struct Entry {
    QByteArray path; // a folder when it ends with "/"
    QByteArray data;
    bool symbolicLink = false;
};
using Entries = QList<Entry>;

// Writes the entries as a ZIP archive (a template when one is "definition.json"), deflated;
// `patch` holds the hex of bytes in the archive to replace, and of what replaces them.
inline bool writeArchive(const QString &path, const Entries &entries,
                         const QByteArrayList &patch = {})
{
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    if (!zip)
        return false;
    for (const Entry &e : entries) {
        const zip_int64_t at =
            zip_file_add(zip, e.path.constData(),
                         zip_source_buffer(zip, e.data.constData(), e.data.size(), 0), 0);
        if (at < 0 || (e.symbolicLink && zip_file_set_external_attributes(
                                             zip, at, 0, ZIP_OPSYS_UNIX, (S_IFLNK | 0777) << 16)))
            return false;
    }
    QFile file(path);
    if (zip_close(zip) != 0 || !file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = file.readAll();
    const QByteArray from = QByteArray::fromHex(patch.value(0));
    const QByteArray to = QByteArray::fromHex(patch.value(1));
    return patch.isEmpty() || (from.size() == to.size() && bytes.contains(from) && file.seek(0) &&
                               file.write(QByteArray(bytes).replace(from, to)) == bytes.size());
}

} // namespace hb::test
