#include "platform/store/ModelStore.h"

#include "platform/store/StoreLogging.h"
#include "platform/store/StoreSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QStandardPaths>
#include <QUuid>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// SQLite's result code for a file that does not start with a database header.
constexpr auto sqliteNotADatabase = "26"_L1;

Error storeError(ModelStore::ErrorCode code, const QString &description)
{
    return Error::make(code, description);
}

Error queryFailed(const QSqlError &error)
{
    qCDebug(lcStore).noquote() << "Statement failed:" << error.text();
    return storeError(ModelStore::ErrorCode::QueryFailed, error.text());
}

// The first column of the first row of `sql`.
Expected<QVariant> scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return queryFailed(query.lastError());
    return query.value(0);
}

} // namespace

QString ModelStore::errorDomain()
{
    return u"ModelStore"_s;
}

QString ModelStore::fileName()
{
    return u"huebench.sqlite"_s;
}

Expected<std::unique_ptr<ModelStore>> ModelStore::open(const QString &directory)
{
    const QString folder = QDir::cleanPath(QDir(directory).absolutePath());
    if (const QFileInfo info(folder); info.exists() && !info.isDir()) {
        return storeError(ErrorCode::NotAFolder,
                          u"The data folder %1 is not a folder"_s.arg(folder));
    }
    if (!QDir().mkpath(folder)) {
        return storeError(ErrorCode::FolderNotCreatable,
                          u"The data folder %1 cannot be created"_s.arg(folder));
    }
    if (!QFileInfo(folder).isWritable()) {
        return storeError(ErrorCode::FolderNotWritable,
                          u"The data folder %1 is not writable"_s.arg(folder));
    }

    std::unique_ptr<ModelStore> store(new ModelStore(QDir(folder).filePath(fileName())));
    if (auto ready = store->initialise(); !ready) {
        qCDebug(lcStore).noquote() << "Not opened:" << ready.error().description;
        return ready.error();
    }
    qCDebug(lcStore).noquote() << "Opened" << store->m_filePath;
    return store;
}

Expected<std::unique_ptr<ModelStore>> ModelStore::openDefault()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return storeError(ErrorCode::FolderNotCreatable, u"There is no data folder to use"_s);
    return open(folder);
}

ModelStore::ModelStore(const QString &filePath)
    : m_connectionName(u"hb.ModelStore."_s % QUuid::createUuid().toString(QUuid::WithoutBraces)),
      m_filePath(filePath)
{
    QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName).setDatabaseName(m_filePath);
}

ModelStore::~ModelStore()
{
    // No QSqlDatabase object of this connection is alive here, so removing it also closes it.
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase ModelStore::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

Expected<Done> ModelStore::initialise()
{
    QSqlDatabase db = database();
    if (!db.open()) {
        return storeError(ErrorCode::OpenFailed,
                          u"%1 cannot be opened: %2"_s.arg(m_filePath, db.lastError().text()));
    }
    // Let a read or write wait up to 5 s for another instance's writer instead of failing.
    if (auto done = exec(db, u"PRAGMA busy_timeout = 5000"_s); !done)
        return done;

    // Until the file is known to be empty or a store of this version, only read: a file that is
    // not ours has to stay exactly as it was.
    QSqlQuery probe(db);
    if (!probe.exec(u"PRAGMA user_version"_s) || !probe.next()) {
        if (probe.lastError().nativeErrorCode() == sqliteNotADatabase) {
            return storeError(ErrorCode::NotADatabase,
                              u"%1 is not a database file"_s.arg(m_filePath));
        }
        return queryFailed(probe.lastError());
    }
    const int found = probe.value(0).toInt();
    probe.finish();

    if (found > StoreSchema::version) {
        return storeError(ErrorCode::NewerSchema,
                          u"The store was written by a newer version of Huebench (schema %1)"_s.arg(
                              StoreSchema::versionText(found)));
    }
    // 1.0.0 is the first version, so any other version below the current one is not ours either.
    Error notOurs =
        storeError(ErrorCode::UnknownContents, u"%1 is not a Huebench store"_s.arg(m_filePath));
    if (found == 0) {
        const auto objects = scalar(db, u"SELECT count(*) FROM sqlite_master"_s);
        if (!objects)
            return objects.error();
        if (objects->toInt() != 0)
            return notOurs; // another program's database
    } else if (found != StoreSchema::version) {
        return notOurs;
    }

    if (auto done = configureConnection(db); !done)
        return done;
    if (found == 0)
        return createSchema();
    return Done{};
}

Expected<Done> ModelStore::configureConnection(QSqlDatabase &db)
{
    const auto mode = scalar(db, u"PRAGMA journal_mode = WAL"_s);
    if (!mode)
        return mode.error();
    if (mode->toString() != "wal"_L1) {
        return storeError(ErrorCode::JournalModeUnavailable,
                          u"%1 cannot use write-ahead logging (journal mode \"%2\")"_s.arg(
                              m_filePath, mode->toString()));
    }
    // In WAL mode NORMAL already keeps every committed change across an application crash;
    // FULL also syncs the log at each commit, so a power cut or system crash cannot take back a
    // change either. Changes come at the pace of a person's edits: one sync each is not felt.
    if (auto done = exec(db, u"PRAGMA synchronous = FULL"_s); !done)
        return done;
    // Per connection and off by default in SQLite; the cascades depend on it.
    return exec(db, u"PRAGMA foreign_keys = ON"_s);
}

Expected<Done> ModelStore::createSchema()
{
    return write([](QSqlDatabase &db) -> Expected<Done> {
        // Another instance may have created the store since the version was read.
        const auto version = scalar(db, u"PRAGMA user_version"_s);
        if (!version)
            return version.error();
        if (version->toInt() == StoreSchema::version)
            return Done{};
        for (const QString &statement : StoreSchema::statements()) {
            if (auto done = exec(db, statement); !done)
                return done;
        }
        return Done{};
    });
}

Expected<Done> ModelStore::write(const Work &work)
{
    if (m_writing) {
        return storeError(ErrorCode::NestedWrite,
                          u"A change to the store was started inside another change"_s);
    }
    QSqlDatabase db = database();
    // IMMEDIATE takes the write lock now, so a writer in another instance makes this call wait
    // (busy timeout) before the work starts rather than fail halfway through it.
    if (auto begun = exec(db, u"BEGIN IMMEDIATE"_s); !begun)
        return begun;
    m_writing = true;
    // Every way out that did not commit rolls back, including a failed COMMIT (which leaves
    // the transaction open) and an exception thrown by the work.
    auto rollback = qScopeGuard([this, &db] {
        qCDebug(lcStore) << "Change rolled back";
        m_writing = false;
        QSqlQuery(db).exec(u"ROLLBACK"_s);
    });

    if (auto done = work(db); !done)
        return done;
    if (auto committed = exec(db, u"COMMIT"_s); !committed)
        return committed;
    rollback.dismiss();
    m_writing = false;
    Q_EMIT changed();
    return Done{};
}

Expected<Done> ModelStore::exec(QSqlQuery &query)
{
    if (!query.exec())
        return queryFailed(query.lastError());
    return Done{};
}

Expected<Done> ModelStore::exec(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        return queryFailed(query.lastError());
    return Done{};
}

Expected<QSqlQuery> ModelStore::prepare(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        return queryFailed(query.lastError());
    return query;
}

} // namespace hb
