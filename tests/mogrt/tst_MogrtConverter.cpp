#include "FusionLuaCheck.h"
#include "TestTemplate.h"
#include "mogrt/FusionMacro.h"
#include "mogrt/MogrtConverter.h"
#include "mogrt/MogrtDefinition.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;
using namespace hb::test;
using Code = MogrtConverterError;

namespace {

// What lies below `folder`: "path/" for a folder, "path:size" for a file.
QStringList contents(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        found.append(QDir(folder).relativeFilePath(info.filePath()) +
                     (info.isDir() ? u"/"_s : u':' + QString::number(info.size())));
    }
    found.sort();
    return found;
}

} // namespace

Q_DECLARE_METATYPE(hb::test::Entries)

class TestMogrtConverter : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_temp; // the system temporary folder, as the converter sees it
    std::unique_ptr<QTemporaryDir> m_work;

private Q_SLOTS:
    void initTestCase()
    {
        m_temp = m_root.filePath(u"temp"_s);
        QVERIFY(QDir().mkpath(m_temp));
        qputenv("TMPDIR", QFile::encodeName(m_temp));
        QCOMPARE(QDir::tempPath(), m_temp);
    }

    void init() { m_work = std::make_unique<QTemporaryDir>(m_root.filePath(u"work-XXXXXX"_s)); }

    void cleanup()
    {
        const QStringList left = contents(m_temp);
        QDir(m_temp).removeRecursively(); // so that one failure does not spread to the next tests
        QDir().mkpath(m_temp);
        QCOMPARE(left, QStringList()); // every converter folder is gone
    }

    void converts_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("macroName"); // the file name without its last extension
        QTest::newRow("last extension") << u"My.Title.mogrt"_s << u"My.Title"_s;
        QTest::newRow("hidden name") << u".mogrt"_s << u".mogrt"_s;
    }

    void converts()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, macroName);
        const QString archive = m_work->filePath(fileName);
        const QByteArray definition = R"({"clientControls":[{"name":"Source Text","value":"Hi"}]})";
        QVERIFY(writeArchive(archive, {{"media/", {}},
                                       {"media/clips/a.bin", QByteArray(70000, 'a')},
                                       {"definition.json", definition}}));
        const auto macro = convertMogrt(archive, {70000 + definition.size(), 3}); // at the limits
        const QList<MogrtControl> controls{{u"Source Text"_s, {}, ControlAnyValue{u"Hi"_s}}};
        QCOMPARE(macro ? *macro : macro.error().description, makeFusionMacro(macroName, controls));
    }

    // Templates in the shapes motion-graphics apps export give the macro of the same controls in
    // plain shapes, at the frame size of their definition.
    void convertsExportedTemplates_data()
    {
        QTest::addColumn<QByteArray>("definition");
        QTest::addColumn<QByteArray>("plainControls");
        QTest::addColumn<QSizeF>("frame");
        QTest::addColumn<qsizetype>("recognised");
        QTest::addColumn<QString>("templateName");
        const auto loc = [](const char *text) -> QByteArray {
            return QByteArray("{\"strDB\":[{\"localeString\":\"fr_FR\",\"str\":\"x\"},"
                              "{\"localeString\":\"en_US\",\"str\":\"") +
                   text + "\"}]}";
        };
        const QByteArray grouped =
            R"({"capsuleNameLocalized":)" + loc("Lower Third 2") +
            R"(,"sourceInfoLocalized":{"en_US":{"framesize":{"size":{"x":3840,"y":2160}}}},)"
            R"("clientControls":[{"id":"g","type":8,"uiName":)" +
            loc("Layout") + R"(,"value":["p","s","r","i"]},{"id":"p","type":5,"uiName":)" +
            loc("Position") + R"(,"value":[2880,540]},{"id":"s","type":2,"uiName":)" +
            loc("Scale") + R"(,"value":150},{"id":"r","type":2,"uiName":)" + loc("Rotation") +
            R"(,"value":-12.5},{"id":"i","type":1,"uiName":)" + loc("Text Italics") +
            R"(,"value":true}]})";
        QTest::newRow("group of position and sliders in a 4K frame")
            << grouped
            << QByteArray(R"([{"name":"Position","value":{"x":2880,"y":540}},)"
                          R"({"name":"Scale","value":150},{"name":"Rotation","value":-12.5},)"
                          R"({"name":"Text Italics","value":true}])")
            << QSizeF(3840, 2160) << qsizetype(4) << u"Lower Third 2"_s;
        const QByteArray unknown = R"({"clientControls":[{"type":6,"uiName":)" + loc("Headline") +
                                   R"(,"value":)" + loc("Hi") + "}]}";
        QTest::newRow("no known control")
            << unknown << QByteArray("[]") << QSizeF(1920, 1080) << qsizetype(0) << QString();
    }

    void convertsExportedTemplates()
    {
        QFETCH(QByteArray, definition);
        QFETCH(QByteArray, plainControls);
        QFETCH(QSizeF, frame);
        QFETCH(qsizetype, recognised);
        QFETCH(QString, templateName);
        const QString archive = m_work->filePath(u"Exported.mogrt"_s);
        QVERIFY(writeArchive(archive, {{"definition.json", definition}}));
        const auto plain =
            MogrtDefinition::decode(QByteArray("{\"clientControls\":" + plainControls + "}"));
        QVERIFY(plain && plain->clientControls);
        MogrtConversionNotes notes;
        const auto macro = convertMogrt(archive, {}, &notes);
        QCOMPARE(macro ? *macro : macro.error().description,
                 makeFusionMacro(u"Exported"_s, *plain->clientControls, frame));
        QCOMPARE(checkFusionMacro(*macro), QString()); // as Fusion reads it
        QCOMPARE(notes.recognisedControls, recognised);
        QCOMPARE(notes.templateName.value_or(QString()), templateName);
    }

    void refusals_data()
    {
        QTest::addColumn<Entries>("entries");      // after "first"
        QTest::addColumn<QByteArrayList>("patch"); // see writeArchive()
        QTest::addColumn<Error>("kind");           // the domain and code expected
        QTest::addColumn<QString>("description");  // its start
        QTest::addColumn<QStringList>("left"); // what extraction leaves in "out", see contents()

        const auto row = [](const char *tag, const Entries &entries, Code code, const QString &text,
                            const QByteArrayList &patch = {}, const QStringList &left = {}) {
            QTest::newRow(tag) << entries << patch << Error::make(code, {}) << text << left;
        };
        for (const char *path : {"../x", "a/../../x", "a\\..\\..\\x", "/abs"})
            row(path, {{path, "x"}}, Code::UnsafeEntry,
                u"The archive entry \"%1\" would be written outside"_s.arg(QLatin1String(path)));
        row("empty path", {{"", "x"}}, Code::UnsafeEntry, u"The archive entry 1 has no path."_s);
        row("symbolic link", {{"link", "/etc", true}}, Code::UnsafeEntry,
            u"The archive entry \"link\" is a symbolic link."_s);
        row("too many entries", {{"a/", {}}, {"b", {}}, {"c", {}}}, Code::ArchiveTooLarge,
            u"The archive is too large: it has 4 entries, more than 3."_s);
        row("too many bytes", {{"a", QByteArray(96, 'a')}}, Code::ArchiveTooLarge,
            u"The archive is too large: its entries hold more than 100 bytes."_s);
        row("CRC mismatch", {{"a.png", "0123456789abcdef"}}, Code::ExtractFailed,
            u"Could not extract \"a.png\": CRC error"_s, {"33f0c468", "34f0c468"}, // its CRC-32
            {u"inner/"_s, u"inner/a.png:16"_s, u"inner/first:5"_s});
        row("declared size too small", {{"z/bomb", QByteArray(50000, 0)}}, Code::ExtractFailed,
            u"Could not extract \"z/bomb\": Zip archive inconsistent: \"z/bomb\" holds more than "
            u"its declared 10 bytes"_s,
            {"50c30000", "0a000000"}, // 50000 bytes, declared as 10
            {u"inner/"_s, u"inner/first:5"_s, u"inner/z/"_s, u"inner/z/bomb:0"_s});
        row("not a ZIP: no end of central directory", {}, Code::CannotOpenArchive,
            u"Could not open archive: Not a zip archive"_s, {"504b0506", "504b0507"});
        for (const char *path : {"other.json", "sub/definition.json", "definition.json/"})
            row(path, {{path, "{}"}}, Code::FileSystem,
                u"The template has no \"definition.json\"."_s);
        QTest::newRow("definition not JSON")
            << Entries{{"definition.json", "{\"a\":"}} << QByteArrayList()
            << Error::make(MogrtDefinitionError::InvalidJson, {})
            << u"The definition is not valid JSON: "_s << QStringList();
    }

    void refusals()
    {
        QFETCH(Entries, entries);
        QFETCH(QByteArrayList, patch);
        QFETCH(Error, kind);
        QFETCH(QString, description);
        QFETCH(QStringList, left);
        const QString archive = m_work->filePath(u"t.mogrt"_s);
        QVERIFY(writeArchive(archive, Entries{{"first", "first"}} + entries, patch));
        const ArchiveLimits limits{100, 3};
        const auto converted = convertMogrt(archive, limits);
        const Error error = converted ? Error() : converted.error();
        QCOMPARE(error.domain, kind.domain);
        QCOMPARE(error.code, kind.code);
        QVERIFY2(error.description.startsWith(description), qPrintable(error.description));

        // Straight into a folder: what was written before a failure stays, nothing lands outside.
        const auto extracted = extractArchive(archive, m_work->filePath(u"out/inner"_s), limits);
        QCOMPARE(extracted ? Error() : extracted.error(),
                 kind.domain != errorDomain(Code{}) || kind.is(Code::FileSystem) ? Error() : error);
        if (!extracted) // anything climbing out of "inner" would land in "out"
            QCOMPARE(contents(m_work->filePath(u"out"_s)), left);
    }
};

QTEST_APPLESS_MAIN(TestMogrtConverter)
#include "tst_MogrtConverter.moc"
