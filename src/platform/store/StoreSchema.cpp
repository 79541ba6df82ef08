#include "platform/store/StoreSchema.h"

namespace hb {

using namespace Qt::StringLiterals;

QString StoreSchema::versionText(int encodedVersion)
{
    return u"%1.%2.%3"_s.arg(encodedVersion / 1'000'000)
        .arg(encodedVersion / 1'000 % 1'000)
        .arg(encodedVersion % 1'000);
}

namespace {

// Columns added to ShortcutButton in 1.1.0; each has a default, so older rows read as plain
// one-combination buttons.
const QStringList &buttonColumnsOf1_1()
{
    static const QStringList columns = {
        u"thenKeyCombos TEXT NOT NULL DEFAULT ''"_s,
        u"sequenceDelayMs INTEGER NOT NULL DEFAULT 100"_s,
        u"isToggle INTEGER NOT NULL DEFAULT 0 CHECK (isToggle IN (0, 1))"_s,
        u"toggledOn INTEGER NOT NULL DEFAULT 0 CHECK (toggledOn IN (0, 1))"_s,
        u"onLabel TEXT NOT NULL DEFAULT ''"_s,
        u"onColorHex TEXT NOT NULL DEFAULT '#E5484D'"_s,
        u"onKeyCombo TEXT NOT NULL DEFAULT ''"_s,
    };
    return columns;
}

} // namespace

QStringList StoreSchema::upgradeStatements(int from)
{
    QStringList statements;
    if (from < 1'001'000) {
        for (const QString &column : buttonColumnsOf1_1())
            statements.append(u"ALTER TABLE ShortcutButton ADD COLUMN "_s + column);
    }
    statements.append(u"PRAGMA user_version = %1"_s.arg(version));
    return statements;
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
            customImageData BLOB, )"_s +
            buttonColumnsOf1_1().join(u", "_s) + u")"_s,
        u"CREATE INDEX ShortcutButton_page ON ShortcutButton (page)"_s,

        u"PRAGMA user_version = %1"_s.arg(version),
    };
}

} // namespace hb
