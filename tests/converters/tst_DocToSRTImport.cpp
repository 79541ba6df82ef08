#include "common/Settings.h"
#include "converters/DocToSRTCommand.h"
#include "converters/DocToSRTImport.h"
#include "converters/DocToSRTView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// A .docx holding one paragraph per line.
bool writeDocx(const QString &path, const QStringList &lines)
{
    QByteArray body;
    for (const QString &line : lines)
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + line.toHtmlEscaped().toUtf8() +
                "</w:t></w:r></w:p>";
    const QByteArray document =
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
        R"(<w:body>)" +
        body + "</w:body></w:document>";
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    zip_source_t *source =
        zip_source_buffer(zip, document.constData(), zip_uint64_t(document.size()), 0);
    if (zip_file_add(zip, "word/document.xml", source, 0) < 0) {
        zip_discard(zip);
        return false;
    }
    return zip_close(zip) == 0;
}

QStringList transcript(int cues)
{
    QStringList lines;
    for (int i = 1; i <= cues; ++i) {
        lines << QString::number(i)
              << QString::asprintf("00:%02d:%02d,000 --> 00:%02d:%02d,500", i / 60, i % 60, i / 60,
                                   i % 60)
              << u"Line %1 — ça va <b>bien"_s.arg(i) << QString();
    }
    return lines;
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

class TestDocToSRTImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void screenShowsTheSubtitles()
    {
        const QString path = m_dir.filePath(u"Interview.docx"_s);
        QVERIFY(writeDocx(path, transcript(3)));
        DocToSRTView view;
        QSignalSpy done(&view, &DocToSRTView::importFinished);
        view.importDocument(path);
        QVERIFY(done.wait(10000));
        QCOMPARE(view.selectedFileName(), u"Interview.docx"_s);
        QCOMPARE(view.errorMessage(), QString());
        QVERIFY(view.inputPreview().startsWith(u"1\n00:00:01,000 --> 00:00:01,500\n"_s));
        QVERIFY(view.outputSRT().startsWith(
            u"1\n00:00:01,000 --> 00:00:01,500\nLine 1 — ça va <b>bien</b>\n\n2\n"_s));

        view.copySRT();
        QCOMPARE(QApplication::clipboard()->text(), view.outputSRT());
        const QString srtPath = m_dir.filePath(u"Interview.srt"_s);
        QVERIFY(view.saveSRT(srtPath));
        QFile saved(srtPath);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), view.outputSRT().toUtf8()); // UTF-8, no byte-order mark

        // A file that is no Word document clears the screen and says why.
        const QString text = m_dir.filePath(u"notes.docx"_s);
        QFile notes(text);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("plain text");
        notes.close();
        view.importDocument(text);
        QVERIFY(done.wait(10000));
        QVERIFY(!view.errorMessage().isEmpty());
        QCOMPARE(view.outputSRT(), QString());
        QCOMPARE(view.inputPreview(), QString());
    }

    // The last document chosen is read again by the next screen; one that is gone is named.
    void lastDocumentIsReadAgain()
    {
        const QString path = m_dir.filePath(u"Again.docx"_s);
        QVERIFY(writeDocx(path, transcript(2)));
        Settings settings(m_dir.filePath(u"settings.ini"_s));
        {
            DocToSRTView view(&settings);
            QSignalSpy done(&view, &DocToSRTView::importFinished);
            view.importDocument(path);
            QVERIFY(done.wait(10000));
        }
        DocToSRTView again(&settings);
        QSignalSpy done(&again, &DocToSRTView::importFinished);
        QVERIFY(again.isImporting());
        QVERIFY(done.wait(10000));
        QCOMPARE(again.selectedFileName(), u"Again.docx"_s);
        QVERIFY(again.outputSRT().startsWith(u"1\n00:00:01,000"_s));

        QVERIFY(QFile::remove(path));
        DocToSRTView gone(&settings);
        QVERIFY(!gone.isImporting());
        QVERIFY(gone.errorMessage().contains(QDir::toNativeSeparators(path)));
    }

    void ffmpegReadsWhatWeWrite()
    {
        const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
        if (ffmpeg.isEmpty())
            QSKIP("ffmpeg is not installed (scripts/install-deps installs it)");
        const QString path = m_dir.filePath(u"Long.docx"_s);
        QVERIFY(writeDocx(path, transcript(120)));
        const auto result = DocToSRTImport::importFile(path);
        QVERIFY(result);
        QCOMPARE(result->cueCount, 120);
        const QString srtPath = m_dir.filePath(u"Long.srt"_s);
        QFile srt(srtPath);
        QVERIFY(srt.open(QIODevice::WriteOnly));
        srt.write(result->srt.toUtf8());
        srt.close();

        QProcess process;
        process.start(ffmpeg, {u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-i"_s, srtPath, u"-f"_s,
                               u"webvtt"_s, u"-"_s});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardError(), QByteArray());
        const QString vtt = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(vtt.count(u" --> "_s), 120);
        QVERIFY(vtt.contains(u"Line 120 — ça va <b>bien</b>"_s));
    }

    void commandLine()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"Talk.docx"_s);
        QVERIFY(writeDocx(doc, transcript(2)));
        const QString expected = DocToSRTImport::importFile(doc)->srt;

        CommandRun run = runCommand({doc}, dir.path()); // beside the input
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.trimmed(), dir.filePath(u"Talk.srt"_s));
        QFile written(dir.filePath(u"Talk.srt"_s));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), expected);

        run = runCommand({doc}, dir.path()); // an existing .srt is kept
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
};

QTEST_MAIN(TestDocToSRTImport)
#include "tst_DocToSRTImport.moc"
