#pragma once

#include <QString>
#include <QStringList>

namespace hb {

// The layout of the store file.
//
// The schema version lives in the SQLite header field `PRAGMA user_version`, encoded as
// major * 1'000'000 + minor * 1'000 + patch, so 1.0.0 is 1000000 and versions compare as
// integers. 0 (the value of a new, empty file) means the file holds no store yet. The version
// is written in the same transaction that creates the tables.
//
// Conventions of the tables, in the order the record types are registered:
// - `id INTEGER PRIMARY KEY AUTOINCREMENT` is each record's persistent identifier.
//   AUTOINCREMENT keeps SQLite from giving a deleted record's id to a new record, so a list row
//   or a selection that still holds an old id never silently denotes another record.
// - Date-times are INTEGER milliseconds since 1970-01-01T00:00:00Z (UTC).
// - Booleans are INTEGER 0 or 1.
// - A to-many relationship is a foreign-key column on the child, ON DELETE CASCADE, indexed.
//   `PrepTask.project` may be NULL (the relationship is optional); `ShortcutButton.page` may
//   not, and `ShortcutButton.position` keeps the order of the page's button list.
// - A list of texts is a JSON array in a TEXT column; '' is the empty list.
//
// Versions: 1.0.0 first; 1.1.0 added two-state buttons and key sequences to ShortcutButton.
class StoreSchema {
public:
    static constexpr int version = 1'001'000;
    // The first version; stores written by it are brought up to `version` when opened.
    static constexpr int firstVersion = 1'000'000;

    // "1.0.0" for 1000000.
    static QString versionText(int encodedVersion);

    // The statements that create the tables and indexes, to be run in order in one transaction.
    static QStringList statements();

    // The statements that bring a store of `from` (at least firstVersion, below version) up to
    // `version`, to be run in order in one transaction. They only add; no record changes.
    static QStringList upgradeStatements(int from);
};

} // namespace hb
