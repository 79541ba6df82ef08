#pragma once

#include "common/Expected.h"

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <memory>

class QTimer;

namespace hb {

// The application's local store of records: one SQLite file opened through Qt SQL, with the
// layout of StoreSchema. It lives on the main thread.
//
// Reads go through database(). Every change goes through write(), which runs it as one
// transaction committed before write() returns, so there is no save step and nothing committed
// is lost if the application crashes. changed() follows each successful commit.
class ModelStore : public QObject {
    Q_OBJECT

public:
    // Codes of the errors in the domain errorDomain().
    enum class ErrorCode {
        FolderNotCreatable = 1, // the data folder cannot be made
        NotAFolder,             // the data folder's path is a file
        FolderNotWritable,      // read-only data folder
        OpenFailed,             // SQLite cannot open the file
        NotADatabase,           // the file is not SQLite
        NewerSchema,            // written by a newer version
        UnknownContents,        // another program's database
        JournalModeUnavailable, // no WAL journal
        QueryFailed,            // a statement failed
        NestedWrite,            // write() inside write()
        DiskFull,               // SQLite found no room to write
        NotWritable,            // read-only file, folder or disk, or writing not permitted
        Damaged,                // the integrity check found damaged pages
    };

    using Work = std::function<Expected<Done>(QSqlDatabase &)>;

    static QString errorDomain();
    static QString fileName();
    // The name of the copy of a damaged store file taken at `time`: "huebench.sqlite.damaged-
    // 20261207-154630", then with "-2", "-3", ... while that name is taken (`attempt` 1, 2, ...).
    static QString backupName(const QString &storeFile, const QDateTime &time, int attempt);

    // Opens the store file in `directory`, creating the folder and the schema when needed.
    // A file that cannot be used as this version's store is left exactly as it was. An existing
    // store is checked page by page first (SQLite's quick_check); a damaged one is refused with
    // Damaged after a copy of it was made beside it (see backupName()).
    static Expected<std::unique_ptr<ModelStore>> open(const QString &directory);
    // Opens the store in the application's data folder (QStandardPaths::AppDataLocation).
    static Expected<std::unique_ptr<ModelStore>> openDefault();

    ~ModelStore() override;

    QString filePath() const { return m_filePath; }

    // The store's connection, for queries. Do not keep copies past the store's lifetime.
    QSqlDatabase database() const;

    // Runs `work` in one transaction: commits when it succeeds, rolls everything back when it
    // or the commit fails, and emits changed() only after a successful commit. A write started
    // from inside another write's work is refused with NestedWrite rather than joined, so each
    // call stays all-or-nothing on its own.
    Expected<Done> write(const Work &work);

    // From now on also emits changed() within `intervalMs` of a commit by another connection to
    // the file (another instance, the headless server, the command line), so that live lists
    // show it. Polls SQLite's data_version, one cheap statement per interval; calling it again
    // only changes the interval.
    void followOtherWriters(int intervalMs = 1000);

    // Helpers for work and reads: a failed statement becomes a QueryFailed error carrying the
    // driver's text, or DiskFull or NotWritable with a sentence for the user before that text.
    static Expected<Done> exec(QSqlQuery &query);
    static Expected<Done> exec(const QSqlDatabase &db, const QString &sql);
    static Expected<QSqlQuery> prepare(const QSqlDatabase &db, const QString &sql);

Q_SIGNALS:
    void changed();

private:
    explicit ModelStore(const QString &filePath);

    Expected<Done> initialise();
    Expected<Done> checkIntegrity(const QSqlDatabase &db);
    Expected<QString> backUp() const;
    Expected<Done> configureConnection(QSqlDatabase &db);
    Expected<Done> createSchema();

    void pollOtherWriters();

    QString m_connectionName;
    QString m_filePath;
    bool m_writing = false;
    QTimer *m_otherWritersPoll = nullptr;
    qint64 m_dataVersion = -1;
};

inline QString errorDomain(ModelStore::ErrorCode)
{
    return ModelStore::errorDomain();
}

} // namespace hb
