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
        // UTF-8, no byte-order mark.
        QCOMPARE(contents(m_dir->filePath(u"Title 2.setting"_s)), "macro \xc3\xa9"_ba);
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
            QCOMPARE(contents(*renamed), "macro"_ba);
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
        QTest::newRow("not a macro") << u"Title = 1 -- a note"_s;
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

    // Each change is a row insert, remove or move of its own, never a reset, and the model stays
    // consistent (checked by QAbstractItemModelTester).
    void modelChanges_data()
    {
        QTest::addColumn<QString>("change");  // insert, remove or replace
        QTest::addColumn<QString>("id");      // the item inserted, removed or replaced
        QTest::addColumn<QString>("newName"); // of the inserted or replacing item
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("order"); // the names after, from "b D f"
        const auto row = [](const char *tag, const char *change, const char *id,
                            const QString &name, const char *signals, const QString &order) {
            QTest::newRow(tag) << QString::fromLatin1(change) << QString::fromLatin1(id) << name
                               << QString::fromLatin1(signals) << order;
        };
        row("insert first", "insert", "/a", u"A"_s, "inserted 0", u"A b D f"_s);
        row("insert between", "insert", "/e", u"e"_s, "inserted 2", u"b D e f"_s);
        row("insert last", "insert", "/z", u"\u00E9"_s, "inserted 3", u"b D f \u00E9"_s);
        row("insert listed", "insert", "/D", u"D"_s, "", u"b D f"_s);
        row("remove", "remove", "/D", {}, "removed 1", u"b f"_s);
        row("remove missing", "remove", "/x", {}, "", u"b D f"_s);
        row("rename in place", "replace", "/D", u"Dd"_s, "changed 1", u"b Dd f"_s);
        row("rename up", "replace", "/f", u"a"_s, "moved 2 to 0, changed 0", u"a b D"_s);
        row("rename down", "replace", "/b", u"e"_s, "moved 0 to 2, changed 1", u"D e f"_s);
        row("rename to last", "replace", "/b", u"z"_s, "moved 0 to 3, changed 2", u"D f z"_s);
    }

    void modelChanges()
    {
        QFETCH(QString, change);
        QFETCH(QString, id);
        QFETCH(QString, newName);
        QFETCH(QString, signals);
        QFETCH(QString, order);
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
        QCOMPARE(seen.join(u", "_s), signals);
        QCOMPARE(names(model.items()).join(u' '), order);
        if (change == u"replace") {
            const int row = int(names(model.items()).indexOf(newName));
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
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MogrtLibrary> m_library;
};

QTEST_GUILESS_MAIN(TestMogrtLibrary)
#include "tst_MogrtLibrary.moc"
