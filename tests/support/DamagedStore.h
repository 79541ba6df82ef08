#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The bytes of a file; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fills the middle page of an SQLite file of at least four pages with rubbish, as a failing
// disk or a stray write would. The header on the first page stays intact, so the file still
// opens as a database and only reading that page fails.
inline bool damageMiddlePage(const QString &path)
{
    QByteArray bytes = fileBytes(path);
    // The page size is a big-endian number at offset 16 of the header.
    const qsizetype pageSize = bytes.size() < 18 ? 0 : uchar(bytes[16]) << 8 | uchar(bytes[17]);
    if (pageSize < 512 || bytes.size() < 4 * pageSize)
        return false;
    const qsizetype middle = bytes.size() / pageSize / 2;
    bytes.replace(middle * pageSize, pageSize, QByteArray(pageSize, '\x5a'));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
