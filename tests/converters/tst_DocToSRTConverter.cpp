#include "converters/DocToSRTConverter.h"
#include "converters/SubtitleReaders.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace hb;
using namespace Qt::StringLiterals;

using Converter = DocToSRTConverter;

Q_DECLARE_METATYPE(hb::ReadingSpeedLimits)

namespace {

// A transcript, line by line, and the subtitles and problems it gives.
struct Transcript {
    const char *name;
    QStringList document;
    double framesPerSecond;
    QString srt;
    QStringList problems; // "line number|line|reason"
};

const QString kFullWidth = u"\uFF10\uFF10:\uFF10\uFF10:\uFF10\uFF11,\uFF10\uFF10\uFF10 --> "
                           u"\uFF10\uFF10:\uFF10\uFF10:\uFF10\uFF12,\uFF10\uFF10\uFF10"_s;
const QString kArabicIndic = u"\u0660\u0660:\u0660\u0660:\u0660\u0661,\u0660\u0660\u0660 --> "
                             u"\u0660\u0660:\u0660\u0660:\u0660\u0662,\u0660\u0660\u0660"_s;

const QList<Transcript> &transcripts()
{
    static const QList<Transcript> all{
        {"two cues, numbers on lines of their own",
         {u"1"_s, u"00:00:01,000 --> 00:00:02,000"_s, u"Hello"_s, QString(), u"2"_s,
          u"00:00:03.5 → 00:00:04"_s, u"World"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\nHello\n\n2\n00:00:03,500 --> 00:00:04,000\nWorld\n"_s,
         {}},
        {"nothing timed", {u"Just prose."_s, u"More."_s}, 24, u"\n"_s, {}},
        {"numbered heading before the first cue",
         {u"12 Interview notes"_s, u"00:00:01,000 --> 00:00:02,000"_s, u"Hi"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\nHi\n"_s,
         {}},
        {"cue numbers on the timing lines are dropped",
         {u"1 00:00:01,000 --> 00:00:02,000"_s, u"First"_s, QString(),
          u"2 00:00:03,000 --> 00:00:04,000"_s, u"Second"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\nFirst\n\n2\n00:00:03,000 --> 00:00:04,000\nSecond\n"_s,
         {}},
        {"speaker around the stamps",
         {u"Anna 00:00:05,000 --> 00:00:06,000 says hi"_s},
         24,
         u"1\n00:00:05,000 --> 00:00:06,000\nAnna says hi\n"_s,
         {}},
        {"capital headings dropped, names kept",
         {u"00:00:01,000 --> 00:00:02,000"_s, u"3 JOHN SMITH"_s, u"3 John Smith"_s, u"4 ÉTÉ-2"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\n3 John Smith\n4 ÉTÉ-2\n"_s,
         {}},
        {"blank lines inside a cue removed, its lines kept in order",
         {u"00:00:01,000 --> 00:00:02,000"_s, QString(), u"a"_s, QString(), QString(), u"b"_s,
          QString(), QString(), u"00:00:03,000 --> 00:00:04,000"_s, u"c"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\na\nb\n\n2\n00:00:03,000 --> 00:00:04,000\nc\n"_s,
         {}},
        {"bold mended",
         {u"00:00:01,000 --> 00:00:02,000"_s, u"Some <b>bold"_s, u"text <"_s, u"<b>x/b>"_s,
          u"<b>y< /b>"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\nSome <b>bold</b>\ntext\n<b>x</b>\n<b>y</b>\n"_s,
         {}},
        {"a timing line without text gives no cue, nor one whose text cleans to nothing",
         {u"00:00:01,000 --> 00:00:02,000"_s, QString(), u"00:00:03,000 --> 00:00:04,000"_s, u"b"_s,
          u"00:00:05,000 --> 00:00:06,000"_s, u" <"_s},
         24,
         u"1\n00:00:03,000 --> 00:00:04,000\nb\n"_s,
         {u"1|00:00:01,000 --> 00:00:02,000|The cue has no text."_s,
          u"5|00:00:05,000 --> 00:00:06,000|The cue has no text."_s}},
        {"an end not after its start is left out, the numbering stays consecutive",
         {u"00:00:01,000 --> 00:00:02,000"_s, u"a"_s, u"3 00:00:05,000 --> 00:00:05,000"_s,
          u"same"_s, u"00:00:09,000 --> 00:00:08,999"_s, u"backwards"_s,
          u"00:00:10,000 --> 00:00:11,000"_s, u"c"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:10,000 --> 00:00:11,000\nc\n"_s,
         {u"3|3 00:00:05,000 --> 00:00:05,000|The end is not after the start."_s,
          u"5|00:00:09,000 --> 00:00:08,999|The end is not after the start."_s}},
        {"frames at 24, either arrow",
         {u"00:00:01:12 --> 00:00:02:00"_s, u"a"_s, u"7 00:00:02:23 → 00:00:03:06"_s, u"b"_s},
         24,
         u"1\n00:00:01,500 --> 00:00:02,000\na\n\n2\n00:00:02,958 --> 00:00:03,250\nb\n"_s,
         {}},
        {"frames at 23.976, rounded to the nearest millisecond",
         {u"00:00:01:23 --> 00:00:02:12"_s, u"a"_s},
         23.976,
         u"1\n00:00:01,959 --> 00:00:02,501\na\n"_s,
         {}},
        {"frames at 29.97",
         {u"00:00:01:29 --> 00:00:02:15"_s, u"a"_s},
         29.97,
         u"1\n00:00:01,968 --> 00:00:02,501\na\n"_s,
         {}},
        {"a frame past the rate's last is text",
         {u"00:00:01:24 --> 00:00:02:00"_s, u"a"_s, u"00:00:03:25 --> 00:00:04:00"_s},
         25,
         u"1\n00:00:01,960 --> 00:00:02,000\na\n00:00:03:25 --> 00:00:04:00\n"_s,
         {}},
        {"frame 24 is past 23.976's last",
         {u"00:00:01:23 --> 00:00:02:00"_s, u"a"_s, u"00:00:03:24 --> 00:00:04:00"_s},
         23.976,
         u"1\n00:00:01,959 --> 00:00:02,000\na\n00:00:03:24 --> 00:00:04:00\n"_s,
         {}},
        {"a frame that rounds to a whole second carries",
         {u"00:00:59:100 --> 00:01:01:00"_s, u"a"_s},
         100.04,
         u"1\n00:01:00,000 --> 00:01:01,000\na\n"_s,
         {}},
        {"stamps of both forms on one line are text",
         {u"00:00:01,000 --> 00:00:02,000"_s, u"a"_s, u"00:00:03:12 --> 00:00:04,000"_s,
          u"00:00:05,000 --> 00:00:06:12"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\na\n00:00:03:12 --> 00:00:04,000\n"
         u"00:00:05,000 --> 00:00:06:12\n"_s,
         {}},
        {"digits other than ASCII are text",
         {u"00:00:01,000 --> 00:00:02,000"_s, u"a"_s, kFullWidth, kArabicIndic},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\na\n"_s + kFullWidth + u'\n' + kArabicIndic + u'\n',
         {}},
        {"a timing line with times out of range is reported, its cue left out",
         {u"00:00:01,000 --> 00:00:02,000"_s, u"a"_s, u"00:60:00,000 --> 00:61:00,000"_s, u"lost"_s,
          u"100:00:01,000 --> 00:00:02,000"_s, u"00:00:03,000 --> 00:00:04,0001"_s,
          u"00:00:05,000 --> 00:00:06,000"_s, u"b"_s},
         24,
         u"1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:05,000 --> 00:00:06,000\nb\n"_s,
         {u"3|00:60:00,000 --> 00:61:00,000|The times are not valid."_s,
          u"5|100:00:01,000 --> 00:00:02,000|The times are not valid."_s,
          u"6|00:00:03,000 --> 00:00:04,0001|The times are not valid."_s}},
    };
    return all;
}

// Cues written as "start|end|line|line...".
QList<SRTCue> cuesOf(const QStringList &rows)
{
    QList<SRTCue> cues;
    for (const QString &row : rows) {
        const QStringList parts = row.split(u'|');
        cues.append({parts[0], parts[1], parts.mid(2)});
    }
    return cues;
}

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

} // namespace

class TestDocToSRTConverter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("every break")
            << u"a\nb\vc\fd\re\r\nf\u0085g\u2028h\u2029i"_s
            << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s, u"i"_s};
        QTest::newRow("empty lines kept, trimmed")
            << u"\n  x \t\n\r\r\n"_s
            << QStringList{QString(), u"x"_s, QString(), QString(), QString()};
        QTest::newRow("nothing") << QString() << QStringList{QString()};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(Converter::splitLines(text), lines);
    }

    void normaliseTimestamp_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stamp"); // empty: none
        QTest::newRow("tenths") << u"00:01:02.5"_s << u"00:01:02,500"_s;
        QTest::newRow("none") << u" 00:01:02 "_s << u"00:01:02,000"_s;
        QTest::newRow("hundredths") << u"00:01:02,07"_s << u"00:01:02,070"_s;
        QTest::newRow("one-digit hours") << u"0:01:02,000"_s << QString();
        QTest::newRow("four decimals") << u"00:01:02,0000"_s << QString();
        QTest::newRow("frames") << u"00:01:02:12"_s << QString();
        QTest::newRow("full-width digits") << u"\uFF10\uFF10:01:02"_s << QString();
    }
    void normaliseTimestamp()
    {
        QFETCH(QString, text);
        QFETCH(QString, stamp);
        QCOMPARE(Converter::normaliseTimestamp(text).value_or(QString()), stamp);
    }

    // Whole transcripts, line by line, to SubRip and the timing lines that gave no cue.
    void readCues_data()
    {
        QTest::addColumn<QStringList>("document");
        QTest::addColumn<double>("framesPerSecond");
        QTest::addColumn<QString>("srt");
        QTest::addColumn<QStringList>("problems");
        for (const Transcript &t : transcripts())
            QTest::newRow(t.name) << t.document << t.framesPerSecond << t.srt << t.problems;
    }
    void readCues()
    {
        QFETCH(QStringList, document);
        QFETCH(double, framesPerSecond);
        QFETCH(QString, srt);
        QFETCH(QStringList, problems);
        const SubtitleOptions options{framesPerSecond};
        const SubtitleCues read = Converter::readCues(document, options);
        QCOMPARE(Converter::renderSRT(read.cues), srt);
        QStringList gotProblems;
        for (const SubtitleProblem &p : read.problems)
            gotProblems << u"%1|%2|%3"_s.arg(p.lineNumber).arg(p.text, p.reason);
        QCOMPARE(gotProblems, problems);
        QCOMPARE(Converter::convert(document.join(u"\r\n"_s), options), srt);
    }

    void renderWebVTT_data()
    {
        QTest::addColumn<QStringList>("cues"); // "start|end|line|line..."
        QTest::addColumn<QString>("vtt");
        QTest::newRow("none") << QStringList() << u"WEBVTT\n"_s;
        QTest::newRow("two cues, points in the stamps")
            << QStringList{u"00:00:01,000|00:00:02,500|Hello|there"_s,
                           u"12:34:56,789|12:34:57,000|World"_s}
            << u"WEBVTT\n\n00:00:01.000 --> 00:00:02.500\nHello\nthere\n\n"
               u"12:34:56.789 --> 12:34:57.000\nWorld\n"_s;
        QTest::newRow("entities, bold kept, no arrow left")
            << QStringList{u"00:00:01,000|00:00:02,000|Tom & Jerry <b>run</b> -->"_s,
                           u"00:00:03,000|00:00:04,000|a<b <i>x</i> 1 < 2 > 0 &amp;"_s}
            << u"WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nTom &amp; Jerry <b>run</b> --&gt;\n\n"
               u"00:00:03.000 --> 00:00:04.000\na&lt;b &lt;i&gt;x&lt;/i&gt; 1 &lt; 2 &gt; 0 "
               u"&amp;amp;\n"_s;
        QTest::newRow("blank lines and empty cues dropped")
            << QStringList{u"00:00:01,000|00:00:02,000|a||  |b"_s, u"00:00:03,000|00:00:04,000|"_s}
            << u"WEBVTT\n\n00:00:01.000 --> 00:00:02.000\na\nb\n"_s;
    }
    void renderWebVTT()
    {
        QFETCH(QStringList, cues);
        QFETCH(QString, vtt);
        QCOMPARE(Converter::render(cuesOf(cues), SubtitleFormat::WebVTT), vtt);
    }

    void checkReadingSpeed_data()
    {
        QTest::addColumn<QStringList>("cues"); // "start|end|line|line..."
        QTest::addColumn<ReadingSpeedLimits>("limits");
        QTest::addColumn<QStringList>("warnings"); // "cue cps flags"
        const ReadingSpeedLimits standard;
        const QString second = u"00:00:01,000|00:00:02,000|"_s;
        QTest::newRow("17 a second is the limit")
            << QStringList{second + QString(17, u'x')} << standard << QStringList();
        QTest::newRow("18 a second is over it")
            << QStringList{second + QString(17, u'x'), second + QString(18, u'x')} << standard
            << QStringList{u"1 18.0 fast"_s};
        QTest::newRow("spaces count, tags and line breaks do not")
            << QStringList{second + u"<b>abcdefgh</b>|<font color=\"red\">i jk</font> lmno"_s,
                           second + u"abcdefgh|i jk lmnop"_s}
            << standard << QStringList{u"1 18.0 fast"_s};
        QTest::newRow("a character of several code points counts once")
            << QStringList{second + QString(u"e\u0301"_s).repeated(17),
                           second + QString(u"\U0001F1EB\U0001F1F7"_s).repeated(18)}
            << standard << QStringList{u"1 18.0 fast"_s};
        QTest::newRow("three lines; a line of 43")
            << QStringList{u"00:00:01,000|00:00:09,000|a|b|c"_s,
                           u"00:00:10,000|00:00:19,000|<b>"_s + QString(42, u'x') + u"</b>"_s,
                           u"00:00:20,000|00:00:29,000|"_s + QString(43, u'x')}
            << standard << QStringList{u"0 0.4 lines"_s, u"2 4.8 long"_s};
        QTest::newRow("no time to read") << QStringList{u"00:00:01,000|00:00:01,000|a"_s}
                                         << standard << QStringList{u"0 inf fast"_s};
        QTest::newRow("other limits")
            << QStringList{u"00:00:01,000|00:00:02,000|abcdef|g"_s} << ReadingSpeedLimits{5.0, 1, 5}
            << QStringList{u"0 7.0 fast lines long"_s};
    }
    void checkReadingSpeed()
    {
        QFETCH(QStringList, cues);
        QFETCH(ReadingSpeedLimits, limits);
        QFETCH(QStringList, warnings);
        QStringList got;
        for (const ReadingSpeedWarning &w : Converter::checkReadingSpeed(cuesOf(cues), limits)) {
            QString flags;
            flags += w.tooFast ? u" fast"_s : QString();
            flags += w.tooManyLines ? u" lines"_s : QString();
            flags += w.lineTooLong ? u" long"_s : QString();
            const QString cps = std::isinf(w.charactersPerSecond)
                                    ? u"inf"_s
                                    : QString::number(w.charactersPerSecond, 'f', 1);
            got << u"%1 %2%3"_s.arg(w.cue).arg(cps, flags);
        }
        QCOMPARE(got, warnings);
    }

    // Every SubRip file of the transcripts above reads back the same in ffmpeg and passes the
    // strict validator; every WebVTT file reads back in ffmpeg as the same subtitles.
    void realReadersReadEverySubtitleFile()
    {
        QTemporaryDir dir;
        QStringList srtFiles;
        qsizetype index = 0;
        const auto check = [&](const QList<SRTCue> &cues) {
            const QString srt = Converter::renderSRT(cues);
            const QString base = dir.filePath(QString::number(++index));
            QVERIFY(writeFile(base + u".srt"_s, srt));
            QVERIFY(writeFile(base + u".vtt"_s, Converter::renderWebVTT(cues)));
            srtFiles << base + u".srt"_s;
            for (const QString &format : {u"srt"_s, u"webvtt"_s}) {
                QString error;
                const QString read = SubtitleReaders::readWithFfmpeg(
                    base + (format == u"srt"_s ? u".srt"_s : u".vtt"_s), format, &error);
                QVERIFY2(error.isEmpty(), qPrintable(error));
                QCOMPARE(read, srt + u'\n'); // ffmpeg ends its last cue with a blank line too
            }
        };
        for (const Transcript &t : transcripts()) {
            const QList<SRTCue> cues = Converter::buildCues(t.document, {t.framesPerSecond});
            if (cues.isEmpty())
                continue; // nothing is written for such a transcript
            check(cues);
            if (QTest::currentTestFailed())
                QFAIL(t.name);
        }
        check(cuesOf({u"00:00:01,000|00:00:02,000|Tom & Jerry <b>run</b>, 1 < 2 > 0 -->"_s}));

        QString error;
        const QHash<QString, QStringList> complaints =
            SubtitleReaders::validateSubRip(srtFiles, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const QString &file : srtFiles) {
            QVERIFY2(complaints.contains(file), qPrintable(file));
            QVERIFY2(complaints[file].isEmpty(), qPrintable(complaints[file].join(u'\n')));
        }
    }

    // The validator is as strict as the rules need: each of these files is refused.
    void validatorRefusesBrokenSubRip_data()
    {
        QTest::addColumn<QString>("srt");
        QTest::newRow("blank line inside a cue") << u"1\n00:00:01,000 --> 00:00:02,000\na\n\nb\n\n"
                                                    u"2\n00:00:03,000 --> 00:00:04,000\nc\n"_s;
        QTest::newRow("empty cue")
            << u"1\n00:00:01,000 --> 00:00:02,000\n\n2\n00:00:03,000 --> 00:00:04,000\nc\n"_s;
        QTest::newRow("end before start") << u"1\n00:00:02,000 --> 00:00:01,000\na\n"_s;
        QTest::newRow("end at start") << u"1\n00:00:02,000 --> 00:00:02,000\na\n"_s;
        QTest::newRow("point in a stamp") << u"1\n00:00:01.000 --> 00:00:02,000\na\n"_s;
        QTest::newRow("frames in a stamp") << u"1\n00:00:01:12 --> 00:00:02,000\na\n"_s;
        QTest::newRow("numbering skips")
            << u"1\n00:00:01,000 --> 00:00:02,000\na\n\n3\n00:00:03,000 --> 00:00:04,000\nc\n"_s;
    }
    void validatorRefusesBrokenSubRip()
    {
        QFETCH(QString, srt);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"broken.srt"_s);
        QVERIFY(writeFile(path, srt));
        QString error;
        const QHash<QString, QStringList> complaints =
            SubtitleReaders::validateSubRip({path}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!complaints.value(path).isEmpty());
    }

    void preview()
    {
        const QString text = QString(6990, u'a') + u"\n1234567890"_s;
        QCOMPARE(Converter::preview(text), QString(6000, u'a') + u"\n…"_s);
        const QString exact(6000, u'b');
        QCOMPARE(Converter::preview(exact), exact);
        // A cut never splits a character: 6001 flags of two code units each.
        QString flags;
        for (int i = 0; i < 6001; ++i)
            flags += u"\U0001F3F4"_s;
        QCOMPARE(Converter::preview(flags), flags.left(12000) + u"\n…"_s);
    }
};

QTEST_GUILESS_MAIN(TestDocToSRTConverter)
#include "tst_DocToSRTConverter.moc"
