#include "TranscriptDocx.h"
#include "converters/DocToSRTCommand.h"
#include "converters/SubtitleReaders.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// A transcript of `cues` cues, numbered on their timing lines, with frames or milliseconds.
QStringList transcript(int cues, bool frames = false)
{
    QStringList lines;
    for (int i = 1; i <= cues; ++i) {
        const int m = i / 60;
        const int s = i % 60;
        lines << (frames
                      ? QString::asprintf("%d 00:%02d:%02d:12 --> 00:%02d:%02d:20", i, m, s, m, s)
                      : QString::asprintf("%d 00:%02d:%02d,000 --> 00:%02d:%02d,500", i, m, s, m,
                                          s))
              << u"Line %1 — ça va <b>bien"_s.arg(i) << QString() << u"& more"_s;
    }
    return lines;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Runs the command with its output going to files, and gives its status, output and errors.
struct CommandRun {
    int status;
    QString out;
    QString err;
};

CommandRun runCommand(const QStringList &arguments, const QString &folder)
{
    const QByteArray outPath = QFile::encodeName(folder + u"/out.txt"_s);
    const QByteArray errPath = QFile::encodeName(folder + u"/err.txt"_s);
    std::FILE *out = std::fopen(outPath.constData(), "w+");
    std::FILE *err = std::fopen(errPath.constData(), "w+");
    const int status = runDocToSRTCommand(arguments, out, err);
    std::fclose(out);
    std::fclose(err);
    QFile outFile(QString::fromLocal8Bit(outPath));
    QFile errFile(QString::fromLocal8Bit(errPath));
    outFile.open(QIODevice::ReadOnly);
    errFile.open(QIODevice::ReadOnly);
    return {status, QString::fromUtf8(outFile.readAll()), QString::fromUtf8(errFile.readAll())};
}

} // namespace

class TestDocToSRTCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filesAndExitStatus()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"Talk.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(doc, transcript(2)));

        CommandRun run = runCommand({doc}, dir.path()); // beside the input
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.trimmed(), dir.filePath(u"Talk.srt"_s));
        const QString expected = readText(dir.filePath(u"Talk.srt"_s));
        QVERIFY(expected.startsWith(u"1\n00:00:01,000 --> 00:00:01,500\nLine 1"_s));

        run = runCommand({doc}, dir.path()); // an existing file is kept
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"--force"_s));
        QCOMPARE(runCommand({doc, u"--force"_s}, dir.path()).status, 0);

        run = runCommand({doc, u"-o"_s, u"-"_s}, dir.path()); // to the output
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, expected);

        run = runCommand({doc, dir.filePath(u"missing.docx"_s), u"-o"_s, dir.filePath(u"subs"_s)},
                         dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY(QFile::exists(dir.filePath(u"subs/Talk.srt"_s)));
        QVERIFY(run.err.startsWith(dir.filePath(u"missing.docx"_s) + u": "_s));

        QCOMPARE(runCommand({}, dir.path()).status, 2);
        QCOMPARE(runCommand({doc, doc, u"-o"_s, u"-"_s}, dir.path()).status, 2);
    }

    // --fps, --format and the report of timing lines that gave no cue.
    void options_data()
    {
        QTest::addColumn<QStringList>("document");
        QTest::addColumn<QStringList>("arguments"); // after the document's path
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");  // standard output starts with it
        QTest::addColumn<QString>("err");  // standard error, %1 the document's path
        QTest::addColumn<QString>("file"); // written beside the document; empty: none

        const QStringList frames = transcript(1, true);
        QTest::newRow("frames at the default 24")
            << frames << QStringList{u"-o"_s, u"-"_s} << 0
            << u"1\n00:00:01,500 --> 00:00:01,833\n"_s << QString() << QString();
        QTest::newRow("frames at --fps 25")
            << frames << QStringList{u"--fps"_s, u"25"_s, u"-o"_s, u"-"_s} << 0
            << u"1\n00:00:01,480 --> 00:00:01,800\n"_s << QString() << QString();
        QTest::newRow("frames at --fps 29.97")
            << frames << QStringList{u"--fps"_s, u"29.97"_s, u"-o"_s, u"-"_s} << 0
            << u"1\n00:00:01,400 --> 00:00:01,667\n"_s << QString() << QString();
        QTest::newRow("frames past --fps 12 are text")
            << frames << QStringList{u"--fps"_s, u"12"_s} << 3 << QString()
            << u"%1: no timing lines (such as \u201C00:00:01,000 --> 00:00:04,000\u201D) were "
               u"found; no subtitles were written\n"_s
            << QString();
        for (const QString &fps : {u"0"_s, u"-5"_s, u"120.5"_s, u"nan"_s, u"inf"_s, u"25fps"_s})
            QTest::newRow(qPrintable(u"--fps "_s + fps))
                << frames << QStringList{u"--fps"_s, fps} << 2 << QString()
                << u"huebench-convert doc2srt: --fps takes a frame rate above 0 and at most 120, "
                   u"such as 25 or 29.97, not \u201C"_s +
                       fps + u"\u201D\n"_s
                << QString();
        QTest::newRow("--fps 120 is the most")
            << frames << QStringList{u"--fps"_s, u"120"_s, u"-o"_s, u"-"_s} << 0
            << u"1\n00:00:01,100 --> 00:00:01,167\n"_s << QString() << QString();
        QTest::newRow("--format vtt beside the document")
            << transcript(1) << QStringList{u"--format"_s, u"vtt"_s} << 0 << QString() << QString()
            << u"WEBVTT\n\n00:00:01.000 --> 00:00:01.500\nLine 1 — ça va "
               u"<b>bien</b>\n&amp; more\n"_s;
        QTest::newRow("--format vtt -o -")
            << transcript(1) << QStringList{u"--format"_s, u"vtt"_s, u"-o"_s, u"-"_s} << 0
            << u"WEBVTT\n\n00:00:01.000 --> 00:00:01.500\n"_s << QString() << QString();
        QTest::newRow("--format srt")
            << transcript(1) << QStringList{u"--format"_s, u"srt"_s, u"-o"_s, u"-"_s} << 0
            << u"1\n00:00:01,000 --> 00:00:01,500\n"_s << QString() << QString();
        QTest::newRow("--format ass")
            << transcript(1) << QStringList{u"--format"_s, u"ass"_s} << 2 << QString()
            << u"huebench-convert doc2srt: --format takes srt or vtt, not \u201Cass\u201D\n"_s
            << QString();
        QTest::newRow("problems on standard error, the rest written")
            << QStringList{u"00:00:02,000 --> 00:00:01,000"_s, u"back"_s,
                           u"00:00:03,000 --> 00:00:04,000"_s, QString(),
                           u"00:00:05,000 --> 00:00:06,000"_s, u"kept"_s}
            << QStringList{u"-o"_s, u"-"_s} << 0 << u"1\n00:00:05,000 --> 00:00:06,000\nkept\n"_s
            << u"%1:1: The end is not after the start: 00:00:02,000 --> 00:00:01,000\n"
               u"%1:3: The cue has no text: 00:00:03,000 --> 00:00:04,000\n"_s
            << QString();
        QTest::newRow("only problems: no cue, nothing written")
            << QStringList{u"00:00:02,000 --> 00:00:01,000"_s, u"back"_s} << QStringList() << 3
            << QString()
            << u"%1:1: The end is not after the start: 00:00:02,000 --> 00:00:01,000\n"
               u"%1: no timing line gave a cue; no subtitles were written\n"_s
            << QString();
    }
    void options()
    {
        QFETCH(QStringList, document);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"Talk.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(doc, document));
        const CommandRun run = runCommand(QStringList{doc} + arguments, dir.path());
        QCOMPARE(run.status, status);
        if (status == 2)
            QVERIFY(run.err.startsWith(err));
        else
            QCOMPARE(run.err, err.isEmpty() ? err : err.arg(doc));
        QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
        QCOMPARE(QFile::exists(dir.filePath(u"Talk.vtt"_s)), file.startsWith(u"WEBVTT"_s));
        if (!file.isEmpty()) {
            QCOMPARE(readText(dir.filePath(u"Talk.vtt"_s)), file);
            QVERIFY(!QFile::exists(dir.filePath(u"Talk.srt"_s)));
        }
    }

    // What the command writes in both formats, read back by ffmpeg and the strict validator.
    void realReadersReadWhatItWrites()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"Long.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(doc, transcript(120)));
        QCOMPARE(runCommand({doc}, dir.path()).status, 0);
        QCOMPARE(runCommand({doc, u"--format"_s, u"vtt"_s}, dir.path()).status, 0);
        const QString srtPath = dir.filePath(u"Long.srt"_s);
        const QString srt = readText(srtPath);
        QCOMPARE(srt.count(u" --> "_s), 120);

        QString error;
        QCOMPARE(SubtitleReaders::readWithFfmpeg(srtPath, u"srt"_s, &error), srt + u'\n');
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(SubtitleReaders::readWithFfmpeg(dir.filePath(u"Long.vtt"_s), u"webvtt"_s, &error),
                 srt + u'\n');
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QHash<QString, QStringList> complaints =
            SubtitleReaders::validateSubRip({srtPath}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(complaints.value(srtPath, {u"not checked"_s}), QStringList());
    }
};

QTEST_MAIN(TestDocToSRTCommand)
#include "tst_DocToSRTCommand.moc"
