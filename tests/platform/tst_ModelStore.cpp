#include "platform/store/ModelStore.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace hb;
using Code = ModelStore::ErrorCode;

namespace {

// Records to insert; a task's project and a button's page still to be filled in.
const QString project = u"INSERT INTO PrepProject VALUES (NULL, 'Grade', '', 0, 0)"_s;
const QString task = u"INSERT INTO PrepTask VALUES (NULL, 'Task', '', 0, 0, 0, 1, %1)"_s;
const QString page = u"INSERT INTO ShortcutPage VALUES (NULL, 'Page', 0)"_s;
const QString button = u"INSERT INTO ShortcutButton VALUES (NULL, %1, 0, 'Button', 'bolt.fill', "
                       "'#6B5CE7', '', 'global', 0, 0, NULL)"_s;
const QString deletePage = u"DELETE FROM ShortcutPage WHERE id = 1"_s;
const QString deleteProject = u"DELETE FROM PrepProject WHERE id = 1"_s;
// Records in all four tables.
const QString count = u"SELECT (SELECT count(*) FROM PrepProject)+(SELECT count(*) FROM PrepTask)+"
                      "(SELECT count(*) FROM ShortcutPage)+(SELECT count(*) FROM ShortcutButton)"_s;

// The error code of a result; Code{} (0) for success.
const auto codeOf = [](const auto &result) { return result ? Code{} : Code(result.error().code); };

QVariant scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

// Runs the statements in one write; an empty one makes the work start a second write of its own.
Expected<Done> run(ModelStore &store, const QStringList &statements)
{
    return store.write([&](QSqlDatabase &db) {
        Expected<Done> done = Done{};
        for (const QString &sql : statements)
            if (done)
                done = sql.isEmpty() ? run(store, {page}) : ModelStore::exec(db, sql);
        return done;
    });
}

} // namespace

class TestModelStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newStoreHasSchemaAndReopenKeepsData()
    {
        QTemporaryDir root;
        auto store = ModelStore::open(root.filePath(u"a/b"_s)); // creates the folders
        QVERIFY(store && run(**store, {page, page, u"DELETE FROM ShortcutPage WHERE id = 2"_s}));
        store->reset();
        store = ModelStore::open(root.filePath(u"a/b"_s));
        QVERIFY(store && run(**store, {page})); // a deleted record's id is never given again
        const QSqlDatabase db = (*store)->database();
        QCOMPARE(scalar(db, u"SELECT group_concat(id) FROM ShortcutPage"_s), u"1,3"_s);
        QCOMPARE(scalar(db, u"SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                            "WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY rowid)"_s),
                 u"Item,PrepProject,PrepTask,ShortcutPage,ShortcutButton"_s);
        QCOMPARE(scalar(db, u"PRAGMA user_version"_s), 1'000'000);
        QCOMPARE(scalar(db, u"PRAGMA journal_mode"_s), u"wal"_s);
    }

    void writeCommitsAllOrNothing_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<Code>("code"); // Code{}: the write succeeds, leaving one record
        QTest::newRow("page deletes its buttons")
            << QStringList{page, page, button.arg(1), deletePage} << Code{};
        QTest::newRow("project deletes its tasks, not unassigned ones")
            << QStringList{project, task.arg(1), task.arg("NULL"_L1), deleteProject} << Code{};
        // A button needs a page.
        QTest::newRow("NOT NULL") << QStringList{page, button.arg("NULL"_L1)} << Code::QueryFailed;
        // The key is checked only at COMMIT, so the commit itself fails.
        QTest::newRow("foreign key violated at commit")
            << QStringList{u"PRAGMA defer_foreign_keys = ON"_s, task.arg(7)} << Code::QueryFailed;
        QTest::newRow("nested write") << QStringList{project, QString()} << Code::NestedWrite;
    }

    // A write commits all of its work or none of it. changed() follows each successful write
    // once, after the commit: another connection to the file sees the committed records then,
    // so before write() returns.
    void writeCommitsAllOrNothing()
    {
        QFETCH(QStringList, statements);
        QFETCH(Code, code);
        QTemporaryDir root;
        auto store = ModelStore::open(root.path());
        auto other = ModelStore::open(root.path()); // as another instance of the application
        QVERIFY(store && other);
        QVariantList seen; // records that the other connection sees on each changed()
        connect(store->get(), &ModelStore::changed, this,
                [&] { seen << scalar((*other)->database(), count); });

        QCOMPARE(codeOf(run(**store, statements)), code);
        // A failed write committed nothing and left no transaction open: the next write commits
        // and signals once.
        QVERIFY(run(**store, {project}));
        QCOMPARE(seen, code == Code{} ? QVariantList({1, 2}) : QVariantList{1});
    }

    void failedOpenLeavesFileAlone_data()
    {
        QTest::addColumn<QString>("folder"); // opened, relative to the existing file's folder
        QTest::addColumn<int>("version");    // of the existing file; -1: a text file
        QTest::addColumn<Code>("code");
        QTest::newRow("below a file") << u"huebench.sqlite/a"_s << -1 << Code::FolderNotCreatable;
        QTest::newRow("text file") << QString() << -1 << Code::NotADatabase;
        QTest::newRow("newer store") << QString() << 2'000'000 << Code::NewerSchema;
        QTest::newRow("other program's database") << QString() << 0 << Code::UnknownContents;
    }

    void failedOpenLeavesFileAlone()
    {
        QFETCH(QString, folder);
        QFETCH(int, version);
        QFETCH(Code, code);
        QTemporaryDir root;
        QFile file(root.filePath(u"huebench.sqlite"_s));
        const auto contents = [&file] {
            file.close();
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        if (version < 0) {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("Reel 1: warm skin\n") > 0);
        } else { // in SQLite's default rollback journal mode, with a table of its own
            const auto forget = qScopeGuard([] { QSqlDatabase::removeDatabase(u"fixture"_s); });
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fixture"_s);
            db.setDatabaseName(file.fileName());
            QVERIFY(db.open() && QSqlQuery(db).exec(u"CREATE TABLE Note (text TEXT)"_s) &&
                    QSqlQuery(db).exec(u"PRAGMA user_version = %1"_s.arg(version)));
        }
        const QByteArray bytes = contents();

        QCOMPARE(codeOf(ModelStore::open(root.filePath(folder))), code);
        QVERIFY(QSqlDatabase::connectionNames().isEmpty()); // no connection is left open
        QCOMPARE(contents(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestModelStore)
#include "tst_ModelStore.moc"
