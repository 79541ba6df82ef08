#include "platform/store/StoreSchema.h"

namespace hb {

using namespace Qt::StringLiterals;

QString StoreSchema::versionText(int encodedVersion)
{
    return u"%1.%2.%3"_s.arg(encodedVersion / 1'000'000)
        .arg(encodedVersion / 1'000 % 1'000)
        .arg(encodedVersion % 1'000);
}

QStringList StoreSchema::statements()
{
    return {
        uR"(CREATE TABLE Item (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            timestamp INTEGER NOT NULL))"_s,

        uR"(CREATE TABLE PrepProject (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            name TEXT NOT NULL,
            notes TEXT NOT NULL,
            createdAt INTEGER NOT NULL,
            updatedAt INTEGER NOT NULL))"_s,

        uR"(CREATE TABLE PrepTask (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            title TEXT NOT NULL,
            details TEXT NOT NULL,
            isDone INTEGER NOT NULL CHECK (isDone IN (0, 1)),
            createdAt INTEGER NOT NULL,
            updatedAt INTEGER NOT NULL,
            sortOrder INTEGER NOT NULL,
            project INTEGER REFERENCES PrepProject (id) ON DELETE CASCADE))"_s,
        u"CREATE INDEX PrepTask_project ON PrepTask (project)"_s,

        uR"(CREATE TABLE ShortcutPage (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            name TEXT NOT NULL,
            sortOrder INTEGER NOT NULL))"_s,

        uR"(CREATE TABLE ShortcutButton (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            page INTEGER NOT NULL REFERENCES ShortcutPage (id) ON DELETE CASCADE,
            position INTEGER NOT NULL,
            label TEXT NOT NULL,
            sfSymbol TEXT NOT NULL,
            colorHex TEXT NOT NULL,
            keyCombo TEXT NOT NULL,
            appTarget TEXT NOT NULL,
            row INTEGER NOT NULL CHECK (row BETWEEN 0 AND 3),
            col INTEGER NOT NULL CHECK (col BETWEEN 0 AND 3),
            customImageData BLOB))"_s,
        u"CREATE INDEX ShortcutButton_page ON ShortcutButton (page)"_s,

        u"PRAGMA user_version = %1"_s.arg(version),
    };
}

} // namespace hb
