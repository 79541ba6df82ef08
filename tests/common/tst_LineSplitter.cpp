#include "common/LineSplitter.h"

#include <QTest>

using namespace hb;

class TestLineSplitter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cutsChunksIntoLines_data();
    void cutsChunksIntoLines();
};

void TestLineSplitter::cutsChunksIntoLines_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<qsizetype>("pending");
    QTest::addColumn<int>("dropped");

    QTest::newRow("two frames and half a third")
        << QByteArrayList{"{\"a\":1}\n{\"b\":2}\n{\"c\""}
        << QByteArrayList{"{\"a\":1}", "{\"b\":2}"} << qsizetype(4) << 0;
    QTest::newRow("one frame over three chunks")
        << QByteArrayList{"{\"k", "\":1", "}\n"} << QByteArrayList{"{\"k\":1}"} << qsizetype(0)
        << 0;
    QTest::newRow("two feeds give an empty line")
        << QByteArrayList{"a\n\nb\n"} << QByteArrayList{"a", "", "b"} << qsizetype(0) << 0;
    QTest::newRow("line of exactly the limit")
        << QByteArrayList{QByteArray(8, 'x') + "\nok\n"} << QByteArrayList{QByteArray(8, 'x'), "ok"}
        << qsizetype(0) << 0;
    QTest::newRow("over-long line in one chunk") << QByteArrayList{QByteArray(9, 'x') + "\nok\n"}
                                                 << QByteArrayList{"ok"} << qsizetype(0) << 1;
    QTest::newRow("over-long line over chunks is not held")
        << QByteArrayList{"xxxxx", "xxxxx", "xxxxxxxxxxxx", "xx\nok", "\n"} << QByteArrayList{"ok"}
        << qsizetype(0) << 1;
    QTest::newRow("over-long line still unfinished")
        << QByteArrayList{"ok\n", QByteArray(20, 'x')} << QByteArrayList{"ok"} << qsizetype(0) << 1;
    QTest::newRow("two over-long lines, each reported once")
        << QByteArrayList{QByteArray(9, 'x') + "\n" + QByteArray(12, 'y'), "yy", "\nok\n"}
        << QByteArrayList{"ok"} << qsizetype(0) << 2;
}

void TestLineSplitter::cutsChunksIntoLines()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, lines);
    QFETCH(qsizetype, pending);
    QFETCH(int, dropped);

    LineSplitter splitter(8);
    QByteArrayList seen;
    int droppedSeen = 0;
    for (const QByteArray &chunk : chunks) {
        splitter.append(
            chunk, [&seen](const QByteArray &line) { seen.append(line); },
            [&droppedSeen] { ++droppedSeen; });
    }
    QCOMPARE(seen, lines);
    QCOMPARE(droppedSeen, dropped);
    QCOMPARE(splitter.pending(), pending);
    QVERIFY(splitter.pending() <= 8);
}

QTEST_APPLESS_MAIN(TestLineSplitter)
#include "tst_LineSplitter.moc"
