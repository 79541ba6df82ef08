#include "CompoundFile.h"
#include "platform/documents/DocumentTextReader.h"
#include "platform/documents/DocxTextReader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

#include <gsf/gsf-utils.h>
#include <zip.h>

#include <atomic>
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

QByteArray utf16(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

// A package with `xml` as its main part, whatever it holds.
QByteArray withMainPart(const QByteArray &xml)
{
    return zipped({{"[Content_Types].xml", contentTypes("/word/document.xml")},
                   {"_rels/.rels", relationships("word/document.xml")},
                   {"word/document.xml", xml}});
}

// The main part nesting `depth` elements, each opened by `open` and closed by `close`.
QByteArray nested(int depth, const QByteArray &open, const QByteArray &close)
{
    return documentXml("<w:p>" + open.repeated(depth) + close.repeated(depth) + "</w:p>");
}

// A valid body of many paragraphs whose markup a scanner could misread: quotes and ">" in
// attribute values, comments, processing instructions, CDATA, entities and self-closed tags. It
// spans many of the chunks the part is inflated in.
std::pair<QByteArray, QString> trickyBody(int paragraphs)
{
    QByteArray body;
    QString text;
    for (int i = 0; i < paragraphs; ++i) {
        const QByteArray n = QByteArray::number(i);
        body += "<w:p><w:pPr><w:pStyle w:val='a>\"b' /></w:pPr><!-- a -> b - --><?pi ?x> ?>"
                "<w:r w:rsidR=\"x'>\"><w:t xml:space = 'preserve'>" +
                n + " &lt;&amp;&#x263A;</w:t><w:t><![CDATA[<w:t>]]]]></w:t><w:tab/></w:r></w:p>";
        if (i > 0)
            text += u'\n';
        text += QString::fromLatin1(n) + u" <&\u263A<w:t>]]\t"_s;
    }
    return {documentXml(body), text};
}

QByteArray utf16Xml(const QByteArray &xml)
{
    const QString text =
        QString::fromUtf8(xml).replace(u"encoding='UTF-8'"_s, u"encoding='UTF-16'"_s);
    return QByteArray("\xFF\xFE", 2) + utf16(text);
}

QByteArray paragraph(const QByteArray &text)
{
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

// A paragraph whose own mark has `properties` (a tracked change among them, perhaps).
QByteArray markedParagraph(const QByteArray &properties, const QByteArray &content)
{
    return "<w:p><w:pPr><w:pStyle w:val='Normal'/><w:rPr>" + properties + "</w:rPr></w:pPr>" +
           content + "</w:p>";
}

QByteArray run(const QByteArray &text)
{
    return "<w:r><w:t>" + text + "</w:t></w:r>";
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

enum Reader { Docx, Either };

} // namespace

Q_DECLARE_METATYPE(hb::DocumentTextLimits)
Q_DECLARE_METATYPE(hb::DocumentTextError)

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
        // A deleted paragraph mark joins its paragraph to the next, as accepting it would.
        const QByteArray deleted = "<w:del w:id='9' w:author='E' w:date='2024-01-02T03:04:05Z'/>";
        text("docx deleted and moved-away paragraph marks join lines", Docx,
             docx(markedParagraph(deleted, run("one")) +
                  markedParagraph("<w:moveFrom w:id='8' w:author='E'/>", run("two")) +
                  paragraph("three") + markedParagraph("<w:b/>" + deleted, {}) + paragraph("four")),
             u"onetwothree\nfour"_s);
        text("docx a deleted line leaves no line", Docx,
             docx(paragraph("a") +
                  markedParagraph(deleted, "<w:del w:id='10'><w:r><w:delText>gone</w:delText>"
                                           "</w:r></w:del>") +
                  paragraph("b")),
             u"a\nb"_s);
        text("docx paragraph marks not deleted end their lines", Docx,
             docx(markedParagraph("<w:ins w:id='1'/>", run("inserted")) +
                  markedParagraph("<w:b/><w:rPrChange w:id='2'><w:rPr>" + deleted +
                                      "</w:rPr></w:rPrChange>",
                                  run("formerly")) +
                  "<w:p><w:del w:id='3'><w:r><w:delText>only text</w:delText></w:r></w:del></w:p>"
                  "<w:p><w:r><mc:AlternateContent><mc:Choice Requires='w14'><w:t>box</w:t>"
                  "</mc:Choice><mc:Fallback><w:pict>" +
                  markedParagraph(deleted, run("old box")) +
                  "</w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>" + paragraph("end")),
             u"inserted\nformerly\n\nbox\nend"_s);
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

        // Either format, told apart by the first bytes.
        text("either: docx", Either, fixture("transcript.docx"), kFixtureText);
        text("either: doc", Either, fixture("transcript.doc"), kFixtureDocText);
        const auto [tricky, trickyText] = trickyBody(20000);
        text("either: markup a scanner could misread, over many chunks", Either,
             withMainPart(tricky), trickyText);
        text("either: a UTF-16 main part", Either, withMainPart(utf16Xml(tricky)), trickyText);
        text("either: a hostile relationships part is passed over", Either,
             zipped({{"_rels/.rels", "<!DOCTYPE r [<!ENTITY a 'aaaa'>]><r>&a;</r>"},
                     {"word/document.xml", main}}),
             u"main"_s);
    }

    void read()
    {
        QFETCH(int, reader);
        QFETCH(QByteArray, file);
        QFETCH(hb::DocumentTextLimits, limits);
        QFETCH(std::optional<hb::DocumentTextError>, code);
        QFETCH(QString, text);
        const auto read = reader == Docx ? hb::DocxTextReader::read(file, limits)
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
    }

    // What the reader of either format says when it reads nothing. Hostile parts are refused
    // while they stream, by the bound they pass, before the XML reader has to hold them.
    void refusal_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<hb::DocumentTextLimits>("limits");
        QTest::addColumn<hb::DocumentTextError>("code");
        QTest::addColumn<QString>("description"); // ends with "…" when only its start is known

        const auto row = [](const char *name, const QByteArray &file, hb::DocumentTextError code,
                            const QString &description, hb::DocumentTextLimits limits = {}) {
            QTest::newRow(name) << file << limits << code << description;
        };
        const auto damaged = [](const QString &why) {
            return u"The document is damaged: %1 (in \"word/document.xml\")."_s.arg(why);
        };
        const QString notWord = u"This is not a Word document (.docx or .doc)."_s;
        const QString longRun = u"The document is larger than 16 MB in one run of text."_s;
        const QByteArray run(16'000'001, 'x');
        using enum hb::DocumentTextError;

        row("random bytes", QByteArray(4096, '\x5A'), NotADocument, notWord);
        row("empty file", {}, NotADocument, notWord);
        row("zip without a Word part", zipped({{"readme.txt", "hi"}}), NotADocument, notWord);
        row("spreadsheet package",
            zipped({{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.xml", "<workbook/>"}}),
            NotADocument, notWord);
        row("compound file without a Word stream", hb::test::compoundFile({{"Book", "data"}}),
            NotADocument, notWord);
        row("encrypted docx", hb::test::compoundFile({{"EncryptedPackage", "y"}}), Unsupported,
            u"The document is password-protected."_s);
        row("docx cut short", fixture("transcript.docx").left(2000), Damaged,
            u"The document is damaged: its ZIP package cannot be opened …"_s);
        QByteArray noise(100000, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char &c : noise)
            c = char('a' + random.bounded(26));
        QByteArray corrupt = zipped({{"word/document.xml", documentXml(paragraph(noise))}});
        corrupt.replace(corrupt.size() / 2, 16, QByteArray(16, '\xFF'));
        row("docx part with damaged data", corrupt, Damaged, u"The document is damaged: …"_s);
        row("docx broken XML", zipped(wordPackage("<w:p><w:t>a</w:p>")), Damaged,
            u"The document is damaged: its XML is not well-formed at line 1, column …"_s);
        row("docx unpacking past the limit", zipped(wordPackage(paragraph("a"))), TooLarge,
            u"The document is larger than 100 bytes."_s, {1000, 100});

        row("text run", withMainPart(documentXml(paragraph(run))), TooLarge, longRun);
        row("deleted run",
            withMainPart(documentXml("<w:p><w:del><w:r><w:delText>" + run +
                                     "</w:delText></w:r></w:del></w:p>")),
            TooLarge, longRun);
        row("CDATA section",
            withMainPart(documentXml("<w:p><w:r><w:t><![CDATA[" + run.left(1'000'000) +
                                     "]]></w:t></w:r></w:p>")),
            Damaged, damaged(u"a CDATA section in its XML is longer than 1 MB"_s));
        row("text run in UTF-16",
            withMainPart(utf16Xml(documentXml(paragraph(run.left(8'000'001))))), TooLarge, longRun);
        row("attribute value",
            withMainPart(documentXml("<w:p w:x='" + QByteArray(1'000'000, 'v') + "'/>")), Damaged,
            damaged(u"a tag in its XML is longer than 1 MB"_s));
        row("element name", withMainPart(documentXml("<w:" + QByteArray(1000, 'n') + "/>")),
            Damaged, damaged(u"a name in its XML is longer than 1 kB"_s));
        row("attribute name", withMainPart(documentXml("<w:p " + QByteArray(1001, 'n') + "=''/>")),
            Damaged, damaged(u"a name in its XML is longer than 1 kB"_s));
        QByteArray attributes;
        for (int i = 0; i <= 512; ++i)
            attributes += " a" + QByteArray::number(i) + "=''";
        row("attributes of one element", withMainPart(documentXml("<w:p" + attributes + "/>")),
            Damaged, damaged(u"an element in its XML has more than 512 attributes"_s));
        row("nesting", withMainPart(nested(4095, "<w:r>", "</w:r>")), Damaged,
            damaged(u"the elements of its XML nest more than 4096 deep"_s));
        row("tags of the open elements",
            withMainPart(nested(17, "<w:r w:x='" + QByteArray(999'000, 'v') + "'>", "</w:r>")),
            Damaged, damaged(u"the open elements of its XML have tags of more than 16 MB"_s));
        row("namespace declarations in scope",
            withMainPart(nested(1100, "<w:r xmlns:a='urn:a'>", "</w:r>")), Damaged,
            damaged(u"its XML has more than 1024 namespace declarations in scope"_s));
        row("comment", withMainPart(documentXml("<!--" + QByteArray(1'000'000, 'c') + "-->")),
            Damaged, damaged(u"a comment or instruction in its XML is longer than 1 MB"_s));
        row("processing instruction",
            withMainPart(documentXml("<?pi " + QByteArray(1'000'000, 'c') + "?>")), Damaged,
            damaged(u"a comment or instruction in its XML is longer than 1 MB"_s));
        row("entity expansion",
            withMainPart(documentXml(paragraph("&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"))
                             .replace("standalone='yes'?>",
                                      "standalone='yes'?><!DOCTYPE w:document [<!ENTITY a "
                                      "'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;'>]>")),
            Damaged, damaged(u"its XML declares a document type, which may define entities"_s));
        row("declared encoding the bytes are not in",
            withMainPart(QByteArray(documentXml(paragraph("a"))).replace("UTF-8", "UTF-16")),
            Damaged, damaged(u"its XML is in an encoding this reader does not take (UTF-16)"_s));
        row("encoding hidden in a long declaration",
            withMainPart(QByteArray(documentXml(paragraph("a")))
                             .replace("encoding", QByteArray(QByteArray(600, ' ') + "encoding"))),
            Damaged, damaged(u"its XML declaration is longer than 512 characters"_s));
        const QString wide = QString::fromUtf8(documentXml(paragraph("a")));
        QByteArray utf32(wide.size() * 4, '\0');
        for (qsizetype i = 0; i < wide.size(); ++i)
            utf32[4 * i] = char(wide.at(i).unicode());
        row("UTF-32", withMainPart(utf32), Damaged,
            damaged(u"its XML is in an encoding this reader does not take (UTF-32)"_s));

        static const std::atomic_bool cancelled = true;
        row("cancelled", fixture("transcript.docx"), Cancelled,
            u"The document was not read to the end."_s, {.cancelled = &cancelled});
    }

    void refusal()
    {
        QFETCH(QByteArray, file);
        QFETCH(hb::DocumentTextLimits, limits);
        QFETCH(hb::DocumentTextError, code);
        QFETCH(QString, description);
        const auto read = hb::DocumentTextReader::read(file, limits);
        QVERIFY2(!read, qPrintable(read ? read->left(80) : QString()));
        const QString actual = read.error().description;
        if (description.endsWith(u'…'))
            QVERIFY2(actual.startsWith(description.chopped(1)), qPrintable(actual));
        else
            QCOMPARE(actual, description);
        QCOMPARE(read.error().code, int(code));
    }
};

QTEST_GUILESS_MAIN(TestDocumentTextReader)
#include "tst_DocumentTextReader.moc"
