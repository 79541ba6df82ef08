#include "mogrt/TestTemplate.h"
#include "platform/store/ModelStore.h"
#include "support/DamagedStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A .docx holding one paragraph per line.
QByteArray documentXml(const QStringList &lines)
{
    QByteArray body;
    for (const QString &line : lines)
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + line.toHtmlEscaped().toUtf8() +
                "</w:t></w:r></w:p>";
    return R"(<?xml version="1.0" encoding="UTF-8"?>)"
           R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
           R"(<w:body>)" +
           body + "</w:body></w:document>";
}

bool writeDocx(const QString &path, const QStringList &lines)
{
    return hb::test::writeArchive(path, {{"word/document.xml", documentXml(lines)}});
}

const QString kVersion = QStringLiteral(HB_VERSION);

} // namespace

// Runs the three programs as a user would, and checks what they give back: the exit status,
// standard output and standard error, and the files they leave. Each case runs in a fresh folder
// holding the fixtures below, with HOME and the XDG folders pointing into it.
class TestCommandLines : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = m_dir->filePath(u"home"_s);
        environment.insert(u"HOME"_s, home);
        environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
        environment.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
        environment.insert(u"XDG_CACHE_HOME"_s, home + u"/.cache"_s);
        return environment;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        const QStringList timed{u"00:00:01,000 --> 00:00:02,500"_s, u"Hello there"_s, QString(),
                                u"00:00:03,000 --> 00:00:04,000"_s, u"Again"_s};
        QVERIFY(writeDocx(m_dir->filePath(u"Interview.docx"_s), timed));
        QVERIFY(writeDocx(m_dir->filePath(u"--force.docx"_s), timed));
        QVERIFY(writeDocx(m_dir->filePath(u"Notes.docx"_s), {u"Just notes, no times."_s}));
        QVERIFY(hb::test::writeArchive(
            m_dir->filePath(u"Title.mogrt"_s),
            {{"definition.json",
              R"({"clientControls":[{"name":"Source Text","value":"Hello there"}]})"}}));
        QVERIFY(hb::test::writeArchive(
            m_dir->filePath(u"Blank.mogrt"_s),
            {{"definition.json", R"({"clientControls":[{"name":"Glow","value":3}]})"}}));
        QVERIFY(hb::test::writeArchive(
            m_dir->filePath(u"Plain.mogrt"_s),
            {{"definition.json", R"({"clientControls":[{"name":"Scale","value":100}]})"}}));
    }

    void exitStatusAndStreams_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("fullOutput");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // a pattern standard output matches
        QTest::addColumn<QString>("err"); // a pattern standard error matches
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QStringList>("absent");

        const QString app = QStringLiteral(HUEBENCH_BINARY);
        const QString convert = QStringLiteral(HUEBENCH_CONVERT_BINARY);
        const QString none = u"^$"_s;
        const QString versionLine = u"^huebench-convert "_s + kVersion + u"\n$"_s;
        const QString fullDisk = u"error writing to standard output: No space left on device\n$"_s;
        const QString firstCue = u"^1\n00:00:01,000 --> 00:00:02,500\nHello there\n\n2\n"_s;

        // `made` are files there afterwards, `absent` files not there; `input` is a fixture fed
        // to standard input; with `full`, standard output is /dev/full.
        const auto row = [](const char *name, const QString &program, const QStringList &arguments,
                            int status, const QString &out, const QString &err,
                            const QStringList &made = {}, const QStringList &absent = {},
                            const QString &input = {}, bool full = false) {
            QTest::newRow(name) << program << arguments << input << full << status << out << err
                                << made << absent;
        };

        // The window program answers before it needs a display.
        row("huebench --version", app, {u"--version"_s}, 0, u"^huebench "_s + kVersion + u"\n$"_s,
            none);
        row("huebench --help", app, {u"--help"_s}, 0, u"^Usage: huebench .*Exit status:"_s, none);
        row("huebench -h after a Qt option", app, {u"-platform"_s, u"xcb"_s, u"-h"_s}, 0,
            u"^Usage: huebench "_s, none);
        row("huebench --version, output full", app, {u"--version"_s}, 1, none,
            u"^huebench: "_s + fullDisk, {}, {}, {}, true);

        row("--version", convert, {u"--version"_s}, 0, versionLine, none);
        row("--help", convert, {u"--help"_s}, 0,
            u"^usage: huebench-convert mogrt .*Exit status:.*  3  doc2srt"_s, none);
        row("--help, output full", convert, {u"--help"_s}, 1, none,
            u"^huebench-convert: "_s + fullDisk, {}, {}, {}, true);
        row("nothing to do", convert, {}, 2, none, u"^usage: huebench-convert mogrt"_s);
        row("unknown command", convert, {u"srt2doc"_s}, 2, none,
            u"^huebench-convert: unknown command \"srt2doc\"\nusage:"_s);
        row("unknown option before the command", convert,
            {u"--bogus"_s, u"doc2srt"_s, u"Interview.docx"_s}, 2, none,
            u"^huebench-convert: unknown option: --bogus\n"_s, {}, {u"Interview.srt"_s});

        // doc2srt
        row("doc2srt --help after a file", convert,
            {u"doc2srt"_s, u"Interview.docx"_s, u"--help"_s}, 0,
            u"^usage: huebench-convert doc2srt .*Exit status:"_s, none, {}, {u"Interview.srt"_s});
        row("doc2srt unknown option", convert, {u"doc2srt"_s, u"--bogus"_s, u"Interview.docx"_s}, 2,
            none, u"^huebench-convert doc2srt: unknown option: --bogus\nusage: "_s, {},
            {u"Interview.srt"_s, u"--bogus.srt"_s});
        row("doc2srt -o without its folder", convert, {u"doc2srt"_s, u"Interview.docx"_s, u"-o"_s},
            2, none, u"^huebench-convert doc2srt: -o needs a folder"_s, {}, {u"Interview.srt"_s});
        row("doc2srt -- then a file named like an option", convert,
            {u"doc2srt"_s, u"--"_s, u"--force.docx"_s}, 0, u"/--force.srt\n$"_s, none,
            {u"--force.srt"_s});
        row("doc2srt - from standard input", convert, {u"doc2srt"_s, u"-"_s}, 0, firstCue, none, {},
            {u"-.srt"_s}, u"Interview.docx"_s);
        row("doc2srt no timing lines", convert, {u"doc2srt"_s, u"Notes.docx"_s}, 3, none,
            u"^Notes.docx: no timing lines .* no subtitles were written\n$"_s, {},
            {u"Notes.srt"_s});
        row("doc2srt no timing lines and a failure", convert,
            {u"doc2srt"_s, u"Notes.docx"_s, u"Gone.docx"_s}, 1, none,
            u"^Notes.docx: no timing lines .*\nGone.docx: "_s, {}, {u"Notes.srt"_s});
        row("doc2srt - and -o DIR", convert, {u"doc2srt"_s, u"-"_s, u"-o"_s, u"out"_s}, 2, none,
            u"standard output"_s, {}, {u"out"_s}, u"Interview.docx"_s);

        // mogrt
        row("mogrt into the library", convert, {u"mogrt"_s, u"Title.mogrt"_s}, 0,
            u"/home/Documents/MogrtToFusion/Title.setting\n$"_s, none,
            {u"home/Documents/MogrtToFusion/Title.setting"_s});
        row("mogrt -h", convert, {u"mogrt"_s, u"-h"_s}, 0,
            u"^usage: huebench-convert mogrt .*Exit status:"_s, none);
        row("mogrt unknown option", convert,
            {u"mogrt"_s, u"-x"_s, u"Title.mogrt"_s, u"-o"_s, u"out"_s}, 2, none,
            u"^huebench-convert mogrt: unknown option: -x\n"_s, {}, {u"out"_s});
        row("mogrt no control recognised", convert,
            {u"mogrt"_s, u"Blank.mogrt"_s, u"-o"_s, u"out"_s}, 0, u"^out/Blank.setting\n$"_s,
            u"^Blank.mogrt: warning: No known controls found; the macro uses defaults"_s,
            {u"out/Blank.setting"_s});
        row("mogrt a control at its default value", convert,
            {u"mogrt"_s, u"Plain.mogrt"_s, u"-o"_s, u"out"_s}, 0, u"^out/Plain.setting\n$"_s, none,
            {u"out/Plain.setting"_s});
        row("mogrt - to -o -", convert, {u"mogrt"_s, u"-"_s, u"-o"_s, u"-"_s}, 0,
            u"Hello there.*ActiveTool = \"Template\",\n}\n$"_s, none, {},
            {u"home/Documents/MogrtToFusion"_s}, u"Title.mogrt"_s);
    }

    void exitStatusAndStreams()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(bool, fullOutput);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, made);
        QFETCH(QStringList, absent);

        QProcessEnvironment environment = this->environment();
        // Were a display opened, this would fail: --help and --version must not need one.
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir->path());
        if (!input.isEmpty())
            process.setStandardInputFile(m_dir->filePath(input));
        if (fullOutput)
            process.setStandardOutputFile(u"/dev/full"_s);
        process.start(program, arguments);
        QVERIFY2(process.waitForFinished(30000), qPrintable(process.errorString()));

        const QString printed = QString::fromUtf8(process.readAllStandardOutput());
        const QString complained = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == status,
                 qPrintable(u"status %1, out:\n%2\nerr:\n%3"_s.arg(process.exitCode())
                                .arg(printed, complained)));
        const auto options = QRegularExpression::DotMatchesEverythingOption;
        QVERIFY2(QRegularExpression(out, options).match(printed).hasMatch(), qPrintable(printed));
        QVERIFY2(QRegularExpression(err, options).match(complained).hasMatch(),
                 qPrintable(complained));
        for (const QString &file : std::as_const(made))
            QVERIFY2(QFileInfo(m_dir->filePath(file)).size() > 0, qPrintable(file));
        for (const QString &file : std::as_const(absent))
            QVERIFY2(!QFileInfo::exists(m_dir->filePath(file)), qPrintable(file));
    }

    // The window program on a store file it cannot use gives the reason on one line of standard
    // error and ends with status 1 before any window (a window would keep it running), leaving
    // the user's file as it was. Each way a store fails to open is tested with the store itself;
    // here, one file that is no database and one store damaged inside its pages.
    void unusableStoreEndsTheApp_data()
    {
        QTest::addColumn<bool>("store");     // a real store with a damaged page, else a text file
        QTest::addColumn<QString>("saying"); // in the line after the prefix
        QTest::newRow("not a database") << false << u"is not a database file"_s;
        QTest::newRow("damaged store") << true << u"is damaged and was left as it is"_s;
    }

    void unusableStoreEndsTheApp()
    {
        QFETCH(bool, store);
        QFETCH(QString, saying);
        const QString folder = m_dir->filePath(u"home/.local/share/Huebench/Huebench"_s);
        const QString path = QDir(folder).filePath(hb::ModelStore::fileName());
        if (store) {
            // Forty records of a page each, written to the file when the store closes.
            auto opened = hb::ModelStore::open(folder);
            QVERIFY(opened && (*opened)->write([](QSqlDatabase &db) {
                return hb::ModelStore::exec(
                    db, u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 40) INSERT INTO PrepProject SELECT NULL, 'Grade', "
                        "zeroblob(3000), 0, 0 FROM n"_s);
            }));
        } else {
            QVERIFY(QDir().mkpath(folder));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.write("my notes, not a database\n") > 0);
        }
        QVERIFY(!store || damageMiddlePage(path));
        const QByteArray userBytes = fileBytes(path);

        const QString runtimeDir = m_dir->filePath(u"runtime"_s);
        QVERIFY(QDir().mkpath(runtimeDir));
        QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = environment();
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
};

QTEST_GUILESS_MAIN(TestCommandLines)
#include "tst_CommandLines.moc"
