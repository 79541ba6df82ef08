#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Starts the real application with a data folder where no store can be created: it must say
// why on one line of standard error and end with status 1 before showing any window (a window
// would keep the process running), leaving the user's files as they were.
class TestFatalStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endsWithOneLineAndStatusOne_data();
    void endsWithOneLineAndStatusOne();
};

void TestFatalStore::endsWithOneLineAndStatusOne_data()
{
    QTest::addColumn<QString>("setup");
    QTest::newRow("data folder below a regular file") << u"below-file"_s;
    QTest::newRow("store file is not a database") << u"text-store"_s;
    QTest::newRow("store folder is a file") << u"folder-is-file"_s;
}

void TestFatalStore::endsWithOneLineAndStatusOne()
{
    QFETCH(QString, setup);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    QString dataHome = dir.filePath(u"data"_s);
    QString userFile;
    const QByteArray userBytes = "my notes, not a database\n";
    auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };

    if (setup == u"below-file") {
        userFile = dir.filePath(u"plain-file"_s);
        dataHome = userFile + u"/below"_s;
    } else {
        const QString storeFolder = dataHome + u"/Huebench/Huebench"_s;
        if (setup == u"text-store") {
            QVERIFY(QDir().mkpath(storeFolder));
            userFile = storeFolder + u"/huebench.sqlite"_s;
        } else {
            QVERIFY(QDir().mkpath(dataHome + u"/Huebench"_s));
            userFile = storeFolder;
        }
    }
    QVERIFY(write(userFile, userBytes));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_DATA_HOME"_s, dataHome);
    env.insert(u"XDG_CONFIG_HOME"_s, dir.filePath(u"config"_s));
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    const QString runtimeDir = dir.filePath(u"runtime"_s);
    QVERIFY(QDir().mkpath(runtimeDir));
    QVERIFY(QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    env.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir);
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(HUEBENCH_BINARY), {});
    QVERIFY(app.waitForStarted());
    if (!app.waitForFinished(30000)) {
        app.kill();
        app.waitForFinished();
        QFAIL("the application kept running instead of stopping");
    }

    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(app.readAllStandardError());
    QVERIFY2(err.startsWith(u"Could not create ModelContainer: "_s), qPrintable(err));
    QVERIFY2(err.endsWith(u'\n') && err.count(u'\n') == 1, qPrintable(err));
    QVERIFY2(err.size() > u"Could not create ModelContainer: \n"_s.size(), "the reason is missing");
    QCOMPARE(app.readAllStandardOutput(), QByteArray());

    QFile file(userFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), userBytes);
}

QTEST_GUILESS_MAIN(TestFatalStore)
#include "tst_FatalStore.moc"
