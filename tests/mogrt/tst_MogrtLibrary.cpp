#include "TestTemplate.h"
#include "mogrt/FusionMacro.h"
#include "mogrt/MogrtConvertCommand.h"
#include "mogrt/MogrtImport.h"
#include "mogrt/MogrtLibrary.h"
#include "mogrt/MogrtLibraryModel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList names(const QList<LibraryItem> &items)
{
    QStringList result;
    for (const LibraryItem &item : items)
        result.append(item.displayName);
    return result;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList temporaryFolders()
{
    return QDir::temp().entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class TestMogrtLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A private home: the desktop trash is in a temporary folder.
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"data"_s)));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_library = std::make_unique<MogrtLibrary>(
            [path = m_dir->path()]() -> Expected<QString> { return path; });
    }

    void listsSettingFilesInOrder()
    {
        for (const QString &name :
             {u"b.setting"_s, u"A.setting"_s, u"c.setting"_s, u"Other.SETTING"_s, u"notes.txt"_s,
              u".hidden.setting"_s, u"\u00C9clair.setting"_s, u"E\u0301t\u00E9.setting"_s,
              u"Z.setting"_s})
            touch(m_dir->filePath(name));
        QVERIFY(QDir(m_dir->path()).mkdir(u"folder.setting"_s));

        const auto items = m_library->load();
        QVERIFY(items);
        // Lower-cased and composed, then by scalar value: "é" (U+00E9) sorts after "z".
        QCOMPARE(names(*items), (QStringList{u"A"_s, u"b"_s, u"c"_s, u"Other"_s, u"Z"_s,
                                             u"\u00C9clair"_s, u"E\u0301t\u00E9"_s}));
        QCOMPARE(items->first().fileURL, m_dir->filePath(u"A.setting"_s));
        QCOMPARE(items->first().id, items->first().fileURL);
    }

    void numbersTakenNames()
    {
        QStringList stored;
        for (int i = 0; i < 3; ++i) {
            const auto path = m_library->store(u"Title"_s, u"macro \u00E9"_s);
            QVERIFY(path);
            stored.append(QFileInfo(*path).fileName());
        }
        QCOMPARE(stored,
                 (QStringList{u"Title.setting"_s, u"Title 2.setting"_s, u"Title 3.setting"_s}));
        QCOMPARE(names(*m_library->load()), (QStringList{u"Title"_s, u"Title 2"_s, u"Title 3"_s}));
        QFile file(m_dir->filePath(u"Title 2.setting"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "macro \xc3\xa9"_ba); // UTF-8, no byte-order mark
        QCOMPARE(QFileInfo(*m_library->store({}, u"x"_s)).fileName(), u"Untitled.setting"_s);
    }

    void renames_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("result"); // the file name after, or the error's start
        QTest::newRow("new name") << u"  Lower Third "_s << u"Lower Third.setting"_s;
        QTest::newRow("same name") << u"Title"_s << u"Title.setting"_s;
        QTest::newRow("taken") << u"Other"_s << u"\u201COther\u201D already exists."_s;
        QTest::newRow("blank") << u" "_s << u"A name cannot be empty."_s;
        QTest::newRow("slash") << u"a/b"_s << u"\u201Ca/b\u201D cannot be used as a name."_s;
    }

    void renames()
    {
        QFETCH(QString, newName);
        QFETCH(QString, result);
        touch(m_dir->filePath(u"Title.setting"_s), "macro");
        touch(m_dir->filePath(u"Other.setting"_s), "other");

        const auto renamed = m_library->rename(m_dir->filePath(u"Title.setting"_s), newName);
        if (result.endsWith(u".setting"_s)) {
            QVERIFY(renamed);
            QCOMPARE(*renamed, m_dir->filePath(result));
            QFile file(*renamed);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), "macro"_ba);
        } else {
            QVERIFY(!renamed);
            QCOMPARE(renamed.error().description, result);
            QVERIFY(QFile::exists(m_dir->filePath(u"Title.setting"_s)));
        }
        QVERIFY(QFile::exists(m_dir->filePath(u"Other.setting"_s)));
    }

    // The macro in a renamed file is renamed too, written whole; other text stays as it was.
    void renamesTheMacroInside_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("a macro") << makeFusionMacro(u"Title"_s, {});
        QTest::newRow("a macro by hand") << u"{\n\tTools = ordered() {\n\t\tTitle = "
                                            u"MacroOperator {\n\t\t},\n\t},\n\tActiveTool = "
                                            u"\"Title\"\n}"_s;
        QTest::newRow("not a macro") << u"Title = 1 -- a note"_s;
        QTest::newRow("empty") << QString();
    }

    void renamesTheMacroInside()
    {
        QFETCH(QString, text);
        const QString before = m_dir->filePath(u"Title.setting"_s);
        touch(before, text.toUtf8());
        const auto renamed = m_library->rename(before, u"Lower Third 2"_s);
        QVERIFY(renamed);
        const QString after = QString::fromUtf8(contents(*renamed));
        const auto expected = renameFusionMacro(text, u"Lower Third 2"_s);
        QCOMPARE(after, expected.value_or(text));
        if (expected && *expected != text)
            QVERIFY2(after.contains(fusionToolName(u"Lower Third 2"_s)), qPrintable(after));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"Lower Third 2.setting"_s}); // nothing else written beside it
    }

    void installsIntoFusion_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QByteArray>("there"); // a file of that name in Fusion's folder
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("error"); // empty when it installs
        const QString missing = u"Fusion\u2019s folder for titles \u201C"_s;
        QTest::newRow("installs") << true << QByteArray() << false << QString();
        QTest::newRow("no Fusion folder") << false << QByteArray() << false << missing;
        QTest::newRow("taken") << true << "old"_ba << false
                               << u"\u201CTitle.setting\u201D is already in Fusion."_s;
        QTest::newRow("taken, replaced") << true << "old"_ba << true << QString();
    }

    void installsIntoFusion()
    {
        QFETCH(bool, folderExists);
        QFETCH(QByteArray, there);
        QFETCH(bool, replace);
        QFETCH(QString, error);
        const QString fusion = MogrtLibrary::fusionTitlesFolder();
        QCOMPARE(fusion, m_home.filePath(u"data/DaVinciResolve/Fusion/Templates/Edit/Titles"_s));
        QDir(m_home.filePath(u"data/DaVinciResolve"_s)).removeRecursively();
        if (folderExists)
            QVERIFY(QDir().mkpath(fusion));
        if (!there.isEmpty())
            touch(fusion + u"/Title.setting"_s, there);
        const QByteArray macro = "{ Tools = ordered() {} }\n\xc3\xa9";
        touch(m_dir->filePath(u"Title.setting"_s), macro);

        const auto installed =
            m_library->installIntoFusion(m_dir->filePath(u"Title.setting"_s), replace);
        if (error.isEmpty()) {
            QVERIFY2(installed, installed ? "" : qPrintable(installed.error().description));
            QCOMPARE(*installed, fusion + u"/Title.setting"_s);
            QCOMPARE(contents(*installed), macro);
            QCOMPARE(QDir(fusion).entryList(QDir::Files | QDir::Hidden),
                     QStringList{u"Title.setting"_s});
        } else {
            QVERIFY(!installed);
            QVERIFY2(installed.error().description.startsWith(error),
                     qPrintable(installed.error().description));
            QCOMPARE(installed.error().is(MogrtLibraryError::NameTaken), !there.isEmpty());
            QCOMPARE(QFileInfo::exists(fusion), folderExists); // never made here
            if (!there.isEmpty())
                QCOMPARE(contents(fusion + u"/Title.setting"_s), there);
        }
        QCOMPARE(contents(m_dir->filePath(u"Title.setting"_s)), macro);
    }

    void removeAndFolderFailures()
    {
        touch(m_dir->filePath(u"Last.setting"_s));
        QVERIFY(m_library->remove(m_dir->filePath(u"Last.setting"_s)));
        QCOMPARE(m_library->load()->size(), 0);
        QVERIFY(!m_library->remove(m_dir->filePath(u"Last.setting"_s)));

        const MogrtLibrary gone(
            [path = m_dir->filePath(u"missing"_s)]() -> Expected<QString> { return path; });
        const auto loaded = gone.load();
        QVERIFY(!loaded && loaded.error().is(MogrtLibraryError::FolderUnavailable));
        QVERIFY(!gone.store(u"x"_s, u"y"_s));
    }

    void trashAndRestore_data()
    {
        QTest::addColumn<bool>("nameTaken"); // a new file has the name when it is restored
        QTest::newRow("restored") << false;
        QTest::newRow("name taken") << true;
    }

    void trashAndRestore()
    {
        QFETCH(bool, nameTaken);
        const QString path = m_dir->filePath(u"Lower Third.setting"_s);
        const QByteArray bytes = "{ Tools = ordered() { Title = TextPlus {} } }\n\xc3\xa9"_ba;
        touch(path, bytes);

        const auto trashed = m_library->moveToTrash(path);
        QVERIFY(trashed);
        QVERIFY(!QFile::exists(path));
        const QString trashFiles = m_home.filePath(u"data/Trash/files"_s);
        QCOMPARE(QFileInfo(*trashed).absolutePath(), trashFiles);
        const QString info = m_home.filePath(u"data/Trash/info/"_s) +
                             QFileInfo(*trashed).fileName() + u".trashinfo"_s;
        // The original path, percent-encoded or not (Qt 6.4 writes it as is).
        const QByteArray text = contents(info);
        QVERIFY(text.contains(QByteArray("Path=" + QFile::encodeName(path))) ||
                text.contains(QByteArray("Path=" + QUrl::toPercentEncoding(path, "/"))));
        QCOMPARE(m_library->load()->size(), 0);

        if (nameTaken)
            touch(path, "newer");
        const auto restored = m_library->restoreFromTrash(*trashed, path);
        if (nameTaken) {
            QVERIFY(!restored && restored.error().is(MogrtLibraryError::NameTaken));
            QCOMPARE(restored.error().description,
                     u"\u201CLower Third\u201D was not restored: a template of that name exists "
                     u"now. It is still in the trash."_s);
            QCOMPARE(contents(path), "newer"_ba);
            QCOMPARE(contents(*trashed), bytes);
            QVERIFY(QFile::exists(info));
        } else {
            QVERIFY(restored);
            QCOMPARE(contents(path), bytes);
            QVERIFY(!QFile::exists(*trashed));
            QVERIFY(!QFile::exists(info));
            QCOMPARE(names(*m_library->load()), QStringList{u"Lower Third"_s});
        }
    }

    // Where no trash can be made (here its folder would be inside a file), the file stays.
    void trashUnavailable()
    {
        const QString path = m_dir->filePath(u"Kept.setting"_s);
        touch(path);
        touch(m_home.filePath(u"file"_s));
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"file/data"_s)));
        // Nothing may land in the current folder either.
        QTemporaryDir current;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(current.path()));
        const auto trashed = m_library->moveToTrash(path);
        QDir::setCurrent(before);
        qputenv("XDG_DATA_HOME", dataHome);
        QVERIFY(!trashed && trashed.error().is(MogrtLibraryError::TrashUnavailable));
        QCOMPARE(trashed.error().description,
                 u"\u201CKept.setting\u201D could not be moved to the trash."_s);
        QVERIFY(QFile::exists(path));
        QVERIFY(QDir(current.path()).isEmpty());
    }

    // Each change is a row insert, remove or move of its own, never a reset, and the model stays
    // consistent (checked by QAbstractItemModelTester).
    void modelChanges_data()
    {
        QTest::addColumn<QString>("change");  // insert, remove or replace
        QTest::addColumn<QString>("id");      // the item inserted, removed or replaced
        QTest::addColumn<QString>("newName"); // of the inserted or replacing item
        QTest::addColumn<QStringList>("signals");
        QTest::addColumn<QStringList>("order");
        const QStringList start{u"b"_s, u"D"_s, u"f"_s};
        QTest::newRow("insert first")
            << u"insert"_s << u"/a"_s << u"A"_s << QStringList{u"inserted 0"_s}
            << QStringList{u"A"_s, u"b"_s, u"D"_s, u"f"_s};
        QTest::newRow("insert between")
            << u"insert"_s << u"/e"_s << u"e"_s << QStringList{u"inserted 2"_s}
            << QStringList{u"b"_s, u"D"_s, u"e"_s, u"f"_s};
        QTest::newRow("insert last")
            << u"insert"_s << u"/z"_s << u"\u00E9"_s << QStringList{u"inserted 3"_s}
            << QStringList{u"b"_s, u"D"_s, u"f"_s, u"\u00E9"_s};
        QTest::newRow("insert listed")
            << u"insert"_s << u"/D"_s << u"D"_s << QStringList{} << start;
        QTest::newRow("remove") << u"remove"_s << u"/D"_s << QString()
                                << QStringList{u"removed 1"_s} << QStringList{u"b"_s, u"f"_s};
        QTest::newRow("remove missing")
            << u"remove"_s << u"/x"_s << QString() << QStringList{} << start;
        QTest::newRow("rename in place")
            << u"replace"_s << u"/D"_s << u"Dd"_s << QStringList{u"changed 1"_s}
            << QStringList{u"b"_s, u"Dd"_s, u"f"_s};
        QTest::newRow("rename up")
            << u"replace"_s << u"/f"_s << u"a"_s << QStringList{u"moved 2 to 0"_s, u"changed 0"_s}
            << QStringList{u"a"_s, u"b"_s, u"D"_s};
        QTest::newRow("rename down")
            << u"replace"_s << u"/b"_s << u"e"_s << QStringList{u"moved 0 to 2"_s, u"changed 1"_s}
            << QStringList{u"D"_s, u"e"_s, u"f"_s};
        QTest::newRow("rename to last")
            << u"replace"_s << u"/b"_s << u"z"_s << QStringList{u"moved 0 to 3"_s, u"changed 2"_s}
            << QStringList{u"D"_s, u"f"_s, u"z"_s};
    }

    void modelChanges()
    {
        QFETCH(QString, change);
        QFETCH(QString, id);
        QFETCH(QString, newName);
        QFETCH(QStringList, signals);
        QFETCH(QStringList, order);
        MogrtLibraryModel model;
        QAbstractItemModelTester tester(&model);
        model.setItems(
            {{u"/b"_s, u"/b"_s, u"b"_s}, {u"/D"_s, u"/D"_s, u"D"_s}, {u"/f"_s, u"/f"_s, u"f"_s}});
        QStringList seen;
        connect(&model, &QAbstractItemModel::rowsInserted, this,
                [&](const QModelIndex &, int first) { seen.append(u"inserted %1"_s.arg(first)); });
        connect(&model, &QAbstractItemModel::rowsRemoved, this,
                [&](const QModelIndex &, int first) { seen.append(u"removed %1"_s.arg(first)); });
        connect(&model, &QAbstractItemModel::rowsMoved, this,
                [&](const QModelIndex &, int first, int, const QModelIndex &, int to) {
                    seen.append(u"moved %1 to %2"_s.arg(first).arg(to));
                });
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &top) { seen.append(u"changed %1"_s.arg(top.row())); });
        connect(&model, &QAbstractItemModel::modelReset, this, [&] { seen.append(u"reset"_s); });

        const QString newId = u"/new/"_s + newName;
        if (change == u"insert")
            model.insert({id, id, newName});
        else if (change == u"remove")
            model.remove(id);
        else
            model.replace(id, {newId, newId, newName});
        QCOMPARE(seen, signals);
        QCOMPARE(names(model.items()), order);
        if (change == u"replace") {
            const int row = int(order.indexOf(newName));
            QCOMPARE(model.rowOf(newId), row);
            QCOMPARE(model.index(row).data(MogrtLibraryModel::IdRole).toString(), newId);
        }
    }

    void importRemovesItsCopy_data()
    {
        QTest::addColumn<QByteArray>("definition"); // empty: not a ZIP at all
        QTest::addColumn<QString>("outcome");       // the stored name, or the error's start
        QTest::newRow("template") << R"({"clientControls":[]})"_ba << u"Lower Third.setting"_s;
        QTest::newRow("not a ZIP") << QByteArray() << u"Could not open archive: "_s;
        QTest::newRow("bad definition") << "{"_ba << QString();
    }

    void importRemovesItsCopy()
    {
        QFETCH(QByteArray, definition);
        QFETCH(QString, outcome);
        QTemporaryDir picked;
        const QString source = picked.filePath(u"Lower Third.mogrt"_s);
        if (definition.isEmpty())
            touch(source, "not a zip");
        else
            QVERIFY(test::writeArchive(source, {{"definition.json", definition}}));
        // A temporary folder of its own: other processes come and go in the shared one.
        QTemporaryDir ownTemp;
        const QByteArray sharedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(ownTemp.path()));
        const QStringList before = temporaryFolders();
        const auto stored = importMogrt(source, *m_library);
        const QStringList after = temporaryFolders();
        qputenv("TMPDIR", sharedTemp);
        QCOMPARE(after, before);
        QVERIFY(QFile::exists(source));
        if (outcome.endsWith(u".setting"_s)) {
            QVERIFY(stored);
            QCOMPARE(QFileInfo(*stored).fileName(), outcome);
        } else {
            QVERIFY(!stored);
            QVERIFY2(stored.error().description.startsWith(outcome),
                     qPrintable(stored.error().description));
            QCOMPARE(m_library->load()->size(), 0);
        }
    }

    void commandLine()
    {
        QTemporaryDir picked;
        const QString good = picked.filePath(u"Title.mogrt"_s);
        const QString bad = picked.filePath(u"Broken.mogrt"_s);
        QVERIFY(test::writeArchive(good, {{"definition.json", "{}"}}));
        touch(bad);
        const QString output = m_dir->filePath(u"out"_s);
        std::FILE *out = std::tmpfile();
        std::FILE *err = std::tmpfile();

        QCOMPARE(runMogrtConvertCommand({good, u"-o"_s, output, good}, *m_library, out, err), 0);
        QCOMPARE(QDir(output).entryList(QDir::Files),
                 (QStringList{u"Title 2.setting"_s, u"Title.setting"_s}));
        QCOMPARE(runMogrtConvertCommand({bad, good}, *m_library, out, err), 1);
        QVERIFY(QFile::exists(m_dir->filePath(u"Title.setting"_s)));
        QCOMPARE(runMogrtConvertCommand({u"-o"_s}, *m_library, out, err), 2);
        QCOMPARE(runMogrtConvertCommand({}, *m_library, out, err), 2);
        std::fclose(out);
        std::fclose(err);
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MogrtLibrary> m_library;
};

QTEST_GUILESS_MAIN(TestMogrtLibrary)
#include "tst_MogrtLibrary.moc"
