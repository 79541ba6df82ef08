#include "platform/store/ModelStore.h"
#include "support/DamagedStore.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
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
const QString button =
    u"INSERT INTO ShortcutButton (id, page, position, label, sfSymbol, colorHex, "
    "keyCombo, appTarget, row, col, customImageData) VALUES (NULL, %1, 0, "
    "'Button', 'bolt.fill', '#6B5CE7', 'cmd+b', 'global', 0, 0, NULL)"_s;
const QString deletePage = u"DELETE FROM ShortcutPage WHERE id = 1"_s;
const QString deleteProject = u"DELETE FROM PrepProject WHERE id = 1"_s;
// Records in all four tables.
const QString count = u"SELECT (SELECT count(*) FROM PrepProject)+(SELECT count(*) FROM PrepTask)+"
                      "(SELECT count(*) FROM ShortcutPage)+(SELECT count(*) FROM ShortcutButton)"_s;

// A project with 3 kB of notes, so that a few records fill a page each.
const QString bigProject =
    u"INSERT INTO PrepProject VALUES (NULL, 'Grade', zeroblob(3000), 0, 0)"_s;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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
        QCOMPARE(scalar(db, u"PRAGMA user_version"_s), 1'001'000);
        QCOMPARE(scalar(db, u"PRAGMA journal_mode"_s), u"wal"_s);
    }

    // A store written by the first version opens with every record, its buttons reading as
    // plain one-combination buttons, and is from then on a store of this version.
    void firstVersionStoreIsUpgradedKeepingRecords()
    {
        QTemporaryDir root;
        const QString path = root.filePath(u"huebench.sqlite"_s);
        {
            const auto forget = qScopeGuard([] { QSqlDatabase::removeDatabase(u"fixture"_s); });
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fixture"_s);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const QString &sql :
                 {u"CREATE TABLE ShortcutPage (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                  "name TEXT NOT NULL, sortOrder INTEGER NOT NULL)"_s,
                  u"CREATE TABLE ShortcutButton (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                  "page INTEGER NOT NULL REFERENCES ShortcutPage (id) ON DELETE CASCADE, "
                  "position INTEGER NOT NULL, label TEXT NOT NULL, sfSymbol TEXT NOT NULL, "
                  "colorHex TEXT NOT NULL, keyCombo TEXT NOT NULL, appTarget TEXT NOT NULL, "
                  "row INTEGER NOT NULL, col INTEGER NOT NULL, customImageData BLOB)"_s,
                  page, button.arg(1), u"PRAGMA user_version = 1000000"_s})
                QVERIFY2(QSqlQuery(db).exec(sql), qPrintable(sql));
        }
        auto store = ModelStore::open(root.path());
        QVERIFY(store);
        const QSqlDatabase db = (*store)->database();
        QCOMPARE(scalar(db, u"PRAGMA user_version"_s), 1'001'000);
        QCOMPARE(scalar(db, u"SELECT label || ' ' || keyCombo || ' [' || thenKeyCombos || '] ' || "
                            "isToggle || toggledOn FROM ShortcutButton"_s),
                 u"Button cmd+b [] 00"_s);
        store->reset();
        QVERIFY(ModelStore::open(root.path())); // upgraded once; opening again changes nothing
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

    // A follower hears of another connection's commits once each, and of its own only through
    // write() (never twice).
    void followerHearsOtherWriters()
    {
        QTemporaryDir root;
        auto store = ModelStore::open(root.path());
        auto other = ModelStore::open(root.path());
        QVERIFY(store && other);
        (*store)->followOtherWriters(5);
        QSignalSpy changed(store->get(), &ModelStore::changed);
        QVERIFY(run(**other, {page}));
        QTRY_COMPARE(changed.size(), 1);
        QVERIFY(run(**store, {page}));
        QCOMPARE(changed.size(), 2);
        QVERIFY(run(**other, {page, page})); // one commit
        QTRY_COMPARE(changed.size(), 3);
        QTest::qWait(50); // many polls later, still nothing new
        QCOMPARE(changed.size(), 3);
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

    // A store damaged inside its pages is refused at opening with the file as it was and a copy
    // beside it; opening it again makes another copy, and neither replaces a file of that name.
    void damagedStoreIsCopiedAndLeftAlone()
    {
        QTemporaryDir root;
        auto store = ModelStore::open(root.path());
        QVERIFY(store && run(**store, QStringList(40, bigProject)));
        const QString path = (*store)->filePath();
        store->reset();
        QVERIFY(damageMiddlePage(path));
        const QByteArray damaged = fileBytes(path);

        // Files that happen to carry the names of this second's and the next seconds' copies.
        const QDateTime now = QDateTime::currentDateTime();
        QStringList taken;
        for (int second = 0; second < 3; ++second) {
            taken << ModelStore::backupName(path, now.addSecs(second), 1);
            QVERIFY(writeFile(taken.last(), "someone else's file"));
        }

        QStringList descriptions;
        for (int opening = 0; opening < 2; ++opening) {
            const auto refused = ModelStore::open(root.path());
            QVERIFY(!refused && refused.error().is(Code::Damaged));
            descriptions << refused.error().description;
            QVERIFY(QSqlDatabase::connectionNames().isEmpty());
        }

        QCOMPARE(fileBytes(path), damaged);
        const QStringList copies =
            QDir(root.path()).entryList({ModelStore::fileName() + u".damaged-*"_s}, QDir::Files);
        QCOMPARE(copies.size(), taken.size() + 2);
        int made = 0;
        for (const QString &name : copies) {
            const QString copy = root.filePath(name);
            if (taken.contains(copy)) {
                QCOMPARE(fileBytes(copy), QByteArray("someone else's file"));
                continue;
            }
            QCOMPARE(fileBytes(copy), damaged);
            QVERIFY(descriptions.value(made++).contains(copy));
        }
        for (const QString &description : std::as_const(descriptions)) {
            QVERIFY(description.contains(path + u" is damaged"_s));
            QVERIFY(!description.contains(u'\n'));
        }
    }

    // Running out of room and being refused to write read as sentences, the driver's own text
    // after them.
    void writeFailuresReadAsSentences_data()
    {
        QTest::addColumn<QString>("pragma"); // set on the connection before the write
        QTest::addColumn<int>("value");      // 0: the pages the file has now
        QTest::addColumn<Code>("code");
        QTest::addColumn<QString>("sentence");
        // The file may not grow by a single page.
        QTest::newRow("disk full") << u"max_page_count"_s << 0 << Code::DiskFull
                                   << u"The disk is full: Huebench could not save your changes"_s;
        QTest::newRow("read-only") << u"query_only"_s << 1 << Code::NotWritable
                                   << u"The store is read-only: Huebench may not write"_s;
    }

    void writeFailuresReadAsSentences()
    {
        QFETCH(QString, pragma);
        QFETCH(int, value);
        QFETCH(Code, code);
        QFETCH(QString, sentence);
        QTemporaryDir root;
        auto store = ModelStore::open(root.path());
        QVERIFY(store);
        const QSqlDatabase db = (*store)->database();
        const int pages = scalar(db, u"PRAGMA page_count"_s).toInt();
        QVERIFY(ModelStore::exec(db, u"PRAGMA %1 = %2"_s.arg(pragma).arg(value ? value : pages)));

        const auto failed = run(**store, {bigProject, bigProject});
        QCOMPARE(codeOf(failed), code);
        const QString text = failed.error().description;
        QVERIFY2(text.startsWith(sentence) && text.endsWith(u")"_s), qPrintable(text));
        QVERIFY2(text.contains(u"try again. (SQLite: "_s), qPrintable(text));
        QCOMPARE(scalar(db, count), 0);
    }
};

QTEST_GUILESS_MAIN(TestModelStore)
#include "tst_ModelStore.moc"
