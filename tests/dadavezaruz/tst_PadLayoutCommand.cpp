#include "dadavezaruz/PadLayoutFile.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/store/ModelStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace hb;
using namespace Qt::StringLiterals;

// Runs "huebench-convert pad-export" and "pad-import" as a user would, each case in a fresh
// home folder whose store holds the three default pages.
class TestPadLayoutCommand : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString home() const { return m_dir->filePath(u"home"_s); }
    // Where the program's QStandardPaths::AppDataLocation is with XDG_DATA_HOME set below.
    QString storeFolder() const { return home() + u"/.local/share/Huebench/Huebench"_s; }

    std::unique_ptr<ModelStore> openStore() const
    {
        auto store = ModelStore::open(storeFolder());
        if (!store)
            qFatal("%s", qPrintable(store.error().description));
        return std::move(store).value();
    }

    QStringList pageNames() const
    {
        const auto store = openStore();
        QStringList names;
        for (const ShortcutPage &page : ShortcutPad(*store).pages().value())
            names.append(page.name);
        return names;
    }

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };

    Run run(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home());
        environment.insert(u"XDG_CONFIG_HOME"_s, home() + u"/.config"_s);
        environment.insert(u"XDG_DATA_HOME"_s, home() + u"/.local/share"_s);
        environment.insert(u"XDG_CACHE_HOME"_s, home() + u"/.cache"_s);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral(HUEBENCH_CONVERT_BINARY), arguments);
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        const auto store = openStore();
        QVERIFY(ShortcutPad(*store).seedDefaultPages());
        QFile refused(m_dir->filePath(u"newer.huebenchpad"_s));
        QVERIFY(refused.open(QIODevice::WriteOnly));
        refused.write(R"({"version": 3, "pages": []})");
    }

    void exportsThenImports()
    {
        const Run exported = run({u"pad-export"_s, u"-o"_s, u"all.huebenchpad"_s});
        QCOMPARE(exported.err, QString());
        QCOMPARE(exported.out, u"Exported 3 pages to all.huebenchpad\n"_s);
        QCOMPARE(exported.status, 0);
        const Run imported = run({u"pad-import"_s, u"all.huebenchpad"_s});
        QCOMPARE(imported.err, QString());
        QCOMPARE(imported.out, u"Imported 3 pages: Resolve 2, OBS 2, Custom 2\n"_s);
        QCOMPARE(imported.status, 0);

        const auto store = openStore();
        const ShortcutPad pad(*store);
        const QList<ShortcutPage> pages = pad.pages().value();
        QCOMPARE(pages.size(), 6);
        QList<ShortcutButton> original = pad.buttons(pages[0].id).value();
        const QList<ShortcutButton> copy = pad.buttons(pages[3].id).value();
        QCOMPARE(copy.size(), 16);
        for (qsizetype i = 0; i < copy.size(); ++i) {
            original[i].id = copy[i].id;
            original[i].page = copy[i].page;
            QCOMPARE(copy[i], original[i]);
        }

        const Run one = run({u"pad-export"_s, u"--page"_s, u"OBS 2"_s, u"--output"_s,
                             m_dir->filePath(u"obs.huebenchpad"_s)});
        QCOMPARE(one.status, 0);
        QVERIFY(one.out.startsWith(u"Exported 1 page to "_s));
        QFile file(m_dir->filePath(u"obs.huebenchpad"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto read = PadLayoutFile::read(file.readAll());
        QVERIFY(read);
        QCOMPARE(read->size(), 1);
        QCOMPARE(read->at(0).name, u"OBS 2"_s);
        QCOMPARE(read->at(0).buttons.size(), 10);
    }

    void refusesAndChangesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err"); // a pattern standard error matches

        QTest::newRow("import without FILE")
            << QStringList{u"pad-import"_s} << 2
            << u"^huebench-convert pad-import: no FILE given\nusage: huebench-convert "
               u"pad-import FILE\n$"_s;
        QTest::newRow("import of two files")
            << QStringList{u"pad-import"_s, u"a"_s, u"b"_s} << 2 << u"one FILE at a time\n"_s;
        QTest::newRow("import with an unknown option")
            << QStringList{u"pad-import"_s, u"--replace"_s, u"a"_s} << 2
            << u"^huebench-convert pad-import: unknown option: --replace\n"_s;
        QTest::newRow("export without -o")
            << QStringList{u"pad-export"_s} << 2
            << u"^huebench-convert pad-export: -o FILE is needed\nusage: "_s;
        QTest::newRow("export with -o and nothing after it")
            << QStringList{u"pad-export"_s, u"-o"_s} << 2 << u"^huebench-convert pad-export: "_s;
        QTest::newRow("export with a stray argument")
            << QStringList{u"pad-export"_s, u"-o"_s, u"x.huebenchpad"_s, u"extra"_s} << 2
            << u"unexpected argument \u201Cextra\u201D"_s;
        QTest::newRow("export of an unknown page")
            << QStringList{u"pad-export"_s, u"-o"_s, u"x.huebenchpad"_s, u"--page"_s, u"Grade"_s}
            << 1
            << u"^huebench-convert pad-export: there is no page named \u201CGrade\u201D \\(the "
               u"pages: Resolve, OBS, Custom\\)\n$"_s;
        QTest::newRow("export into a missing folder")
            << QStringList{u"pad-export"_s, u"-o"_s, u"missing/x.huebenchpad"_s} << 1
            << u"^huebench-convert pad-export: missing/x.huebenchpad: "_s;
        QTest::newRow("import of a missing file")
            << QStringList{u"pad-import"_s, u"nothing.huebenchpad"_s} << 1
            << u"^huebench-convert pad-import: nothing.huebenchpad: The file could not be "
               u"read: "_s;
        QTest::newRow("import of a newer file")
            << QStringList{u"pad-import"_s, u"newer.huebenchpad"_s} << 1
            << u"^huebench-convert pad-import: newer.huebenchpad: This file was made by a newer "
               u"version of Huebench \\(format 3\\); this version reads format 2.\n$"_s;
    }

    void refusesAndChangesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, err);
        const Run result = run(arguments);
        QCOMPARE(result.status, status);
        QCOMPARE(result.out, QString());
        QVERIFY2(QRegularExpression(err).match(result.err).hasMatch(), qPrintable(result.err));
        QCOMPARE(pageNames(), (QStringList{u"Resolve"_s, u"OBS"_s, u"Custom"_s}));
        QVERIFY(!QFile::exists(m_dir->filePath(u"x.huebenchpad"_s)));
    }
};

QTEST_GUILESS_MAIN(TestPadLayoutCommand)
#include "tst_PadLayoutCommand.moc"
