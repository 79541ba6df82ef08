#include "dadavezaruz-server/HeadlessServer.h"
#include "dadavezaruz-server/HeadlessServerOptions.h"

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
    void readsItsCommandLine_data();
    void readsItsCommandLine();
    void readsTheTrustFile();
    void runsUntilTerminated();
};

void TestHeadlessServer::readsItsCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem"); // empty: accepted
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("allowed");

    QTest::newRow("defaults") << QStringList{} << QString() << 58432 << QStringList{};
    QTest::newRow("all options")
        << QStringList{u"--port"_s, u"6000"_s, u"--command-key"_s, u"SUPER"_s, u"--allow"_s,
                       u"::ffff:192.0.2.9"_s, u"--allow"_s, u"fe80::2"_s}
        << QString() << 6000 << QStringList{u"192.0.2.9"_s, u"fe80::2"_s};
    QTest::newRow("port 0") << QStringList{u"--port"_s, u"0"_s} << u"--port takes"_s << 0 << QStringList{};
    QTest::newRow("port too big") << QStringList{u"--port"_s, u"65536"_s} << u"--port takes"_s << 0
                                  << QStringList{};
    QTest::newRow("missing value") << QStringList{u"--allow"_s} << u"--allow needs a value"_s << 0
                                   << QStringList{};
    QTest::newRow("host name") << QStringList{u"--allow"_s, u"studio"_s} << u"--allow takes"_s << 0
                               << QStringList{};
    QTest::newRow("bad key") << QStringList{u"--command-key"_s, u"meta"_s} << u"--command-key"_s << 0
                             << QStringList{};
    QTest::newRow("unknown") << QStringList{u"-x"_s} << u"unknown option: -x"_s << 0 << QStringList{};
}

void TestHeadlessServer::readsItsCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    QFETCH(int, port);
    QFETCH(QStringList, allowed);

    const auto parsed = HeadlessServerOptions::parse(QStringList{u"huebench-server"_s} + arguments);
    if (!problem.isEmpty()) {
        QVERIFY(std::holds_alternative<QString>(parsed));
        QVERIFY2(std::get<QString>(parsed).startsWith(problem), qPrintable(std::get<QString>(parsed)));
        return;
    }
    const auto &options = std::get<HeadlessServerOptions>(parsed);
    QCOMPARE(options.port, quint16(port));
    QCOMPARE(options.allowed, allowed);
}

void TestHeadlessServer::readsTheTrustFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"allow"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# studio controllers\n192.0.2.7   # the grading suite\n\n  fd00::7\nnot-an-address\n"
               "192.0.2.7\n");
    file.close();

    HeadlessServerOptions options;
    options.trustFile = path;
    options.allowed = {u"192.0.2.1"_s};
    QStringList problems;
    QCOMPARE(HeadlessServer::allowedAddresses(options, &problems),
             (QStringList{u"192.0.2.1"_s, u"192.0.2.7"_s, u"fd00::7"_s}));
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems[0].contains(u":5: not an IP address"_s));

    options.trustFile = dir.filePath(u"missing"_s);
    problems.clear();
    QCOMPARE(HeadlessServer::allowedAddresses(options, &problems), QStringList{u"192.0.2.1"_s});
    QCOMPARE(problems.size(), 1);
}

void TestHeadlessServer::runsUntilTerminated()
{
    QTcpServer probe; // find a free port, then leave it to the server
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(probe.serverPort());
    probe.close();

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.insert(u"XDG_CONFIG_HOME"_s, home.path());
    QProcess server;
    server.setProcessEnvironment(env);
    server.start(QStringLiteral(HUEBENCH_SERVER_BINARY), {u"--port"_s, port});
    QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 10000);
    const QString status = QString::fromUtf8(server.readLine()).trimmed();
    QVERIFY2(status.contains(u':' + port) || status.endsWith(port) || status.contains(u"port " + port),
             qPrintable(status));
    QVERIFY2(status.contains(u"keystrokes cannot be posted: "_s), qPrintable(status));

    ::kill(pid_t(server.processId()), SIGTERM);
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
    QVERIFY(server.readAllStandardOutput().trimmed().endsWith("Stopped"));
}

QTEST_GUILESS_MAIN(TestHeadlessServer)
#include "tst_HeadlessServer.moc"
