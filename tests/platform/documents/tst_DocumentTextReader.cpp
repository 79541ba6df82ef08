#include "platform/documents/DocTextReader.h"
#include "platform/documents/DocumentTextReader.h"
#include "platform/documents/DocxTextReader.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>
#include <zip.h>

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Files = QList<std::pair<QByteArray, QByteArray>>;

// A ZIP archive in memory, its entries deflated as Word writes them.
QByteArray zipped(const Files &entries)
{
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(buffer);
    zip_t *zip = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    for (const auto &[name, data] : entries)
        zip_file_add(zip, name.constData(),
                     zip_source_buffer(zip, data.constData(), zip_uint64_t(data.size()), 0), 0);
    zip_close(zip);
    QByteArray bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        bytes.resize(qsizetype(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, bytes.data(), zip_uint64_t(bytes.size()));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

QByteArray compoundFile(const Files &streams)
{
    GsfOutput *sink = gsf_output_memory_new();
    GsfOutfile *file = gsf_outfile_msole_new(sink);
    for (const auto &[name, data] : streams) {
        GsfOutput *stream = gsf_outfile_new_child(file, name.constData(), FALSE);
        gsf_output_write(stream, size_t(data.size()),
                         reinterpret_cast<const guint8 *>(data.constData()));
        gsf_output_close(stream);
        g_object_unref(stream);
    }
    gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    QByteArray bytes(
        reinterpret_cast<const char *>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
        qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return bytes;
}

QByteArray documentXml(const QByteArray &body)
{
    return "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>"
           "<w:document xmlns:w='http://schemas.openxmlformats.org/wordprocessingml/2006/main' "
           "xmlns:mc='http://schemas.openxmlformats.org/markup-compatibility/2006'><w:body>" +
           body + "<w:sectPr><w:pgSz w:w='12240' w:h='15840'/></w:sectPr></w:body></w:document>";
}

QByteArray contentTypes(const QByteArray &documentName)
{
    return "<Types xmlns='http://schemas.openxmlformats.org/package/2006/content-types'>"
           "<Default Extension='xml' ContentType='application/xml'/><Override PartName='" +
           documentName +
           "' "
           "ContentType='application/"
           "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml'/></Types>";
}

QByteArray relationships(const QByteArray &target)
{
    return "<Relationships xmlns='http://schemas.openxmlformats.org/package/2006/relationships'>"
           "<Relationship Id='rId2' "
           "Type='http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
           "core-properties' Target='docProps/core.xml'/>"
           "<Relationship Id='rId1' "
           "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
           "officeDocument' Target='" +
           target + "'/></Relationships>";
}

// A package laid out the way Word lays it out.
Files wordPackage(const QByteArray &body)
{
    return {{"[Content_Types].xml", contentTypes("/word/document.xml")},
            {"_rels/.rels", relationships("word/document.xml")},
            {"word/document.xml", documentXml(body)}};
}

QByteArray paragraph(const QByteArray &text)
{
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

// A field as runs: its begin mark, its code, and its result after a separator if it has one.
QByteArray field(const QByteArray &code, const QByteArray &result)
{
    QByteArray runs = "<w:r><w:fldChar w:fldCharType='begin'/></w:r><w:r><w:instrText>" + code +
                      "</w:instrText></w:r>";
    if (!result.isNull())
        runs += "<w:r><w:fldChar w:fldCharType='separate'/></w:r>" + result;
    return runs + "<w:r><w:fldChar w:fldCharType='end'/></w:r>";
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

// A Word 97 file reduced to what its text needs: the header, the text and the piece table.
struct WordFile {
    QList<QByteArray> pieces = {}; // UTF-16 text, or 8-bit text when `compressed`
    bool compressed = false;
    std::optional<qint32> mainTextLength = {}; // all the pieces' characters unless given
    quint16 version = 0x00C1;
    quint16 flags = 0x0200; // the table stream is "1Table"
    QByteArray tableName = "1Table";
    std::optional<QList<quint32>> positions = {}; // the pieces' character positions unless given
    std::optional<quint32> firstFc = {};
    std::optional<quint32> clxLength = {};

    QByteArray bytes() const
    {
        const auto put = [](QByteArray &into, qsizetype at, auto value) {
            qToLittleEndian(value, into.data() + at);
        };
        QByteArray word(1024, '\0');
        QList<quint32> cps{0};
        QList<quint32> fcs;
        for (const QByteArray &piece : pieces) {
            fcs.append(compressed ? quint32(word.size() * 2) | 0x40000000 : quint32(word.size()));
            word += piece;
            cps.append(cps.last() + quint32(compressed ? piece.size() : piece.size() / 2));
        }
        if (firstFc)
            fcs[0] = *firstFc;
        if (positions)
            cps = *positions;

        // A formatting entry first, then the piece table: positions, then 8-byte pieces.
        QByteArray clx = QByteArray("\x01\x02\x00\xAA\xBB\x02", 6) +
                         QByteArray(4 + 4 * cps.size() + 8 * fcs.size(), '\0');
        put(clx, 6, quint32(4 * cps.size() + 8 * fcs.size()));
        for (qsizetype i = 0; i < cps.size(); ++i)
            put(clx, 10 + 4 * i, cps[i]);
        for (qsizetype i = 0; i < fcs.size(); ++i)
            put(clx, 10 + 4 * cps.size() + 8 * i + 2, fcs[i]);

        put(word, 0, quint16(0xA5EC));
        put(word, 2, version);
        put(word, 10, flags);
        put(word, 32, quint16(14)); // 16-bit values
        put(word, 62, quint16(22)); // 32-bit values, the main text's length fourth
        put(word, 76, mainTextLength.value_or(qint32(cps.last())));
        put(word, 152, quint16(93)); // offset/length pairs, the piece table's 34th
        put(word, 154 + 33 * 8 + 4, clxLength.value_or(quint32(clx.size())));
        return compoundFile({{"WordDocument", word}, {tableName, clx}});
    }
};

QByteArray fixture(const char *name)
{
    QFile file(QStringLiteral(HB_DOCUMENTS_DATA "/") + QLatin1StringView(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What data/make-fixtures.sh wrote. In the .doc each table row ends in a mark of its own,
// which makes an empty line.
const QString kFixtureText =
    u"1\n00:00:01,000 --> 00:00:02,000\nHello\n\n2\n00:00:02,500 --> 00:00:04,000\n"
    u"Grüße — ça va ✓\nSpeaker\tLine\nA1\nB1\nA2\nB2\nPage 1\nEnd"_s;
const QString kFixtureDocText =
    QString(kFixtureText).replace(u"B1\n"_s, u"B1\n\n"_s).replace(u"B2\n"_s, u"B2\n\n"_s);

enum Reader { Docx, Doc, Either };

} // namespace

Q_DECLARE_METATYPE(hb::DocumentTextLimits)

class TestDocumentTextReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { gsf_init(); }

    void read_data()
    {
        QTest::addColumn<int>("reader");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<hb::DocumentTextLimits>("limits");
        QTest::addColumn<std::optional<hb::DocumentTextError>>("code"); // none when read
        QTest::addColumn<QString>("text");

        const auto text = [](const char *name, Reader reader, const QByteArray &file,
                             const QString &expected, hb::DocumentTextLimits limits = {}) {
            QTest::newRow(name) << int(reader) << file << limits
                                << std::optional<hb::DocumentTextError>() << expected;
        };
        const auto refused = [](const char *name, Reader reader, const QByteArray &file,
                                hb::DocumentTextError code, hb::DocumentTextLimits limits = {}) {
            QTest::newRow(name) << int(reader) << file << limits << std::optional(code)
                                << QString();
        };
        const auto docx = [](const QByteArray &body) { return zipped(wordPackage(body)); };
        const auto doc = [](const QString &characters) {
            return WordFile{.pieces = {utf16(characters)}}.bytes();
        };
        using enum hb::DocumentTextError;

        text("docx paragraphs, tabs and breaks", Docx,
             docx(paragraph("1") + paragraph("00:00:01,000 --&gt; 00:00:02,000") +
                  "<w:p/><w:p>"
                  "<w:pPr><w:tabs><w:tab w:val='left' w:pos='720'/></w:tabs></w:pPr><w:r><w:rPr>"
                  "<w:b/></w:rPr><w:t xml:space='preserve'> Grüße — </w:t><w:tab/><w:t>a</w:t>"
                  "<w:br/><w:t>b</w:t><w:cr/><w:t>c</w:t><w:br w:type='page'/><w:t>ç ✓</w:t>"
                  "</w:r></w:p>"),
             u"1\n00:00:01,000 --> 00:00:02,000\n\n Grüße — \ta\nb\nc\nç ✓"_s);
        text("docx inserted kept, deleted and moved away dropped", Docx,
             docx("<w:p><w:r><w:t xml:space='preserve'>keep </w:t></w:r><w:ins w:id='1'><w:r>"
                  "<w:t>new</w:t></w:r></w:ins><w:del w:id='2'><w:r><w:tab/><w:delText>old"
                  "</w:delText></w:r></w:del><w:moveFrom w:id='3'><w:r><w:t>moved</w:t></w:r>"
                  "</w:moveFrom></w:p>"),
             u"keep new"_s);
        text("docx field results kept, codes dropped", Docx,
             docx("<w:p><w:r><w:t xml:space='preserve'>Page </w:t></w:r>" +
                  field(" PAGE ", "<w:r><w:t>3</w:t></w:r>") +
                  "<w:r><w:t xml:space='preserve'> of </w:t></w:r>" +
                  field(" NUMPAGES </w:instrText><w:tab/><w:t>x</w:t><w:instrText>", {}) +
                  field(" IF </w:instrText></w:r>" + field(" PAGE ", "<w:r><w:t>1</w:t></w:r>") +
                            "<w:r><w:instrText> = 1 ",
                        "<w:r><w:t>, yes, </w:t></w:r>") +
                  "<w:fldSimple w:instr=' PAGE '><w:r><w:t>7</w:t></w:r></w:fldSimple></w:p>"),
             u"Page 3 of , yes, 7"_s);
        text("docx hyphens, symbols, alternate content", Docx,
             docx("<w:p><w:r><w:t>non</w:t><w:noBreakHyphen/><w:t xml:space='preserve'>stop co"
                  "</w:t><w:softHyphen/><w:t>operate</w:t><w:sym w:font='Wingdings' w:char='F0FC'/>"
                  "<w:sym w:font='Symbol' w:char='zz'/><mc:AlternateContent><mc:Choice Requires="
                  "'w14'><w:t>new</w:t></mc:Choice><mc:Fallback><w:t>old</w:t></mc:Fallback>"
                  "</mc:AlternateContent></w:r></w:p>"),
             u"non-stop cooperate\uF0FCnew"_s);
        text("docx written by python3-docx", Docx, fixture("transcript.docx"), kFixtureText);
        const QByteArray main = documentXml(paragraph("main"));
        text("docx main part through its relationship", Docx,
             zipped({{"_rels/.rels", relationships("/custom/./deep/real%20one.xml")},
                     {"custom/deep/real one.xml", main},
                     {"word/document.xml", documentXml(paragraph("other"))}}),
             u"main"_s);
        text("docx main part through its content type", Docx,
             zipped(
                 {{"[Content_Types].xml", contentTypes("/doc/main.xml")}, {"doc/main.xml", main}}),
             u"main"_s);
        refused("docx not a zip", Docx, "1\n00:00:01,000 --> 00:00:02,000\n", NotADocument);
        refused("docx without a main part", Docx, zipped({{"readme.txt", "hi"}}), NotADocument);
        refused("docx another kind of package", Docx,
                zipped({{"_rels/.rels", relationships("xl/workbook.xml")},
                        {"xl/workbook.xml", "<workbook xmlns='urn:sheet'/>"}}),
                NotADocument);
        refused("docx broken XML", Docx, docx("<w:p><w:t>a</w:p>"), Damaged);
        refused("docx cut short", Docx, zipped({{"word/document.xml", main.chopped(20)}}), Damaged);

        // Limits: the text may hold 50 characters, line breaks included.
        const QByteArray fifty(50, 'x');
        text("docx text at the limit", Docx, docx(paragraph(fifty)), QString(50, u'x'),
             {100, 1 << 20});
        refused("docx text past the limit", Docx, docx(paragraph(fifty) + "<w:p/>"), TooLarge,
                {100, 1 << 20});
        const QByteArray bomb = documentXml(paragraph(QByteArray(20000, 'x')));
        refused("docx entry declared past the limit", Docx, zipped({{"word/document.xml", bomb}}),
                TooLarge, {1 << 20, bomb.size() - 1});
        // The entry's size as its local header and the central directory give it, made small.
        QByteArray understated = zipped({{"word/document.xml", bomb}});
        QByteArray size(4, '\0'), small(4, '\0');
        qToLittleEndian(quint32(bomb.size()), size.data());
        qToLittleEndian(quint32(100), small.data());
        QCOMPARE(understated.count(size), 2);
        understated.replace(size, small);
        refused("docx entry inflating past what it declares", Docx, understated, TooLarge,
                {1 << 20, 10000});
        qint64 all = 0;
        for (const auto &entry : wordPackage(paragraph(fifty)))
            all += entry.second.size();
        refused("docx every entry read counts", Docx, docx(paragraph(fifty)), TooLarge,
                {1 << 20, all - 1});

        text("doc control characters", Doc,
             doc(u"1\r00:00:01,000\rA\tB\x0B"
                 u"C\x0C"
                 u"D\x0E"
                 u"E\rA1\x07"
                 u"B1\x07\x07non\x1E"
                 u"stop co\x1F"
                 u"operate\u00A0\x01\x08\x05!\r\r"_s),
             u"1\n00:00:01,000\nA\tB\nC\nD\nE\nA1\nB1\n\nnon-stop cooperate\u00A0!\n"_s);
        text("doc field results kept, codes dropped", Doc,
             doc(u"Page \x13 PAGE \x14"
                 u"3\x15 of \x13 NUMPAGES \x15, \x13 IF \x13 PAGE \x14"
                 u"1\x15 = 1 \x14yes\x15\r"_s),
             u"Page 3 of , yes"_s);
        text("doc 8-bit pieces", Doc,
             WordFile{.pieces = {"\x93Quote\x94 ", "\x80 caf\xE9 \x81\r"}, .compressed = true}
                 .bytes(),
             u"\u201CQuote\u201D \u20AC caf\u00E9 \u0081"_s);
        text("doc main text only", Doc,
             WordFile{.pieces = {utf16(u"Main\rNote\r"_s)}, .mainTextLength = 5}.bytes(),
             u"Main"_s);
        text("doc table stream 0Table", Doc,
             WordFile{.pieces = {utf16(u"zero\r"_s)}, .flags = 0, .tableName = "0Table"}.bytes(),
             u"zero"_s);
        text("doc saved by LibreOffice", Doc, fixture("transcript.doc"), kFixtureDocText);
        text("doc text at the limit", Doc, doc(QString(49, u'x') + u'\r'), QString(49, u'x'),
             {100, 0});
        refused("doc text past the limit", Doc, doc(QString(50, u'x') + u'\r'), TooLarge, {100, 0});

        const QList<QByteArray> one{utf16(u"text\r"_s)};
        QByteArray headerless = doc(u"text\r"_s);
        headerless.replace(QByteArray("\xEC\xA5\xC1\x00", 4), QByteArray(4, '\0'));
        refused("doc not a compound file", Doc, "PK\x03\x04 not this either", NotADocument);
        refused("doc no WordDocument stream", Doc, compoundFile({{"Book", "data"}}), Damaged);
        refused("doc encrypted package", Doc, compoundFile({{"EncryptedPackage", "y"}}),
                Unsupported);
        refused("doc no Word header", Doc, headerless, Damaged);
        refused("doc Word 95", Doc, WordFile{.pieces = one, .version = 0x0068}.bytes(),
                Unsupported);
        refused("doc encrypted", Doc, WordFile{.pieces = one, .flags = 0x0300}.bytes(),
                Unsupported);
        refused("doc no table stream", Doc, WordFile{.pieces = one, .tableName = "0Table"}.bytes(),
                Damaged);
        refused("doc piece past the stream", Doc,
                WordFile{.pieces = one, .firstFc = 0x3FFFFF00}.bytes(), Damaged);
        refused("doc 8-bit piece past the stream", Doc,
                WordFile{.pieces = one, .firstFc = 0x7FFFFF00}.bytes(), Damaged);
        refused("doc pieces out of order", Doc,
                WordFile{.pieces = {utf16(u"ab"_s), utf16(u"cd\r"_s)},
                         .mainTextLength = 5,
                         .positions = QList<quint32>{0, 3, 2}}
                    .bytes(),
                Damaged);
        refused("doc piece table past the table stream", Doc,
                WordFile{.pieces = one, .clxLength = 100000}.bytes(), Damaged);
        refused("doc piece table cut short", Doc, WordFile{.pieces = one, .clxLength = 20}.bytes(),
                Damaged);

        // Either format; when neither reads, the .doc reader's error.
        text("either: docx", Either, fixture("transcript.docx"), kFixtureText);
        refused("either: damaged docx", Either, fixture("transcript.docx").left(2000),
                NotADocument);
    }

    void read()
    {
        QFETCH(int, reader);
        QFETCH(QByteArray, file);
        QFETCH(hb::DocumentTextLimits, limits);
        QFETCH(std::optional<hb::DocumentTextError>, code);
        QFETCH(QString, text);
        const auto read = reader == Docx  ? hb::DocxTextReader::read(file, limits)
                          : reader == Doc ? hb::DocTextReader::read(file, limits)
                                          : hb::DocumentTextReader::read(file, limits);
        if (!code) {
            QVERIFY2(read, qPrintable(read ? QString() : read.error().description));
            QCOMPARE(*read, text);
            return;
        }
        QVERIFY(!read);
        QCOMPARE(read.error().domain, u"documents"_s);
        QCOMPARE(read.error().code, int(*code));
        QVERIFY(!read.error().description.isEmpty());
        if (reader == Docx && code == hb::DocumentTextError::NotADocument)
            QVERIFY(read.error().description.startsWith(u"This is not a Word document (.docx)"_s));
        if (reader == Either)
            QCOMPARE(read.error(), hb::DocTextReader::read(file).error());
    }
};

QTEST_GUILESS_MAIN(TestDocumentTextReader)
#include "tst_DocumentTextReader.moc"
