#include "dadavezaruz-server/HeadlessServer.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QString freePort()
{
    QTcpServer probe; // find a free port, then leave it to the server
    probe.listen(QHostAddress::LocalHost, 0);
    return QString::number(probe.serverPort());
}

} // namespace

class TestHeadlessServer : public QObject {
    Q_OBJECT

    QTemporaryDir m_home; // the server's configuration folder: no trust file, no settings

    // huebench-server with `display` as its X display (none when empty).
    void startServer(QProcess &server, const QString &display, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home.path());
        if (display.isEmpty())
            environment.remove(u"DISPLAY"_s);
        else
            environment.insert(u"DISPLAY"_s, display);
        server.setProcessEnvironment(environment);
        server.start(QStringLiteral(HUEBENCH_SERVER_BINARY), arguments);
    }

private Q_SLOTS:
    void readsItsCommandLine_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("outcome"); // the options read, or the start of the complaint

        QTest::newRow("defaults") << QString()
                                  << u"port 58432, control, allow [], loud, web 58433"_s;
        QTest::newRow("phone pad elsewhere")
            << u"--web-port 8080"_s << u"port 58432, control, allow [], loud, web 8080"_s;
        QTest::newRow("no phone pad")
            << u"--no-web --web-port 58432"_s << u"port 58432, control, allow [], loud, no web"_s;
        QTest::newRow("phone pad on the pads' port")
            << u"--port 6000 --web-port 6000"_s << u"--web-port must differ from --port (6000)"_s;
        QTest::newRow("web port 0") << u"--web-port 0"_s << u"--web-port takes a number"_s;
        QTest::newRow("link of no phone pad")
            << u"--no-web --pad-link"_s << u"--pad-link and --no-web exclude each other"_s;
        QTest::newRow("all options")
            << u"--port 6000 --command-key SUPER --allow ::ffff:169.254.1.9 --allow fd00::2 "
               u"--allow 100.64.0.9 --quiet"_s
            << u"port 6000, super, allow [169.254.1.9 fd00::2 100.64.0.9], quiet"_s;
        QTest::newRow("port 0") << u"--port 0"_s << u"--port takes a number"_s;
        QTest::newRow("port too big") << u"--port 65536"_s << u"--port takes a number"_s;
        QTest::newRow("never served")
            << u"--allow 203.0.113.5"_s
            << u"--allow: 203.0.113.5 is not on the local network: controllers there are never "
               u"served"_s;
        QTest::newRow("bad key") << u"--command-key meta"_s << u"--command-key takes"_s;
        QTest::newRow("value after =")
            << u"--port=6000 --quiet"_s << u"port 6000, control, allow [], quiet"_s;
    }

    void readsItsCommandLine()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, outcome);

        const auto parsed = HeadlessServerOptions::parse(QStringList{u"huebench-server"_s} +
                                                         arguments.split(u' ', Qt::SkipEmptyParts));
        const auto *options = std::get_if<HeadlessServerOptions>(&parsed);
        const QString read =
            !options
                ? std::get<QString>(parsed)
                : u"port %1, %2, allow [%3], %4, %5"_s.arg(
                      QString::number(options->port),
                      options->commandKey == CommandKey::Super ? u"super"_s : u"control"_s,
                      options->allowed.join(u' '), options->quiet ? u"quiet"_s : u"loud"_s,
                      options->web ? u"web "_s + QString::number(options->webPort) : u"no web"_s);
        QVERIFY2(read.startsWith(outcome), qPrintable(read));
    }

    // What the program answers without a display: only a server that must type needs one.
    void answersWithoutServing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("fullOutput"); // standard output is /dev/full
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // the start of standard output
        QTest::addColumn<QString>("err"); // the start of standard error

        const QString version = u"huebench-server "_s + QStringLiteral(HB_VERSION) + u'\n';
        QTest::newRow("--version")
            << QStringList{u"--version"_s} << false << 0 << version << QString();
        QTest::newRow("--help") << QStringList{u"--help"_s} << false << 0
                                << u"Usage: huebench-server [options]\n"_s << QString();
        QTest::newRow("--help after a bad value")
            << QStringList{u"--port"_s, u"0"_s, u"-h"_s} << false << 0
            << u"Usage: huebench-server [options]\n"_s << QString();
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << false << 2 << QString()
                                        << u"huebench-server: unknown option: --bogus\n\nUsage: "_s;
        QTest::newRow("missing value") << QStringList{u"--port"_s} << false << 2 << QString()
                                       << u"huebench-server: --port needs a value\n"_s;
        QTest::newRow("an option after --")
            << QStringList{u"--"_s, u"--quiet"_s} << false << 2 << QString()
            << u"huebench-server: unexpected argument: --quiet\n"_s;
        QTest::newRow("--version, output full")
            << QStringList{u"--version"_s} << true << 1 << QString()
            << u"huebench-server: error writing to standard output: No space left on device\n"_s;
        QTest::newRow("serving") << QStringList{u"--no-web"_s, u"--port"_s, freePort()} << false
                                 << 1 << QString()
                                 << u"Failed to start: keystrokes cannot be posted: no X display "
                                    u"could be opened: DISPLAY is not set\n"_s;
    }

    void answersWithoutServing()
    {
        QFETCH(bool, fullOutput);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess server;
        if (fullOutput)
            server.setStandardOutputFile(u"/dev/full"_s);
        QFETCH(QStringList, arguments);
        startServer(server, {}, arguments);
        QVERIFY(server.waitForFinished(10000));
        const QString printed = QString::fromUtf8(server.readAllStandardOutput());
        const QString complained = QString::fromUtf8(server.readAllStandardError());
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QTEST(server.exitCode(), "status");
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.startsWith(out), qPrintable(printed));
        QVERIFY2(err.isEmpty() ? complained.isEmpty() : complained.startsWith(err),
                 qPrintable(complained));
    }

    void readsTheTrustFile()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"allow"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# controllers\n169.254.0.7  # grading suite\n\n  fd00::7\nstudio\n"
                   "198.51.100.1\n169.254.0.7\n");
        file.close();

        HeadlessServerOptions options{.allowed = {u"fd00::1"_s}, .trustFile = file.fileName()};
        QStringList problems;
        QCOMPARE(HeadlessServer::allowedAddresses(options, &problems),
                 (QStringList{u"fd00::1"_s, u"169.254.0.7"_s, u"fd00::7"_s}));
        QCOMPARE(problems,
                 (QStringList{file.fileName() + u":5: “studio” is not an IP address"_s,
                              file.fileName() + u":6: 198.51.100.1 is not on the local network: "
                                                u"controllers there are never served"_s}));
    }

    void runsUntilTerminated()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "runs in scripts/test-env, which has one");
        QProcess server;
        startServer(server, qEnvironmentVariable("DISPLAY"),
                    {u"--quiet"_s, u"--no-web"_s, u"--port"_s, freePort()});
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 10000);
        const QString status = QString::fromUtf8(server.readLine()).trimmed();
        QVERIFY2(status.startsWith(u"Server running"_s), qPrintable(status));

        ::kill(pid_t(server.processId()), SIGTERM);
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        const QByteArray output = server.readAllStandardOutput();
        QVERIFY2(!output.contains('\x1b'), output.constData()); // quiet: no QR code drawn
        QVERIFY(output.trimmed().endsWith("Stopped"));
        QCOMPARE(server.readAllStandardError(), QByteArray());
    }

    // Xlib would end the process its own way; the server says why and exits with status 1, so
    // that a service manager restarts it.
    void exitsWhenTheDisplayGoesAway()
    {
        QProcess xvfb;
        xvfb.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-screen"_s,
                               u"0"_s, u"640x480x24"_s});
        QTRY_VERIFY_WITH_TIMEOUT(xvfb.canReadLine(), 10000);
        const QString display = u':' + QString::fromLatin1(xvfb.readLine().trimmed());

        QProcess server;
        startServer(server, display, {u"--no-web"_s, u"--port"_s, freePort()});
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 10000);
        QVERIFY(server.readLine().startsWith("Server running"));
        xvfb.terminate();
        QVERIFY(xvfb.waitForFinished(10000));

        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 1);
        const QByteArray errors = server.readAllStandardError();
        QVERIFY2(errors.startsWith("Server failed: keystrokes cannot be posted: "),
                 errors.constData());
        QVERIFY2(!errors.contains("XIO"), errors.constData()); // not Xlib's own way out
    }
};

QTEST_GUILESS_MAIN(TestHeadlessServer)
#include "tst_HeadlessServer.moc"
