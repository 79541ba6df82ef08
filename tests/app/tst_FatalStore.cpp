#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Starts the real application where the store file is not a database: it must give the reason
// on one line of standard error and end with status 1 before any window (a window would keep it
// running), leaving the user's file as it was. Each way a store fails to open is tested with the
// store itself.
class TestFatalStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endsWithOneLineAndStatusOne();
};

void TestFatalStore::endsWithOneLineAndStatusOne()
{
    QTemporaryDir dir;
    const QByteArray userBytes = "my notes, not a database\n";
    QFile file(dir.filePath(u"data/Huebench/Huebench/huebench.sqlite"_s));
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(userBytes) == userBytes.size());
    file.close();

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
    const QString prefix = u"Could not create ModelContainer: "_s;
    QVERIFY2(err.startsWith(prefix) && err.size() > prefix.size() + 1, qPrintable(err));
    QVERIFY2(err.count(u'\n') == 1 && err.endsWith(u'\n'), qPrintable(err));
    QCOMPARE(app.readAllStandardOutput(), QByteArray());

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), userBytes);
}

QTEST_GUILESS_MAIN(TestFatalStore)
#include "tst_FatalStore.moc"
