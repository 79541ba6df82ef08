#include "platform/store/ModelStore.h"

#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using hb::Done;
using hb::Expected;
using hb::ModelStore;
using Code = ModelStore::ErrorCode;

namespace {

const QString insertProject =
    u"INSERT INTO PrepProject (name, notes, createdAt, updatedAt) VALUES ('Grade', '', 0, 0)"_s;
const QString insertTask = u"INSERT INTO PrepTask (title, details, isDone, createdAt, updatedAt, "
                           "sortOrder, project) VALUES ('Task', '', 0, 0, 0, 1, %1)"_s;
const QString insertPage = u"INSERT INTO ShortcutPage (name, sortOrder) VALUES ('Page', 0)"_s;
const QString insertButton =
    u"INSERT INTO ShortcutButton (page, position, label, sfSymbol, colorHex, keyCombo, "
    "appTarget, row, col) VALUES (%1, 0, 'Button', 'bolt.fill', '#6B5CE7', '', 'global', 0, 0)"_s;
// Makes the work start a second write of its own.
const QString nestedWrite = u"nested"_s;

QVariant scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

Expected<Done> run(ModelStore &store, const QStringList &statements)
{
    return store.write([&](QSqlDatabase &db) -> Expected<Done> {
        for (const QString &sql : statements) {
            auto done = sql == nestedWrite ? run(store, {insertPage}) : ModelStore::exec(db, sql);
            if (!done)
                return done;
        }
        return Done{};
    });
}

// QVERIFY2 builds its message even when the check passes.
template <typename T> QByteArray errorText(const Expected<T> &result)
{
    return result ? QByteArray() : result.error().description.toUtf8();
}

} // namespace

class tst_ModelStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void newStoreHasSchemaAndReopenKeepsData()
    {
        QTemporaryDir root;
        auto store = ModelStore::open(root.filePath(u"a/b"_s));
        QVERIFY2(store, errorText(store));
        QCOMPARE((*store)->filePath(), root.filePath(u"a/b/huebench.sqlite"_s));
        QCOMPARE(scalar((*store)->database(), u"PRAGMA journal_mode"_s), u"wal"_s);
        QVERIFY(run(**store, {insertPage, insertPage, u"DELETE FROM ShortcutPage WHERE id = 2"_s}));

        store->reset();
        store = ModelStore::open(root.filePath(u"a/b"_s));
        QVERIFY2(store, errorText(store));
        QVERIFY(run(**store, {insertPage})); // a deleted record's id is never given again
        const QSqlDatabase db = (*store)->database();
        QCOMPARE(scalar(db, u"SELECT group_concat(id) FROM ShortcutPage"_s), u"1,3"_s);
        QCOMPARE(scalar(db, u"SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                            "WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY rowid)"_s),
                 u"Item,PrepProject,PrepTask,ShortcutPage,ShortcutButton"_s);
        QCOMPARE(scalar(db, u"PRAGMA user_version"_s), 1'000'000);
    }

    void openDefaultUsesDataFolder()
    {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        auto store = ModelStore::openDefault();
        QVERIFY2(store, errorText(store));
        QCOMPARE((*store)->filePath(), folder + u"/huebench.sqlite"_s);
        store->reset();
        QVERIFY(QDir(folder).removeRecursively());
    }

    void deletingParentDeletesItsChildren_data()
    {
        QTest::addColumn<QString>("insertParent");
        QTest::addColumn<QString>("insertChild");
        QTest::addColumn<QString>("deleteFirstParent");
        QTest::addColumn<QString>("childParents");
        QTest::newRow("page") << insertPage << insertButton
                              << u"DELETE FROM ShortcutPage WHERE id = 1"_s
                              << u"SELECT group_concat(page) FROM ShortcutButton"_s;
        QTest::newRow("project") << insertProject << insertTask
                                 << u"DELETE FROM PrepProject WHERE id = 1"_s
                                 << u"SELECT group_concat(project) FROM PrepTask"_s;
    }

    void deletingParentDeletesItsChildren()
    {
        QFETCH(QString, insertParent);
        QFETCH(QString, insertChild);
        QFETCH(QString, deleteFirstParent);
        QFETCH(QString, childParents);
        QTemporaryDir root;
        auto store = ModelStore::open(root.path());
        QVERIFY(store);
        QVERIFY(run(**store, {insertParent, insertParent, insertChild.arg(1), insertChild.arg(1),
                              insertChild.arg(2)}));
        QVERIFY(run(**store, {deleteFirstParent}));
        QCOMPARE(scalar((*store)->database(), childParents), u"2"_s);
    }

    void writeCommitsAllOrNothing_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<int>("code"); // 0: the write succeeds
        QTest::addColumn<QString>("message");
        const int failed = int(Code::QueryFailed);
        QTest::newRow("task without a project")
            << QStringList{insertTask.arg(u"NULL"_s)} << 0 << QString();
        QTest::newRow("task of a missing project") << QStringList{insertProject, insertTask.arg(7)}
                                                   << failed << u"FOREIGN KEY constraint failed"_s;
        QTest::newRow("button of a missing page") << QStringList{insertPage, insertButton.arg(7)}
                                                  << failed << u"FOREIGN KEY constraint failed"_s;
        QTest::newRow("button without a page")
            << QStringList{insertPage, insertButton.arg(u"NULL"_s)} << failed
            << u"NOT NULL constraint failed"_s;
        QTest::newRow("bad statement") << QStringList{insertProject, u"DELETE FROM Nowhere"_s}
                                       << failed << u"no such table: Nowhere"_s;
        QTest::newRow("commit fails")
            << QStringList{u"PRAGMA defer_foreign_keys = ON"_s, insertProject, insertTask.arg(7)}
            << failed << u"FOREIGN KEY constraint failed"_s;
        QTest::newRow("nested write") << QStringList{insertProject, nestedWrite}
                                      << int(Code::NestedWrite) << u"inside another"_s;
    }

    void writeCommitsAllOrNothing()
    {
        QFETCH(QStringList, statements);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir root;
        auto store = ModelStore::open(root.path());
        QVERIFY(store);
        // An independent connection to the same file sees exactly what has been committed.
        const auto forget = qScopeGuard([] { QSqlDatabase::removeDatabase(u"observer"_s); });
        QSqlDatabase observer = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"observer"_s);
        observer.setDatabaseName((*store)->filePath());
        QVERIFY(observer.open());
        const QString records = u"SELECT (SELECT count(*) FROM PrepProject) + "
                                "(SELECT count(*) FROM PrepTask) + "
                                "(SELECT count(*) FROM ShortcutPage)"_s;
        QVariantList seenOnChange;
        connect(store->get(), &ModelStore::changed, this,
                [&] { seenOnChange << scalar(observer, records); });

        const auto result = run(**store, statements);
        QCOMPARE(result ? 0 : result.error().code, code);
        QCOMPARE(scalar(observer, records), code == 0 ? 1 : 0);
        QCOMPARE(seenOnChange, code == 0 ? QVariantList{1} : QVariantList());
        if (code == 0)
            return;
        QCOMPARE(result.error().domain, u"ModelStore"_s);
        QVERIFY2(result.error().description.contains(message), errorText(result));
        // No transaction was left open: the next write commits and signals once.
        QVERIFY(run(**store, {insertProject}));
        QCOMPARE(seenOnChange, QVariantList{1});
    }

    void failedOpenLeavesFileAlone_data()
    {
        QTest::addColumn<QString>("existing");    // made before the open
        QTest::addColumn<int>("existingVersion"); // its SQLite user_version; -1: a text file
        QTest::addColumn<QString>("folder");      // what is opened
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString file = u"huebench.sqlite"_s;
        QTest::newRow("folder is a file")
            << u"data"_s << -1 << u"data"_s << int(Code::NotAFolder) << u"data is not a folder"_s;
        QTest::newRow("folder below a file")
            << u"data"_s << -1 << u"data/store"_s << int(Code::FolderNotCreatable)
            << u"data/store cannot be created"_s;
        QTest::newRow("text file") << file << -1 << QString() << int(Code::NotADatabase)
                                   << u"huebench.sqlite is not a database file"_s;
        QTest::newRow("newer store")
            << file << 2'000'000 << QString() << int(Code::NewerSchema)
            << u"The store was written by a newer version of Huebench (schema 2.0.0)"_s;
        QTest::newRow("other program's database")
            << file << 0 << QString() << int(Code::UnknownContents)
            << u"huebench.sqlite is not a Huebench store"_s;
    }

    void failedOpenLeavesFileAlone()
    {
        QFETCH(QString, existing);
        QFETCH(int, existingVersion);
        QFETCH(QString, folder);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir root;
        const QString path = root.filePath(existing);
        if (existingVersion < 0) {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Reel 1: warm skin\n") > 0);
        } else {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fixture"_s);
                db.setDatabaseName(path);
                QVERIFY(db.open());
                QVERIFY(QSqlQuery(db).exec(u"CREATE TABLE Note (text TEXT)"_s));
                QVERIFY(QSqlQuery(db).exec(u"PRAGMA user_version = %1"_s.arg(existingVersion)));
            }
            QSqlDatabase::removeDatabase(u"fixture"_s);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QStringList connections = QSqlDatabase::connectionNames();

        const auto store = ModelStore::open(root.filePath(folder));
        QCOMPARE(store ? 0 : store.error().code, code);
        QCOMPARE(store.error().domain, u"ModelStore"_s);
        QVERIFY2(store.error().description.contains(message), errorText(store));
        QCOMPARE(QSqlDatabase::connectionNames(), connections);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
};

QTEST_GUILESS_MAIN(tst_ModelStore)
#include "tst_ModelStore.moc"
