#include "mogrt/FusionMacro.h"
#include "mogrt/MogrtConverter.h"
#include "platform/zip/ZipArchive.h"

#include <QDirIterator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <zip.h>

#include <tuple>

using namespace hb;
using namespace Qt::StringLiterals;
using Code = MogrtConverterError;

namespace {

struct Entry {
    QByteArray path; // a folder when it ends with "/"
    QByteArray data;
    bool symbolicLink = false;
};
using Entries = QList<Entry>;

enum Damage { None, FlipDataByte, ShrinkDeclaredSize }; // done to the last entry

bool writeArchive(const QString &path, const Entries &entries, zip_int32_t method)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (const Entry &entry : entries) {
        zip_source_t *source =
            zip_source_buffer(zip, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        const zip_int64_t index = entry.path.endsWith('/')
                                      ? zip_dir_add(zip, entry.path.constData(), 0)
                                      : zip_file_add(zip, entry.path.constData(), source, 0);
        if (index < 0 || entry.path.endsWith('/'))
            zip_source_free(source);
        const auto at = zip_uint64_t(index);
        if (index < 0 || zip_set_file_compression(zip, at, method, 0) != 0 ||
            (entry.symbolicLink && zip_file_set_external_attributes(zip, at, 0, ZIP_OPSYS_UNIX,
                                                                    (S_IFLNK | 0777) << 16))) {
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

bool damage(const QString &path, Damage how, const Entry &last)
{
    QFile file(path);
    if (how == None || !file.open(QIODevice::ReadWrite))
        return how == None;
    QByteArray bytes = file.readAll();
    if (how == FlipDataByte)
        bytes[bytes.indexOf(last.data)] ^= 1;
    else // the size in the local header and in the central directory says 10 bytes
        for (const auto &[signature, sizeAt, nameAt] :
             {std::tuple("PK\x03\x04"_ba, 22, 30), std::tuple("PK\x01\x02"_ba, 24, 46)}) {
            for (qsizetype at = 0; (at = bytes.indexOf(signature, at)) >= 0; ++at) {
                if (bytes.mid(at + nameAt, last.path.size()) == last.path)
                    bytes.replace(at + sizeAt, 4, QByteArray("\x0a\0\0\0", 4));
            }
        }
    return file.seek(0) && file.write(bytes) == bytes.size();
}

// The files and folders below `folder` as "path:size" and "path/".
QStringList contents(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString path = QDir(folder).relativeFilePath(info.filePath());
        found.append(info.isDir() ? QString(path + u'/')
                                  : path + u':' + QString::number(info.size()));
    }
    found.sort();
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Entries)

class TestMogrtConverter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { m_work = std::make_unique<QTemporaryDir>(m_root.filePath(u"work-XXXXXX"_s)); }
    void cleanup();
    void converts_data();
    void converts();
    void refusals_data();
    void refusals();
    void temporaryFolderFailure();
    void zipArchiveReads();

private:
    QTemporaryDir m_root;
    QString m_temp; // the system temporary folder, as the converter sees it
    std::unique_ptr<QTemporaryDir> m_work;
};

void TestMogrtConverter::initTestCase()
{
    m_temp = m_root.filePath(u"temp"_s);
    QVERIFY(QDir().mkpath(m_temp));
    qputenv("TMPDIR", QFile::encodeName(m_temp));
    QCOMPARE(QDir::tempPath(), m_temp);
}

void TestMogrtConverter::cleanup()
{
    const QStringList left = contents(m_temp);
    QDir(m_temp).removeRecursively(); // so that one failure does not spread to the next tests
    QDir().mkpath(m_temp);
    QCOMPARE(left, QStringList()); // every converter folder is gone
}

void TestMogrtConverter::converts_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("macroName");
    QTest::addColumn<QString>("text"); // of "Source Text", when the controls read

    const auto definition = [](const QByteArray &json) { return Entry{"definition.json", json}; };
    QTest::newRow("array") << u"Lower Third.mogrt"_s
                           << Entries{definition(
                                  R"({"clientControls":[{"name":"Source Text","value":"Hi"}]})")}
                           << u"Lower Third"_s << u"Hi"_s;
    QTest::newRow("one level down, folders, last extension")
        << u"My.Title.mogrt"_s
        << Entries{{"media/", {}},
                   {"media/clips/a.bin", QByteArray(70000, 'a')},
                   definition(R"({"clientControls":{"clientControls":[)"
                              R"({"displayName":"source TEXT","value":{"text":"N"}}]}})")}
        << u"My.Title"_s << u"N"_s;
    QTest::newRow("no controls") << u"x.mogrt"_s << Entries{definition("{}")} << u"x"_s
                                 << QString();
    QTest::newRow("one bad control, hidden name")
        << u".mogrt"_s
        << Entries{definition(R"({"clientControls":[{"name":"Source Text","value":"Hi"},)"
                              R"({"name":5}]})")}
        << u".mogrt"_s << QString();
}

void TestMogrtConverter::converts()
{
    QFETCH(QString, fileName);
    QFETCH(Entries, entries);
    QFETCH(QString, macroName);
    QFETCH(QString, text);

    const QString archive = m_work->filePath(fileName);
    QVERIFY(writeArchive(archive, entries, ZIP_CM_DEFLATE));
    const auto macro = convertMogrt(archive);
    QCOMPARE(macro ? QString() : macro.error().description, QString());
    const QList<MogrtControl> controls{{u"Source Text"_s, {}, ControlAnyValue{text}}};
    QCOMPARE(*macro, makeFusionMacro(macroName, text.isNull() ? QList<MogrtControl>() : controls));
    QVERIFY(macro->contains(u"\tMacroOperator = \""_s + macroName + u"\","_s));
}

void TestMogrtConverter::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes"); // the file as is; else the entries after "first"
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("damage");
    QTest::addColumn<int>("code");            // -1 for the definition's own errors
    QTest::addColumn<QString>("description"); // its start
    QTest::addColumn<QStringList>("left");    // what extraction leaves in "out", see contents()

    const auto row = [](const char *name, const Entries &entries, Code code, const QString &text,
                        Damage damage = None, const QStringList &left = {}) {
        QTest::newRow(name) << QByteArray() << entries << int(damage) << int(code) << text << left;
    };
    const auto outside = [](const QByteArray &path) -> QString {
        return u"The archive entry \""_s + QString::fromUtf8(path) +
               u"\" would be written outside the template's folder."_s;
    };
    for (const char *path : {"../x", "a/../../x", "a\\..\\..\\x", "/abs"})
        row(path, {{path, "x"}}, Code::UnsafeEntry, outside(path));
    row("empty path", {{"", "x"}}, Code::UnsafeEntry, u"The archive entry 1 has no path."_s);
    row("symbolic link", {{"link", "/etc", true}}, Code::UnsafeEntry,
        u"The archive entry \"link\" is a symbolic link."_s);
    row("too many entries", {{"a/", {}}, {"b", {}}, {"c", {}}}, Code::ArchiveTooLarge,
        u"The archive is too large: it has 4 entries, more than 3."_s);
    row("too many bytes", {{"a", QByteArray(96, 'a')}}, Code::ArchiveTooLarge,
        u"The archive is too large: its entries hold more than 100 bytes."_s);
    row("CRC mismatch", {{"a.png", "0123456789abcdef"}}, Code::ExtractFailed,
        u"Could not extract \"a.png\": CRC error"_s, FlipDataByte,
        {u"inner/"_s, u"inner/a.png:16"_s, u"inner/first:5"_s});
    row("declared size too small", {{"z/bomb", QByteArray(50000, 0)}}, Code::ExtractFailed,
        u"Could not extract \"z/bomb\": Zip archive inconsistent: \"z/bomb\" holds more than its "
        u"declared 10 bytes"_s,
        ShrinkDeclaredSize, {u"inner/"_s, u"inner/first:5"_s, u"inner/z/"_s, u"inner/z/bomb:0"_s});
    QTest::newRow("not a ZIP") << "PK\x03\x04 not really"_ba << Entries() << 0 << 1
                               << u"Could not open archive: Not a zip archive"_s << QStringList();
    row("no file", {}, Code::CannotOpenArchive, u"Could not open archive: No such file"_s);
    const QString noDefinition = u"The template has no \"definition.json\"."_s;
    row("no definition", {{"other.json", "{}"}}, Code::FileSystem, noDefinition);
    row("definition in a folder", {{"sub/definition.json", "{}"}}, Code::FileSystem, noDefinition);
    row("definition a folder", {{"definition.json/", {}}}, Code::FileSystem, noDefinition);
    row("definition not JSON", {{"definition.json", "{\"a\":"}}, Code(-1),
        u"The definition is not valid JSON: "_s);
}

void TestMogrtConverter::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Entries, entries);
    QFETCH(int, damage);
    QFETCH(int, code);
    QFETCH(QString, description);
    QFETCH(QStringList, left);

    const QString archive = m_work->filePath(u"t.mogrt"_s);
    QFile file(archive);
    if (!bytes.isEmpty())
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    entries.prepend({"first", "first"});
    if (bytes.isEmpty() && entries.size() > 1) {
        QVERIFY(
            writeArchive(archive, entries, damage == FlipDataByte ? ZIP_CM_STORE : ZIP_CM_DEFLATE));
        QVERIFY(::damage(archive, Damage(damage), entries.last()));
    }
    const ArchiveLimits limits{100, 3};

    const auto converted = convertMogrt(archive, limits);
    QVERIFY(!converted);
    const Error &error = converted.error();
    QCOMPARE(error.domain == u"MogrtDefinition"_s ? -1 : error.code, code);
    QVERIFY2(error.description.startsWith(description), qPrintable(error.description));

    // Straight into a folder: what was written before a failure stays, nothing lands outside.
    const QString out = m_work->filePath(u"out/inner"_s);
    const auto extracted = extractArchive(archive, out, limits);
    QCOMPARE(extracted ? Error() : extracted.error(),
             code == -1 || code == int(Code::FileSystem) ? Error() : error);
    if (!extracted) // anything climbing out of "inner" would land in "out"
        QCOMPARE(contents(m_work->filePath(u"out"_s)), left);
}

void TestMogrtConverter::temporaryFolderFailure()
{
    // A file where the folder should go: the converter stops before opening the archive.
    const QString blocked = m_work->filePath(u"file"_s);
    QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
    qputenv("TMPDIR", QFile::encodeName(blocked));
    const auto restore = qScopeGuard([&] { qputenv("TMPDIR", QFile::encodeName(m_temp)); });
    const auto converted = convertMogrt(m_work->filePath(u"missing.mogrt"_s));
    QVERIFY(!converted);
    QCOMPARE(converted.error().code, int(Code::FileSystem));
    QVERIFY(converted.error().description.startsWith(u"The temporary folder \""_s + blocked));
}

void TestMogrtConverter::zipArchiveReads()
{
    const QString path = m_work->filePath(u"a.zip"_s);
    const QByteArray data(40000, 'd');
    QVERIFY(writeArchive(path, {{"dir/", {}}, {"dir/a", data}}, ZIP_CM_DEFLATE));
    const auto zip = ZipArchive::open(path);
    QCOMPARE(zip->indexOf(u"dir/a"_s), std::optional<qint64>(1));
    QCOMPARE(zip->indexOf(u"DIR/A"_s), std::nullopt);
    QCOMPARE(*zip->readAll(1, 40000), data);
    QCOMPARE(zip->readAll(1, 39999).error().code, ZIP_ER_CANCELLED);
}

QTEST_APPLESS_MAIN(TestMogrtConverter)
#include "tst_MogrtConverter.moc"
