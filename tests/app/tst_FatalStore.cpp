#include "platform/store/ModelStore.h"
#include "support/DamagedStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Starts the real application on a store file it cannot use: it must give the reason on one
// line of standard error and end with status 1 before any window (a window would keep it
// running), leaving the user's file as it was. Each way a store fails to open is tested with the
// store itself; here, one file that is no database and one store damaged inside its pages.
class TestFatalStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endsWithOneLineAndStatusOne_data();
    void endsWithOneLineAndStatusOne();
};

void TestFatalStore::endsWithOneLineAndStatusOne_data()
{
    QTest::addColumn<bool>("store");     // a real store with a damaged page, else a text file
    QTest::addColumn<QString>("saying"); // in the line after the prefix
    QTest::newRow("not a database") << false << u"is not a database file"_s;
    QTest::newRow("damaged store") << true << u"is damaged and was left as it is"_s;
}

void TestFatalStore::endsWithOneLineAndStatusOne()
{
    QFETCH(bool, store);
    QFETCH(QString, saying);
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"data/Huebench/Huebench"_s);
    const QString path = QDir(folder).filePath(hb::ModelStore::fileName());
    if (store) {
        // Forty records of a page each, written to the file when the store closes.
        auto opened = hb::ModelStore::open(folder);
        QVERIFY(opened && (*opened)->write([](QSqlDatabase &db) {
            return hb::ModelStore::exec(
                db, u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
                    "INSERT INTO PrepProject SELECT NULL, 'Grade', zeroblob(3000), 0, 0 FROM n"_s);
        }));
    } else {
        QVERIFY(QDir().mkpath(folder));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("my notes, not a database\n") > 0);
    }
    QVERIFY(!store || damageMiddlePage(path));
    const QByteArray userBytes = fileBytes(path);

    const QString runtimeDir = dir.filePath(u"runtime"_s);
    QVERIFY(QDir().mkpath(runtimeDir));
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s));
    env.insert(u"XDG_CONFIG_HOME"_s, dir.filePath(u"config"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(HUEBENCH_BINARY), {});
    if (!app.waitForFinished(30000)) {
        app.kill();
        app.waitForFinished();
        QFAIL("the application kept running instead of stopping");
    }

    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(app.readAllStandardError());
    QVERIFY2(err.startsWith(u"Could not create ModelContainer: "_s), qPrintable(err));
    QVERIFY2(err.contains(path + u' ' + saying), qPrintable(err));
    QVERIFY2(err.count(u'\n') == 1 && err.endsWith(u'\n'), qPrintable(err));
    QCOMPARE(app.readAllStandardOutput(), QByteArray());
    QCOMPARE(fileBytes(path), userBytes);

    // The copy of a damaged store is named in the line and holds the same bytes.
    const QStringList copies = QDir(folder).entryList({u"*.damaged-*"_s}, QDir::Files);
    QCOMPARE(copies.size(), store ? 1 : 0);
    for (const QString &copy : copies) {
        QVERIFY2(err.contains(u"A backup copy was made at "_s + QDir(folder).filePath(copy)),
                 qPrintable(err));
        QCOMPARE(fileBytes(QDir(folder).filePath(copy)), userBytes);
    }
}

QTEST_GUILESS_MAIN(TestFatalStore)
#include "tst_FatalStore.moc"
