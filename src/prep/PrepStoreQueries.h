#pragma once

#include "common/Expected.h"
#include "prep/PrepRecords.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

#include <optional>

namespace hb {

// The statements the checklist runs against the store, each on the connection it is given (a
// transaction's, or the store's for a read).
class PrepStoreQueries {
public:
    PrepStoreQueries() = delete;

    static Error notFound(const QString &what, qint64 id);
    // Qt binds a null QString as SQL NULL; an empty text must stay text.
    static QVariant text(const QString &value);
    static QDateTime instant(const QVariant &stored);

    // Runs one statement with its values bound in order. Reads go forward only: the lists are
    // read once, and a scrollable SQLite result would keep a copy of every row.
    static Expected<QSqlQuery> run(const QSqlDatabase &db, const QString &sql,
                                   const QVariantList &values);
    // An UPDATE or DELETE of the record `id`: an error when there is no such record.
    static Expected<Done> changeOne(const QSqlDatabase &db, const QString &sql,
                                    const QVariantList &values, const QString &what, qint64 id);
    static Expected<Done> touchProject(const QSqlDatabase &db, qint64 project,
                                       const QDateTime &now);

    // The record in the current row of a SELECT of the columns in declaration order.
    static PrepProject projectAt(const QSqlQuery &query);
    static PrepTask taskAt(const QSqlQuery &query);

    static Expected<std::optional<PrepProject>> selectProject(const QSqlDatabase &db, qint64 id);
    static Expected<PrepProject> existingProject(const QSqlDatabase &db, qint64 id);
    // The tasks of an existing project in display order. The order is the one
    // PrepChecklist::comesBefore() gives; tasks equal under it come newest record first.
    static Expected<QList<PrepTask>> selectSortedTasks(const QSqlDatabase &db, qint64 project);
    static Expected<qint64> insertProject(const QSqlDatabase &db, const PrepProject &project);
    static Expected<qint64> insertTask(const QSqlDatabase &db, const PrepTask &task);
    static Expected<qint64> selectNextSortOrder(const QSqlDatabase &db, qint64 project);
};

} // namespace hb
