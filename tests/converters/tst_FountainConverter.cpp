#include "converters/FountainConverter.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestFountainConverter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void convert_data();
    void convert();
    void detectMode_data();
    void detectMode();
    void largeInput();
};

void TestFountainConverter::convert_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<FountainMode>("mode");
    QTest::addColumn<bool>("preserveIndentation");
    QTest::addColumn<bool>("includeTimecodes");
    QTest::addColumn<QString>("expected");

    const auto prose = FountainMode::Prose;
    const auto transcript = FountainMode::Transcript;
    const auto automatic = FountainMode::Auto;

    QTest::newRow("empty") << u""_s << automatic << false << false << u""_s;
    QTest::newRow("prose paragraphs")
        << u"The sun rises.\n  Birds sing.\n\n\n\tA car passes.  \n"_s << prose << false << false
        << u"The sun rises. Birds sing.\n\nA car passes.\n"_s;
    QTest::newRow("prose quoted speech stays action")
        << u"She said, \"Leave now.\"\nJohn: no.\n[00:01:02] Then he left."_s << prose << false
        << true << u"She said, \"Leave now.\" John: no. [00:01:02] Then he left.\n"_s;
    QTest::newRow("prose indentation kept")
        << u"Roses are red,\n    violets blue.\n\tTabbed\n\nNext"_s << prose << true << false
        << u"Roses are red,\n    violets blue.\n    Tabbed\n\nNext\n"_s;
    QTest::newRow("CRLF and BOM") << u"\uFEFFOne\r\ntwo\r\n\r\nThree\rfour\r\n"_s << prose << false
                                  << false << u"One two\n\nThree four\n"_s;
    QTest::newRow("capitals and scene headings forced")
        << u"THE END\n\nint. house - day, she waits.\n\nEXT/INT is not a heading."_s << prose
        << false << false
        << u"!THE END\n\n!int. house - day, she waits.\n\nEXT/INT is not a heading.\n"_s;
    QTest::newRow("capitals inside a passage left alone")
        << u"It began.\nTHE END"_s << prose << true << false << u"It began.\nTHE END\n"_s;
    QTest::newRow("markers forced on every line")
        << u"Start\n> quote <\n~ la la\n# tag\n= gist\n  .hidden\n!bang\n@home"_s << prose << true
        << false << u"Start\n!> quote <\n!~ la la\n!# tag\n!= gist\n!  .hidden\n!!bang\n!@home\n"_s;
    QTest::newRow("notes and boneyard defused")
        << u"See [[this]] and /* that */, [[[x."_s << prose << false << false
        << u"See [ [this]] and /\\* that */, [ [ [x.\n"_s;
    QTest::newRow("no title page") << u"Title: My life\nMore.\n\nLater: fine."_s << prose << false
                                   << false << u"!Title: My life More.\n\nLater: fine.\n"_s;

    QTest::newRow("NAME: lines")
        << u"John: Hello there.\nMary Ann: Hi, John.\nit goes on\n\nDr. O'Neil-Smith: Yes."_s
        << transcript << false << false
        << u"JOHN\nHello there.\n\nMARY ANN\nHi, John. it goes on\n\nDR. O'NEIL-SMITH\nYes.\n"_s;
    const QString timed = u"[00:01:02] John: Hello.\n(00:01:05) Mary: Hi.\n00:01:09 John: Bye.\n"
                          u"[00:01:12] Still me.\nAnn (00:01:15): Later."_s;
    QTest::newRow("timecodes dropped")
        << timed << transcript << false << false
        << u"JOHN\nHello.\n\nMARY\nHi.\n\nJOHN\nBye. Still me.\n\nANN\nLater.\n"_s;
    QTest::newRow("timecodes as notes")
        << timed << transcript << false << true
        << u"JOHN\n[[00:01:02]]\nHello.\n\nMARY\n[[00:01:05]]\nHi.\n\nJOHN\n[[00:01:09]]\nBye.\n"
           u"[[00:01:12]]\nStill me.\n\nANN\n[[00:01:15]]\nLater.\n"_s;
    QTest::newRow("timecode lines and timed action")
        << u"00:00:01\nSpeaker 1  0:03\nHello.\n\n[00:00:09] Music plays.\n[00:00:12]\nJOE: Hi"_s
        << transcript << false << true
        << u"SPEAKER 1\n[[0:03]]\nHello.\n\n[[00:00:09]] Music plays.\n\nJOE\n[[00:00:12]]\nHi\n"_s;
    QTest::newRow("names alone")
        << u"INTERVIEWER\nWhere were you?\n\nJohn Smith\nAt home.\n(laughs)\nAll day.\n\n"
           u"JOHN:\n\nLater.\n\nMARY:\n\nJOE: Hi."_s
        << transcript << false << false
        << u"INTERVIEWER\nWhere were you?\n\nJOHN SMITH\nAt home.\n(laughs)\nAll day.\n\n"
           u"JOHN\nLater.\n\n!MARY:\n\nJOE\nHi.\n"_s;
    QTest::newRow("not names")
        << u"Visit http://example.com today.\nIt was 10:30 when we left.\nI said this: go.\n"
           u"Okay: fine\nThen\nWe left.\nNext line\n\nNo.\nMore text\n\nOkay\nso then"_s
        << transcript << false << false
        << u"!Visit http://example.com today. It was 10:30 when we left. I said this: go.\n\n"
           u"OKAY\nfine Then We left. Next line\n\nNo. More text\n\nOkay so then\n"_s;
    QTest::newRow("transcript action forced, cue forced")
        << u"INT. OFFICE is quiet.\nJosé: Hola.\nInt. Officer: Halt."_s << transcript << false
        << false << u"!INT. OFFICE is quiet.\n\n@JOSÉ\nHola.\n\n@INT. OFFICER\nHalt.\n"_s;
    QTest::newRow("transcript indentation kept")
        << u"  Music plays.\n\tLouder.\nJOHN: Line one\n    line two"_s << transcript << true
        << false << u"  Music plays.\n    Louder.\n\nJOHN\nLine one\nline two\n"_s;
    QTest::newRow("transcript indentation dropped")
        << u"  Music plays.\n\tLouder.\nJOHN: Line one\n    line two"_s << transcript << false
        << false << u"Music plays. Louder.\n\nJOHN\nLine one line two\n"_s;

    QTest::newRow("auto reads a transcript")
        << u"Interview, 2023\n\nAnn: Hi.\nBob: Hello.\nAnn: Bye."_s << automatic << false << false
        << u"Interview, 2023\n\nANN\nHi.\n\nBOB\nHello.\n\nANN\nBye.\n"_s;
    QTest::newRow("auto reads prose")
        << u"It was late.\nNote: the door was open.\nWe left."_s << automatic << false << false
        << u"It was late. Note: the door was open. We left.\n"_s;
}

void TestFountainConverter::convert()
{
    QFETCH(QString, input);
    QFETCH(FountainMode, mode);
    QFETCH(bool, preserveIndentation);
    QFETCH(bool, includeTimecodes);
    QFETCH(QString, expected);
    QCOMPARE(FountainConverter::convert(input, mode, preserveIndentation, includeTimecodes),
             expected);
}

void TestFountainConverter::detectMode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<FountainMode>("expected");

    QTest::newRow("one turn") << u"Ann: Hi."_s << FountainMode::Prose;
    QTest::newRow("long speeches")
        << u"Ann: One\ntwo\nthree\nBob: Four\nfive\n\nA door slams."_s << FountainMode::Transcript;
    QTest::newRow("more action than speech")
        << u"Ann: Hi.\nBob: Hello.\n\nA.\nB.\nC."_s << FountainMode::Prose;
    QTest::newRow("names in capitals")
        << u"INTERVIEWER\nWhy?\n\nJOHN\nBecause."_s << FountainMode::Transcript;
    QTest::newRow("recurring names")
        << u"John Smith\nYes.\n\nAnn Lee\nNo.\n\nJohn Smith\nMaybe."_s << FountainMode::Transcript;
    QTest::newRow("headings are not speakers")
        << u"Chapter One\nIt was dark.\n\nChapter Two\nIt was light."_s << FountainMode::Prose;
    QTest::newRow("timed lines") << u"[00:00:01] Ann: Hi.\n[00:00:02] Bob: Yo."_s
                                 << FountainMode::Transcript;
}

void TestFountainConverter::detectMode()
{
    QFETCH(QString, input);
    QFETCH(FountainMode, expected);
    QCOMPARE(FountainConverter::detectMode(input), expected);
}

void TestFountainConverter::largeInput()
{
    QString text;
    for (int i = 0; text.size() < 1024 * 1024; ++i)
        text += u"[00:00:0"_s + QString::number(i % 10) + u"] Speaker " + QString::number(i % 3) +
                u": Well, we talked about it for a long while and then went home.\n"_s +
                (i % 5 == 0 ? u"\nThey pause, [[look]] around /* and */ leave.\n\n"_s : QString());
    const QString fountain = FountainConverter::convert(text, FountainMode::Auto, true, true);
    QVERIFY(fountain.startsWith(u"SPEAKER 0\n[[00:00:00]]\nWell,"_s));
}

QTEST_GUILESS_MAIN(TestFountainConverter)
#include "tst_FountainConverter.moc"
