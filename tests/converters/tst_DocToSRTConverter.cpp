#include "converters/DocToSRTConverter.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

using Converter = DocToSRTConverter;

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
    }
    void normaliseTimestamp()
    {
        QFETCH(QString, text);
        QFETCH(QString, stamp);
        QCOMPARE(Converter::normaliseTimestamp(text).value_or(QString()), stamp);
    }

    void parseTimingLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("timing"); // start, end, rest; empty: not a timing line
        QTest::newRow("plain") << u"00:00:01,000 --> 00:00:02,000"_s
                               << QStringList{u"00:00:01,000"_s, u"00:00:02,000"_s, QString()};
        QTest::newRow("arrow, dot") << u"00:00:03.5 → 00:00:04"_s
                                    << QStringList{u"00:00:03,500"_s, u"00:00:04,000"_s, QString()};
        QTest::newRow("searched, not anchored")
            << u"00:00:01:12 --> 00:00:02:00"_s
            << QStringList{u"00:01:12,000"_s, u"00:00:02,000"_s, u"00: :00"_s};
        QTest::newRow("speaker around it")
            << u"Speaker 00:00:05,000 --> 00:00:06,000 says"_s
            << QStringList{u"00:00:05,000"_s, u"00:00:06,000"_s, u"Speaker says"_s};
        QTest::newRow("one-digit hours") << u"0:00:05,000 --> 0:00:06,000"_s << QStringList();
        QTest::newRow("single dash") << u"00:00:05 -> 00:00:06"_s << QStringList();
    }
    void parseTimingLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, timing);
        const std::optional<SRTTiming> parsed = Converter::parseTimingLine(line);
        const QStringList got =
            parsed ? QStringList{parsed->start, parsed->end, parsed->rest} : QStringList();
        QCOMPARE(got, timing);
    }

    // Whole documents, line by line, to SRT.
    void convert_data()
    {
        QTest::addColumn<QStringList>("document");
        QTest::addColumn<QString>("srt");

        QTest::newRow("two cues") << QStringList{u"1"_s,     u"00:00:01,000 --> 00:00:02,000"_s,
                                                 u"Hello"_s, QString(),
                                                 u"2"_s,     u"00:00:03.5 → 00:00:04"_s,
                                                 u"World"_s}
                                  << u"1\n00:00:01,000 --> 00:00:02,000\nHello\n\n"
                                     u"2\n00:00:03,500 --> 00:00:04,000\nWorld\n"_s;
        QTest::newRow("nothing timed") << QStringList{u"Just prose."_s, u"More."_s} << u"\n"_s;
        QTest::newRow("heading before the first cue")
            << QStringList{u"12 Interview notes"_s, u"00:00:01,000 --> 00:00:02,000"_s, u"Hi"_s}
            << u"1\n00:00:01,000 --> 00:00:02,000\nHi\n"_s;
        QTest::newRow("numbered timing line before the first cue is skipped")
            << QStringList{u"1 00:00:01,000 --> 00:00:02,000"_s, u"Lost"_s,
                           u"00:00:03,000 --> 00:00:04,000"_s, u"Kept"_s}
            << u"1\n00:00:03,000 --> 00:00:04,000\nKept\n"_s;
        QTest::newRow("capital headings dropped, names kept")
            << QStringList{u"00:00:01,000 --> 00:00:02,000"_s, u"3 JOHN SMITH"_s, u"3 John Smith"_s,
                           u"4 ÉTÉ-2"_s}
            << u"1\n00:00:01,000 --> 00:00:02,000\n3 John Smith\n4 ÉTÉ-2\n"_s;
        QTest::newRow("blank lines") << QStringList{u"00:00:01,000 --> 00:00:02,000"_s,
                                                    QString(),
                                                    u"a"_s,
                                                    QString(),
                                                    QString(),
                                                    u"b"_s,
                                                    QString(),
                                                    QString()}
                                     << u"1\n00:00:01,000 --> 00:00:02,000\na\n\nb\n"_s;
        QTest::newRow("bold mended")
            << QStringList{u"00:00:01,000 --> 00:00:02,000"_s, u"Some <b>bold"_s, u"text <"_s,
                           u"<b>x/b>"_s, u"<b>y< /b>"_s}
            << u"1\n00:00:01,000 --> 00:00:02,000\nSome <b>bold</b>\ntext \n<b>x</b>\n<b>y</b>\n"_s;
        QTest::newRow("cue without text")
            << QStringList{u"00:00:01,000 --> 00:00:02,000"_s, u"00:00:03,000 --> 00:00:04,000"_s,
                           u"b"_s}
            << u"1\n00:00:01,000 --> 00:00:02,000\n\n2\n00:00:03,000 --> 00:00:04,000\nb\n"_s;
    }
    void convert()
    {
        QFETCH(QStringList, document);
        QFETCH(QString, srt);
        QCOMPARE(Converter::convert(document.join(u'\n')), srt);
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
