#include "TranscriptDocx.h"
#include "common/Settings.h"
#include "converters/DocToSRTImport.h"
#include "converters/DocToSRTView.h"
#include "platform/documents/DocumentText.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QThreadPool>

#include <sys/stat.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

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

// Reads `path` on the screen and waits for the result.
bool importInto(DocToSRTView &view, const QString &path)
{
    QSignalSpy done(&view, &DocToSRTView::importFinished);
    view.importDocument(path);
    return done.wait(10000);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDocToSRTImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void screenShowsTheSubtitles()
    {
        const QString path = m_dir.filePath(u"Interview.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(path, transcript(3)));
        DocToSRTView view;
        QVERIFY(importInto(view, path));
        QCOMPARE(view.selectedFileName(), u"Interview.docx"_s);
        QCOMPARE(view.errorMessage(), QString());
        QVERIFY(view.inputPreview().startsWith(u"1\n00:00:01,000 --> 00:00:01,500\n"_s));
        QVERIFY(view.outputSRT().startsWith(
            u"1\n00:00:01,000 --> 00:00:01,500\nLine 1 — ça va <b>bien</b>\n\n2\n"_s));

        view.copySRT();
        QCOMPARE(QApplication::clipboard()->text(), view.outputSRT());
        const QString srtPath = m_dir.filePath(u"Interview.srt"_s);
        QVERIFY(view.saveSRT(srtPath));
        QCOMPARE(readAll(srtPath), view.outputSRT().toUtf8()); // UTF-8, no byte-order mark

        // The same cues as WebVTT, through the Share menu's second entry.
        QVERIFY(view.findChild<QAction *>(u"saveVttAction"_s)->isEnabled());
        const QString vttPath = m_dir.filePath(u"Interview.vtt"_s);
        QVERIFY(view.saveVTT(vttPath));
        const QByteArray vtt = readAll(vttPath);
        QVERIFY(vtt.startsWith("WEBVTT\n\n"));
        QVERIFY(vtt.contains("00:00:03.000 --> 00:00:03.500\nLine 3 — ça va <b>bien</b>\n"));
        QCOMPARE(vtt.count(" --> "), 3);
    }

    // The last document chosen is read again by the next screen; one that is gone is named.
    void lastDocumentIsReadAgain()
    {
        const QString path = m_dir.filePath(u"Again.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(path, transcript(2)));
        Settings settings(m_dir.filePath(u"again.ini"_s));
        {
            DocToSRTView view(&settings);
            QVERIFY(importInto(view, path));
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

    // A read blocked on a pipe with no writer stands for a document that takes long to read.
    void leavingDuringAnImportDoesNotWait()
    {
        const QString fifo = m_dir.filePath(u"Slow.docx"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // Whatever happens below, the reader gets an end of file, so that the pool (which the
        // application waits for on exit) gets its thread back. Nothing is written: a cancelled
        // reader may close its end without reading.
        const auto release = qScopeGuard([&fifo] {
            QFile writer(fifo); // opens once the reader has opened its end
            QVERIFY(writer.open(QIODevice::WriteOnly));
            writer.close();
            QThreadPool::globalInstance()->waitForDone(10000);
            QFile::remove(fifo);
        });
        auto *view = new DocToSRTView;
        QSignalSpy done(view, &DocToSRTView::importFinished);
        view->importDocument(fifo);
        QVERIFY(view->isImporting());
        QElapsedTimer clock;
        clock.start();
        delete view;
        QVERIFY2(clock.elapsed() < 2000, "leaving the screen waited for the document");
        QTest::qWait(50); // the read is still blocked: the screen just went away
    }

    // After the read ends, its result goes nowhere; a raised flag stops a read at its start.
    void aCancelledReadEndsQuietly()
    {
        const QString path = m_dir.filePath(u"Cancelled.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(path, transcript(2)));
        auto *view = new DocToSRTView;
        view->importDocument(path);
        delete view;
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        QCoreApplication::processEvents(); // the result for the screen that is gone

        const std::atomic_bool cancelled = true;
        const auto result = DocToSRTImport::importFile(path, {}, &cancelled);
        QVERIFY(!result);
        QVERIFY(result.error().is(DocumentTextError::Cancelled));
    }

    void frameRateConvertsTheKeptTextAgain_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("timing");
        QTest::newRow("23.976") << u"23.976 fps"_s << u"00:00:01,501 --> 00:00:02,000"_s;
        QTest::newRow("25") << u"25 fps"_s << u"00:00:01,480 --> 00:00:02,000"_s;
        QTest::newRow("29.97") << u"29.97 fps"_s << u"00:00:01,400 --> 00:00:02,000"_s;
    }

    void frameRateConvertsTheKeptTextAgain()
    {
        QFETCH(QString, rate);
        QFETCH(QString, timing);
        const QString path =
            m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".docx"_s);
        QVERIFY(
            hb::test::writeTranscriptDocx(path, {u"00:00:01:12 --> 00:00:02:00"_s, u"Frames."_s}));
        Settings settings(
            m_dir.filePath(u"rate-%1.ini"_s.arg(QLatin1StringView(QTest::currentDataTag()))));
        {
            DocToSRTView view(&settings);
            auto *picker = view.findChild<QComboBox *>(u"frameRate"_s);
            QCOMPARE(picker->currentText(), u"24 fps"_s);
            QVERIFY(importInto(view, path));
            QVERIFY(view.outputSRT().contains(u"00:00:01,500 --> 00:00:02,000"_s));

            QVERIFY(QFile::remove(path)); // the text is converted again, not read again
            picker->setCurrentIndex(picker->findText(rate));
            QVERIFY(!view.isImporting());
            QCOMPARE(view.outputSRT(), u"1\n%1\nFrames.\n"_s.arg(timing));
        }
        DocToSRTView again(&settings);
        QCOMPARE(again.findChild<QComboBox *>(u"frameRate"_s)->currentText(), rate);
    }

    // Copy and Share are there only for subtitles: a read that gives none, or fails, takes
    // them away again.
    void outputButtonsFollowTheSubtitles_data()
    {
        QTest::addColumn<QByteArray>("plain"); // a file that is no Word document when set
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("subtitles") << QByteArray() << transcript(1) << true;
        QTest::newRow("no timing lines") << QByteArray() << QStringList{u"Prose."_s} << false;
        QTest::newRow("failed read") << QByteArray("plain text") << QStringList() << false;
    }

    void outputButtonsFollowTheSubtitles()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QStringList, lines);
        QFETCH(bool, enabled);
        DocToSRTView view;
        auto *copy = view.findChild<QPushButton *>(u"copyButton"_s);
        auto *share = view.findChild<QPushButton *>(u"shareButton"_s);
        QVERIFY(!copy->isEnabled() && !share->isEnabled());
        const QString first = m_dir.filePath(u"First.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(first, transcript(2)));
        QVERIFY(importInto(view, first));
        QVERIFY(copy->isEnabled() && share->isEnabled());

        const QString path = m_dir.filePath(u"Next.docx"_s);
        if (plain.isEmpty()) {
            QVERIFY(hb::test::writeTranscriptDocx(path, lines));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(plain);
        }
        QVERIFY(importInto(view, path));
        QCOMPARE(copy->isEnabled(), enabled);
        QCOMPARE(share->isEnabled(), enabled);
        QCOMPARE(view.findChild<QAction *>(u"saveVttAction"_s)->isEnabled(), enabled);
    }

    // Every left-out cue is listed with its line; a long list scrolls rather than growing.
    void leftOutCuesAreListed()
    {
        QStringList lines{u"1"_s, u"00:00:01,000 --> 00:00:02,000"_s, u"Kept."_s};
        for (int i = 0; i < 12; ++i)
            lines << QString() << u"00:00:09,000 --> 00:00:0%1,000"_s.arg(9 - i % 2)
                  << u"Gone %1."_s.arg(i);
        const QString path = m_dir.filePath(u"Backwards.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(path, lines));
        DocToSRTView view;
        view.resize(800, 900);
        view.show();
        QVERIFY(importInto(view, path));
        QCOMPARE(view.outputSRT(), u"1\n00:00:01,000 --> 00:00:02,000\nKept.\n"_s);
        auto *list = view.findChild<QPlainTextEdit *>(u"problems"_s);
        const QStringList shown = list->toPlainText().split(u'\n');
        QCOMPARE(shown.size(), 12);
        QCOMPARE(shown.first(),
                 u"Line 5: 00:00:09,000 --> 00:00:09,000 — the end is not after the start."_s);
        QCOMPARE(shown.last(),
                 u"Line 38: 00:00:09,000 --> 00:00:08,000 — the end is not after the start."_s);
        QVERIFY(list->isVisible());
        QVERIFY(list->height() < 12 * list->fontMetrics().lineSpacing());
    }

    // Cues of 4 s: 70 characters read at 17.5 a second.
    void readingSpeedMarks_data()
    {
        const QString fast = QString(35, u'A') + u'|' + QString(35, u'B');
        QTest::addColumn<QStringList>("cues"); // text lines split at "|"
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("marked"); // the numbers of the marked cues
        QTest::newRow("none") << QStringList{u"Fine."_s} << 17 << QString() << QStringList();
        QTest::newRow("too fast") << QStringList{u"Fine."_s, fast} << 17
                                  << u"1 cue reads too fast or is too long"_s
                                  << QStringList{u"2"_s};
        QTest::newRow("limit raised")
            << QStringList{u"Fine."_s, fast} << 18 << QString() << QStringList();
        QTest::newRow("too many lines, line too long")
            << QStringList{u"One.|Two.|Three."_s, QString(43, u'C'), u"Fine."_s} << 17
            << u"2 cues read too fast or are too long"_s << QStringList{u"1"_s, u"2"_s};
    }

    void readingSpeedMarks()
    {
        QFETCH(QStringList, cues);
        QFETCH(int, limit);
        QFETCH(QString, summary);
        QFETCH(QStringList, marked);
        QStringList lines;
        for (int i = 0; i < cues.size(); ++i)
            lines << u"00:00:%1,000 --> 00:00:%2,000"_s.arg(i * 5, 2, 10, QChar(u'0'))
                         .arg(i * 5 + 4, 2, 10, QChar(u'0'))
                  << cues[i].split(u'|') << QString();
        const QString path = m_dir.filePath(u"Speed.docx"_s);
        QVERIFY(hb::test::writeTranscriptDocx(path, lines));
        Settings settings(
            m_dir.filePath(u"speed-%1.ini"_s.arg(QLatin1StringView(QTest::currentDataTag()))));
        {
            DocToSRTView view(&settings);
            QVERIFY(importInto(view, path));
            const QString srt = view.outputSRT();
            view.findChild<QSpinBox *>(u"speedLimit"_s)->setValue(limit);
            QCOMPARE(view.outputSRT(), srt); // marks only
            auto *label = view.findChild<QLabel *>(u"readingSpeed"_s);
            QCOMPARE(label->text(), summary);
            QCOMPARE(label->isHidden(), summary.isEmpty());
            QStringList numbers;
            const auto marks = view.findChild<QPlainTextEdit *>(u"outputSRT"_s)->extraSelections();
            for (const QTextEdit::ExtraSelection &mark : marks) {
                const QTextBlock line = mark.cursor.block();
                if (!line.previous().isValid() || line.previous().text().isEmpty())
                    numbers << line.text(); // a marked cue's first line: its number
            }
            QCOMPARE(numbers, marked);
        }
        DocToSRTView again(&settings);
        QCOMPARE(again.findChild<QSpinBox *>(u"speedLimit"_s)->value(), limit);
    }
};

QTEST_MAIN(TestDocToSRTImport)
#include "tst_DocToSRTImport.moc"
