#include "CompoundFile.h"
#include "converters/DocToSRTConverter.h"
#include "platform/documents/DocTextReader.h"
#include "platform/documents/DocumentTextReader.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#include <gsf/gsf-utils.h>

#include <atomic>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QByteArray utf16(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

template <typename T> void put(QByteArray &into, qsizetype at, T value)
{
    qToLittleEndian(value, into.data() + at);
}

// Property modifiers: marked deleted (toggle values 1 and 0x81 mean on), marked inserted.
const QByteArray kDeleted("\x00\x08\x01", 3);
const QByteArray kDeletedUnlikeStyle("\x00\x08\x81", 3);
const QByteArray kNotDeleted("\x00\x08\x80", 3);
const QByteArray kInserted("\x01\x08\x01", 3);

// A Word 97 file reduced to what its text needs: the header, the text, the piece table with the
// property groups before it, and one page of character runs.
struct WordFile {
    QList<QByteArray> pieces = {}; // UTF-16 text, or 8-bit text when `compressed`
    bool compressed = false;
    // Character runs over the pieces' text as it lies in the stream: where each starts and its
    // properties (none when empty); each ends where the next starts, the last with the text.
    QList<std::pair<qsizetype, QByteArray>> runs = {};
    QList<QByteArray> groups = {QByteArray("\xAA\xBB", 2)}; // property groups before the table
    QList<quint16> prms = {};                               // each piece's property, 0 unless given
    std::optional<qint32> mainTextLength = {}; // all the pieces' characters unless given
    quint16 version = 0x00C1;
    quint16 flags = 0x0200; // the table stream is "1Table"
    QByteArray tableName = "1Table";
    std::optional<QList<quint32>> positions = {}; // the pieces' character positions unless given
    std::optional<quint32> firstFc = {};
    std::optional<quint32> clxLength = {};
    std::optional<quint32> runTableLength = {};
    std::optional<quint32> runPage = {};
    QList<std::pair<qsizetype, char>> pagePatches = {}; // bytes of the run page, set last

    QByteArray bytes() const
    {
        const qsizetype width = compressed ? 1 : 2;
        QByteArray word(1024, '\0');
        QList<quint32> cps{0};
        QList<quint32> fcs;
        for (const QByteArray &piece : pieces) {
            fcs.append(compressed ? quint32(word.size() * 2) | 0x40000000 : quint32(word.size()));
            word += piece;
            cps.append(cps.last() + quint32(piece.size() / width));
        }
        const auto fcOf = [&](qsizetype character) { return quint32(1024 + width * character); };
        const quint32 textEnd = quint32(word.size());
        if (firstFc)
            fcs[0] = *firstFc;
        if (positions)
            cps = *positions;

        QByteArray clx;
        for (const QByteArray &group : groups) {
            clx += '\x01' + QByteArray(2, '\0') + group;
            put(clx, clx.size() - group.size() - 2, quint16(group.size()));
        }
        const qsizetype tableAt = clx.size();
        clx += '\x02' + QByteArray(4 + 4 * cps.size() + 8 * fcs.size(), '\0');
        put(clx, tableAt + 1, quint32(4 * cps.size() + 8 * fcs.size()));
        for (qsizetype i = 0; i < cps.size(); ++i)
            put(clx, tableAt + 5 + 4 * i, cps[i]);
        for (qsizetype i = 0; i < fcs.size(); ++i) {
            const qsizetype piece = tableAt + 5 + 4 * cps.size() + 8 * i;
            put(clx, piece + 2, fcs[i]);
            put(clx, piece + 6, i < prms.size() ? prms[i] : quint16(0));
        }

        // The run page after the text, its properties from the page's end downwards; the run
        // table after the piece table.
        QByteArray table = clx;
        if (!runs.isEmpty()) {
            word.resize((word.size() / 512 + 1) * 512, '\0');
            const auto pageNumber = quint32(word.size() / 512);
            QByteArray page(512, '\0');
            const auto count = qsizetype(runs.size());
            qsizetype free = 510;
            for (qsizetype i = 0; i < count; ++i) {
                put(page, 4 * i, fcOf(runs[i].first));
                const QByteArray &properties = runs[i].second;
                if (properties.isEmpty())
                    continue;
                free = (free - properties.size() - 1) & ~qsizetype(1);
                page[free] = char(properties.size());
                page.replace(free + 1, properties.size(), properties);
                page[4 * (count + 1) + i] = char(free / 2);
            }
            put(page, 4 * count, textEnd);
            page[511] = char(count);
            for (const auto &[at, value] : pagePatches)
                page[at] = value;
            word += page;
            QByteArray plc(12, '\0');
            put(plc, 0, fcOf(0));
            put(plc, 4, textEnd);
            put(plc, 8, runPage.value_or(pageNumber));
            table += plc;
        }

        put(word, 0, quint16(0xA5EC));
        put(word, 2, version);
        put(word, 10, flags);
        put(word, 32, quint16(14)); // 16-bit values
        put(word, 62, quint16(22)); // 32-bit values, the main text's length fourth
        put(word, 76, mainTextLength.value_or(qint32(cps.last())));
        put(word, 152, quint16(93)); // offset/length pairs: the run table 13th, pieces 34th
        put(word, 154 + 12 * 8, quint32(clx.size()));
        put(word, 154 + 12 * 8 + 4, runTableLength.value_or(quint32(table.size() - clx.size())));
        put(word, 154 + 33 * 8 + 4, clxLength.value_or(quint32(clx.size())));
        return hb::test::compoundFile({{"WordDocument", word}, {tableName, table}});
    }
};

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(HB_DOCUMENTS_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What data/make-fixtures.sh wrote. In the .doc each table row ends in a mark of its own,
// which makes an empty line.
const QString kFixtureDocText =
    u"1\n00:00:01,000 --> 00:00:02,000\nHello\n\n2\n00:00:02,500 --> 00:00:04,000\n"
    u"Grüße — ça va ✓\nSpeaker\tLine\nA1\nB1\n\nA2\nB2\n\nPage 1\nEnd"_s;
// Every change accepted; the deleted timing line leaves its empty paragraph.
const QString kTrackedText = u"1\n00:00:01,000 --> 00:00:02,000\nHello world!\n\n"
                             u"Still the first cue\n\n2\n00:00:03,500 --> 00:00:05,000\n"
                             u"Added line kept\nA whole new line"_s;

const std::atomic_bool kCancelled{true};

} // namespace

Q_DECLARE_METATYPE(hb::DocumentTextLimits)

class TestDocTextReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { gsf_init(); }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<hb::DocumentTextLimits>("limits");
        QTest::addColumn<std::optional<hb::DocumentTextError>>("code"); // none when read
        // The text; for a refusal its description, or for damage what the description starts
        // with.
        QTest::addColumn<QString>("expected");

        const auto text = [](const char *name, const QByteArray &file, const QString &expected,
                             hb::DocumentTextLimits limits = {}) {
            QTest::newRow(name) << file << limits << std::optional<hb::DocumentTextError>()
                                << expected;
        };
        const auto refused = [](const char *name, const QByteArray &file,
                                hb::DocumentTextError code, const QString &description,
                                hb::DocumentTextLimits limits = {}) {
            QTest::newRow(name) << file << limits << std::optional(code) << description;
        };
        const auto doc = [](const QString &characters) {
            return WordFile{.pieces = {utf16(characters)}}.bytes();
        };
        using enum hb::DocumentTextError;
        const QString damaged = u"The document is damaged: "_s;
        const QString locked = u"The document is password-protected."_s;
        const QString notWord = u"This is not a Word document (.docx or .doc)."_s;

        text("control characters",
             doc(u"1\r00:00:01,000\rA\tB\x0B"
                 u"C\x0C"
                 u"D\x0E"
                 u"E\rA1\x07"
                 u"B1\x07\x07non\x1E"
                 u"stop co\x1F"
                 u"operate\u00A0\x01\x08\x05!\r\r"_s),
             u"1\n00:00:01,000\nA\tB\nC\nD\nE\nA1\nB1\n\nnon-stop cooperate\u00A0!\n"_s);
        text("field results kept, codes dropped",
             doc(u"Page \x13 PAGE \x14"
                 u"3\x15 of \x13 NUMPAGES \x15, \x13 IF \x13 PAGE \x14"
                 u"1\x15 = 1 \x14yes\x15\r"_s),
             u"Page 3 of , yes"_s);
        text("8-bit pieces",
             WordFile{.pieces = {"\x93Quote\x94 ", "\x80 caf\xE9 \x81\r"}, .compressed = true}
                 .bytes(),
             u"\u201CQuote\u201D \u20AC caf\u00E9 \u0081"_s);
        text("main text only",
             WordFile{.pieces = {utf16(u"Main\rNote\r"_s)}, .mainTextLength = 5}.bytes(),
             u"Main"_s);
        text("table stream 0Table",
             WordFile{.pieces = {utf16(u"zero\r"_s)}, .flags = 0, .tableName = "0Table"}.bytes(),
             u"zero"_s);
        text("saved by LibreOffice", fixture(u"transcript.doc"_s), kFixtureDocText);

        // Tracked changes: deleted runs dropped, whatever else their properties hold.
        const QByteArray hello = utf16(u"Hello cruel world!\rgone\rnext\r"_s);
        text("deleted runs dropped, inserted kept",
             WordFile{
                 .pieces = {hello},
                 .runs =
                     {{0, kInserted}, {6, kDeleted}, {12, {}}, {19, kDeletedUnlikeStyle}, {24, {}}}}
                 .bytes(),
             u"Hello world!\nnext"_s);
        text("deleted paragraph mark joins its lines",
             WordFile{.pieces = {utf16(u"one\rtwo\r"_s)}, .runs = {{0, {}}, {3, kDeleted}, {4, {}}}}
                 .bytes(),
             u"onetwo"_s);
        // After the deletion, modifiers of each operand size whose operands hold a "not deleted"
        // that only a wrong size would read; the last deletion counts; a group cut short counts
        // up to the cut.
        const QByteArray others("\x35\x08\x00\x4A\x43\x00\x08\x62\xCA\x03\x00\x08\x00"
                                "\x03\x6A\x00\x08\x00\x00\x00\xE6\x00\x00\x08\x00",
                                25);
        text("deletion among other modifiers",
             WordFile{.pieces = {hello},
                      .runs = {{0, kDeleted + others},
                               {6, kDeleted + kNotDeleted},
                               {12, QByteArray("\x00\x08", 2)}}}
                 .bytes(),
             u"cruel world!\ngone\nnext"_s);
        text("8-bit deleted run",
             WordFile{.pieces = {"keep drop\r"},
                      .compressed = true,
                      .runs = {{0, {}}, {4, kDeleted}, {9, {}}}}
                 .bytes(),
             u"keep"_s);
        const QList<QByteArray> twoPieces{utf16(u"first "_s), utf16(u"second\r"_s)};
        text("run across pieces",
             WordFile{.pieces = twoPieces, .runs = {{0, {}}, {3, kDeleted}, {9, {}}}}.bytes(),
             u"firond"_s);
        text("piece deleted by its own modifier",
             WordFile{.pieces = twoPieces, .prms = {0, 0x0182}}.bytes(), u"first "_s);
        text("piece property group overrides its runs",
             WordFile{.pieces = twoPieces,
                      .runs = {{0, kDeleted}},
                      .groups = {kDeleted, kNotDeleted},
                      .prms = {0x0001, 0x0003}}
                 .bytes(),
             u"second"_s);
        text("text at the limit", doc(QString(49, u'x') + u'\r'), QString(49, u'x'), {100, 0});
        refused("text past the limit", doc(QString(50, u'x') + u'\r'), TooLarge,
                u"The document is larger than 100 bytes."_s, {100, 0});
        refused("cancelled", WordFile{.pieces = {hello}, .runs = {{0, kDeleted}}}.bytes(),
                Cancelled, u"The document was not read to the end."_s, {.cancelled = &kCancelled});

        const QList<QByteArray> one{utf16(u"text\r"_s)};
        QByteArray headerless = doc(u"text\r"_s);
        headerless.replace(QByteArray("\xEC\xA5\xC1\x00", 4), QByteArray(4, '\0'));
        refused("not a compound file", "PK\x03\x04 not this either", NotADocument, notWord);
        refused("no WordDocument stream", hb::test::compoundFile({{"Book", "data"}}), NotADocument,
                notWord);
        refused("encrypted .docx", hb::test::compoundFile({{"EncryptedPackage", "y"}}), Unsupported,
                locked);
        refused("encrypted", WordFile{.pieces = one, .flags = 0x0300}.bytes(), Unsupported, locked);
        refused("Word 95", WordFile{.pieces = one, .version = 0x0068}.bytes(), Unsupported,
                u"The document was saved by Word 95 or older. Save it again in a newer Word "
                u"format (.docx)."_s);
        refused("no Word header", headerless, Damaged, damaged);
        refused("no table stream", WordFile{.pieces = one, .tableName = "0Table"}.bytes(), Damaged,
                damaged);
        refused("piece past the stream", WordFile{.pieces = one, .firstFc = 0x3FFFFF00}.bytes(),
                Damaged, damaged);
        refused("8-bit piece past the stream",
                WordFile{.pieces = one, .firstFc = 0x7FFFFF00}.bytes(), Damaged, damaged);
        refused("pieces out of order",
                WordFile{.pieces = {utf16(u"ab"_s), utf16(u"cd\r"_s)},
                         .mainTextLength = 5,
                         .positions = QList<quint32>{0, 3, 2}}
                    .bytes(),
                Damaged, damaged);
        refused("piece table past the table stream",
                WordFile{.pieces = one, .clxLength = 100000}.bytes(), Damaged, damaged);
        refused("piece table cut short", WordFile{.pieces = one, .clxLength = 20}.bytes(), Damaged,
                damaged);
        refused("piece refers to a missing group",
                WordFile{.pieces = one, .prms = {0x0003}}.bytes(), Damaged, damaged);
        const QList<std::pair<qsizetype, QByteArray>> deletedRun{{0, kDeleted}};
        refused("run table past the table stream",
                WordFile{.pieces = one, .runs = deletedRun, .runTableLength = 100004}.bytes(),
                Damaged, damaged);
        refused("run table of a wrong length",
                WordFile{.pieces = one, .runs = deletedRun, .runTableLength = 8}.bytes(), Damaged,
                damaged);
        refused("run page past the stream",
                WordFile{.pieces = one, .runs = deletedRun, .runPage = 0x3FFFFF}.bytes(), Damaged,
                damaged);
        refused("run page without runs",
                WordFile{.pieces = one, .runs = deletedRun, .pagePatches = {{511, 0}}}.bytes(),
                Damaged, damaged);
        refused("run properties past their page",
                WordFile{.pieces = one, .runs = deletedRun, .pagePatches = {{8, '\xFE'}, {508, 9}}}
                    .bytes(),
                Damaged, damaged);
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(hb::DocumentTextLimits, limits);
        QFETCH(std::optional<hb::DocumentTextError>, code);
        QFETCH(QString, expected);
        const auto read = hb::DocTextReader::read(file, limits);
        if (!code) {
            QVERIFY2(read, qPrintable(read ? QString() : read.error().description));
            QCOMPARE(*read, expected);
            return;
        }
        QVERIFY(!read);
        QCOMPARE(read.error().domain, u"documents"_s);
        QCOMPARE(read.error().code, int(*code));
        const QString &description = read.error().description;
        if (expected.endsWith(u": "_s))
            QVERIFY2(description.startsWith(expected) && description.endsWith(u'.') &&
                         description.size() > expected.size() + 1,
                     qPrintable(description));
        else
            QCOMPARE(description, expected);
    }

    // The same document with tracked changes, saved as .docx and converted to .doc by
    // LibreOffice, reads the same and makes the same subtitles.
    void trackedChangesAsEitherFormat()
    {
        const auto docx = hb::DocumentTextReader::read(fixture(u"transcript-tracked.docx"_s));
        const auto doc = hb::DocumentTextReader::read(fixture(u"transcript-tracked.doc"_s));
        QVERIFY2(docx, qPrintable(docx ? QString() : docx.error().description));
        QVERIFY2(doc, qPrintable(doc ? QString() : doc.error().description));
        QCOMPARE(*doc, *docx);
        QCOMPARE(*docx, kTrackedText);

        const QString subtitles = hb::DocToSRTConverter::convert(*doc);
        QCOMPARE(subtitles, hb::DocToSRTConverter::convert(*docx));
        QVERIFY(!subtitles.contains(u"00:00:03,000"_s));
        QVERIFY(!subtitles.contains(u"cruel"_s));
        QCOMPARE(subtitles.count(u" --> "_s), 2);
    }
};

QTEST_GUILESS_MAIN(TestDocTextReader)
#include "tst_DocTextReader.moc"
