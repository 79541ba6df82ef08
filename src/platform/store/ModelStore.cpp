#include "platform/store/ModelStore.h"

#include "platform/store/StoreLogging.h"
#include "platform/store/StoreSchema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QStandardPaths>
#include <QTimer>
#include <QUuid>

#include <utility>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// SQLite's primary result codes that the store tells apart. The driver reports them as the
// native error code; the low byte is the primary code should an extended one come through.
enum SqliteCode {
    sqlitePermission = 3,
    sqliteReadOnly = 8,
    sqliteCorrupt = 11,
    sqliteFull = 13,
    sqliteNotADatabase = 26,
};

// How many problems the integrity check lists at most; the first is shown.
constexpr int quickCheckProblems = 10;

int sqliteCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

Error storeError(ModelStore::ErrorCode code, const QString &description)
{
    return Error::make(code, description);
}

// A failed statement of the store `file` (empty when the caller does not know it). Running out
// of room and not being allowed to write are the user's to fix, so they get a sentence first;
// the driver's text follows for whoever reads it closely.
Error queryFailed(const QSqlError &error, const QString &file = {})
{
    qCDebug(lcStore).noquote() << "Statement failed:" << error.text();
    const QString detail = u" (SQLite: %1)"_s.arg(error.text());
    const QString where = file.isEmpty() ? QString() : u" to "_s + QDir::toNativeSeparators(file);
    switch (sqliteCode(error)) {
    case sqliteFull:
        return storeError(ModelStore::ErrorCode::DiskFull,
                          u"The disk is full: Huebench could not save your changes%1. "
                          "Free some space and try again."_s.arg(where) +
                              detail);
    case sqliteReadOnly:
    case sqlitePermission:
        return storeError(ModelStore::ErrorCode::NotWritable,
                          u"The store is read-only: Huebench may not write%1. Make the file, "
                          "its folder and the disk writable for you and try again."_s.arg(where) +
                              detail);
    default:
        return storeError(ModelStore::ErrorCode::QueryFailed, error.text());
    }
}

// The first column of the first row of `sql`.
Expected<QVariant> scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return queryFailed(query.lastError(), db.databaseName());
    return query.value(0);
}

// Copies `from` to `to`, which must not exist yet: an existing file is never replaced.
bool copyToNewFile(const QString &from, const QString &to, QString *reason)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly)) {
        *reason = source.errorString();
        return false;
    }
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *reason = target.errorString();
        return false;
    }
    QByteArray chunk;
    bool written = true;
    while (written && !(chunk = source.read(1 << 20)).isEmpty())
        written = target.write(chunk) == chunk.size();
    if (written && source.error() == QFileDevice::NoError && target.flush())
        return true;
    *reason = target.error() != QFileDevice::NoError ? target.errorString() : source.errorString();
    target.remove();
    return false;
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

QString ModelStore::backupName(const QString &storeFile, const QDateTime &time, int attempt)
{
    QString name = storeFile + u".damaged-"_s + time.toString(u"yyyyMMdd-HHmmss"_s);
    if (attempt > 1)
        name += u'-' + QString::number(attempt);
    return name;
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
        if (sqliteCode(probe.lastError()) == sqliteNotADatabase) {
            return storeError(ErrorCode::NotADatabase,
                              u"%1 is not a database file"_s.arg(m_filePath));
        }
        return queryFailed(probe.lastError(), m_filePath);
    }
    const int found = probe.value(0).toInt();
    probe.finish();

    if (found > StoreSchema::version) {
        return storeError(ErrorCode::NewerSchema,
                          u"The store was written by a newer version of Huebench (schema %1)"_s.arg(
                              StoreSchema::versionText(found)));
    }
    // 1.0.0 is the first version, so any other version below it is not ours either.
    Error notOurs =
        storeError(ErrorCode::UnknownContents, u"%1 is not a Huebench store"_s.arg(m_filePath));
    if (found == 0) {
        const auto objects = scalar(db, u"SELECT count(*) FROM sqlite_master"_s);
        if (!objects)
            return objects.error();
        if (objects->toInt() != 0)
            return notOurs; // another program's database
    } else if (found < StoreSchema::firstVersion) {
        return notOurs;
    } else if (auto sound = checkIntegrity(db); !sound) {
        return sound;
    }

    if (auto done = configureConnection(db); !done)
        return done;
    if (found != StoreSchema::version)
        return createSchema();
    return Done{};
}

// Reads every page of the file once and confirms that the pages form sound trees; it skips the
// slower cross-checks of indexes against their tables. The cost grows with the file: for a 50 MB
// store about 0.1 s when the file is in the page cache and 0.4 s when it is read from disk,
// a few milliseconds for a typical store. A damaged store is copied before the error is
// returned, and the file itself is left alone: whatever can still be saved from it, the user
// saves from the copy.
Expected<Done> ModelStore::checkIntegrity(const QSqlDatabase &db)
{
    QElapsedTimer timer;
    timer.start();
    QStringList problems;
    {
        QSqlQuery check(db);
        check.setForwardOnly(true);
        if (check.exec(u"PRAGMA quick_check(%1)"_s.arg(quickCheckProblems))) {
            while (check.next())
                problems << check.value(0).toString().simplified();
        }
        if (const QSqlError error = check.lastError(); error.isValid()) {
            if (sqliteCode(error) != sqliteCorrupt && sqliteCode(error) != sqliteNotADatabase)
                return queryFailed(error, m_filePath);
            problems << error.databaseText().simplified();
        }
    }
    qCDebug(lcStore) << "Integrity checked in" << timer.elapsed() << "ms";
    if (problems == QStringList{u"ok"_s})
        return Done{};

    const QString file = QDir::toNativeSeparators(m_filePath);
    const QString problem = problems.value(0, u"no answer"_s);
    const auto copy = backUp();
    const QString copied =
        copy ? u"A backup copy was made at %1."_s.arg(QDir::toNativeSeparators(*copy))
             : u"No backup copy could be made: %1."_s.arg(copy.error().description);
    return storeError(ErrorCode::Damaged,
                      u"The store %1 is damaged and was left as it is. %2 (SQLite found: %3)"_s.arg(
                          file, copied, problem));
}

Expected<QString> ModelStore::backUp() const
{
    const QDateTime now = QDateTime::currentDateTime();
    QString reason;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        QString name = backupName(m_filePath, now, attempt);
        if (QFileInfo::exists(name))
            continue;
        if (copyToNewFile(m_filePath, name, &reason)) {
            // Changes not yet moved into the file live in its write-ahead log: keep them too,
            // named so that SQLite reads them with the copy.
            const QString log = m_filePath + u"-wal"_s;
            if (QFileInfo(log).size() > 0 && !copyToNewFile(log, name + u"-wal"_s, &reason))
                qCWarning(lcStore).noquote() << "The log of the store was not copied:" << reason;
            return name;
        }
        // A failed copy removes what it wrote, so a file there now was made by someone else.
        if (!QFileInfo::exists(name))
            return storeError(ErrorCode::QueryFailed, reason);
    }
    return storeError(ErrorCode::QueryFailed, u"every name for it is taken"_s);
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
        // Another instance may have created or upgraded the store since the version was read.
        const auto version = scalar(db, u"PRAGMA user_version"_s);
        if (!version)
            return version.error();
        const int found = version->toInt();
        if (found == StoreSchema::version)
            return Done{};
        // A store of an earlier version keeps every record; it only gains what is new.
        const QStringList statements =
            found == 0 ? StoreSchema::statements() : StoreSchema::upgradeStatements(found);
        for (const QString &statement : statements) {
            if (auto done = exec(db, statement); !done)
                return done;
        }
        return Done{};
    });
}

void ModelStore::followOtherWriters(int intervalMs)
{
    if (!m_otherWritersPoll) {
        m_otherWritersPoll = new QTimer(this);
        connect(m_otherWritersPoll, &QTimer::timeout, this, &ModelStore::pollOtherWriters);
        pollOtherWriters(); // the version to compare with
    }
    m_otherWritersPoll->start(intervalMs);
}

void ModelStore::pollOtherWriters()
{
    // Another connection's commit changes the data version seen by this one; this connection's
    // own commits do not, and already emit changed().
    QSqlQuery query(database());
    if (!query.exec(u"PRAGMA data_version"_s) || !query.next())
        return;
    const qint64 previous = std::exchange(m_dataVersion, query.value(0).toLongLong());
    if (previous >= 0 && previous != m_dataVersion)
        Q_EMIT changed();
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
        return queryFailed(query.lastError(), db.databaseName());
    return Done{};
}

Expected<QSqlQuery> ModelStore::prepare(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        return queryFailed(query.lastError(), db.databaseName());
    return query;
}

} // namespace hb
