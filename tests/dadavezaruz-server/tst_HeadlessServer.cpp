#include "dadavezaruz-server/HeadlessServer.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace hb;
using namespace Qt::StringLiterals;

class TestHeadlessServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsItsCommandLine_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("outcome"); // the options read, or the start of the complaint

        QTest::newRow("defaults") << QString() << u"port 58432, control, allow []"_s;
        QTest::newRow("all options")
            << u"--port 6000 --command-key SUPER --allow ::ffff:192.0.2.9 --allow fe80::2"_s
            << u"port 6000, super, allow [192.0.2.9 fe80::2]"_s;
        QTest::newRow("port 0") << u"--port 0"_s << u"--port takes a number"_s;
        QTest::newRow("port too big") << u"--port 65536"_s << u"--port takes a number"_s;
        QTest::newRow("missing value") << u"--allow"_s << u"--allow needs a value"_s;
        QTest::newRow("host name") << u"--allow studio"_s << u"--allow takes an IP address"_s;
        QTest::newRow("bad key") << u"--command-key meta"_s << u"--command-key takes"_s;
        QTest::newRow("unknown") << u"-x"_s << u"unknown option: -x"_s;
    }

    void readsItsCommandLine()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, outcome);

        const auto parsed = HeadlessServerOptions::parse(
            QStringList{u"huebench-server"_s} + arguments.split(u' ', Qt::SkipEmptyParts));
        const auto *options = std::get_if<HeadlessServerOptions>(&parsed);
        const QString read = !options ? std::get<QString>(parsed)
            : u"port %1, %2, allow [%3]"_s.arg(QString::number(options->port),
                  options->commandKey == CommandKey::Super ? u"super"_s : u"control"_s,
                  options->allowed.join(u' '));
        QVERIFY2(read.startsWith(outcome), qPrintable(read));
    }

    void readsTheTrustFile()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"allow"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# controllers\n192.0.2.7  # grading suite\n\n  fd00::7\nstudio\n192.0.2.7\n");
        file.close();

        HeadlessServerOptions options{.allowed = {u"192.0.2.1"_s}, .trustFile = file.fileName()};
        QStringList problems;
        QCOMPARE(HeadlessServer::allowedAddresses(options, &problems),
                 (QStringList{u"192.0.2.1"_s, u"192.0.2.7"_s, u"fd00::7"_s}));
        QCOMPARE(problems, QStringList{file.fileName() + u":5: not an IP address: studio"_s});
    }

    void runsUntilTerminated()
    {
        QTcpServer probe; // find a free port, then leave it to the server
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const QString port = QString::number(probe.serverPort());
        probe.close();

        QTemporaryDir home; // the server inherits a configuration folder of its own and no display
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        qunsetenv("DISPLAY");
        QProcess server;
        server.start(QStringLiteral(HUEBENCH_SERVER_BINARY), {u"--port"_s, port});
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 10000);
        const QString status = QString::fromUtf8(server.readLine()).trimmed();
        QVERIFY2(status.contains(port + u" (keystrokes cannot be posted: "_s), qPrintable(status));

        ::kill(pid_t(server.processId()), SIGTERM);
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        QVERIFY(server.readAllStandardOutput().trimmed().endsWith("Stopped"));
    }
};

QTEST_GUILESS_MAIN(TestHeadlessServer)
#include "tst_HeadlessServer.moc"
