#include "TestTemplate.h"
#include "common/UndoNotice.h"
#include "mogrt/MogrtToFusionLibraryView.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList names(const QList<LibraryItem> &items)
{
    QStringList result;
    for (const LibraryItem &item : items)
        result.append(item.displayName);
    return result;
}

} // namespace

class TestMogrtToFusionLibraryView : public QObject {
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
        m_library = std::make_unique<QTemporaryDir>();
        m_picked = std::make_unique<QTemporaryDir>();
        m_view = std::make_unique<MogrtToFusionLibraryView>(
            MogrtLibrary([path = m_library->path()]() -> Expected<QString> { return path; }));
        m_view->resize(700, 500);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        m_list = m_view->findChild<QListView *>(u"libraryList"_s);
    }

    void cleanup()
    {
        m_view.reset();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"data"_s)));
        QDir(m_home.filePath(u"data/Trash"_s)).removeRecursively();
    }

    // Several files dropped at once are imported together; failures are reported by file.
    void dropsImportAndReportFailures()
    {
        auto *empty = m_view->findChild<QLabel *>(u"emptyText"_s);
        QVERIFY(empty->isVisible());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(templateFile(u"One"_s)),
                      QUrl::fromLocalFile(templateFile(u"Two"_s, false)),
                      QUrl::fromLocalFile(m_picked->filePath(u"notes.txt"_s))});
        QSignalSpy applied(m_view.get(), &MogrtToFusionLibraryView::importsApplied);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(m_view.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view.get(), &drop);
        QVERIFY(applied.wait(10000));

        QCOMPARE(m_view->summaryText(), u"Imported 1 of 2 templates."_s);
        QVERIFY(m_view->errorText().startsWith(
            u"Import failed. Error: Two.mogrt: Could not open archive: "_s));
        QVERIFY(m_view->findChild<QLabel *>(u"errorText"_s)->isVisible());
        QCOMPARE(m_view->items().size(), 1);
        QVERIFY(!empty->isVisible());

        waitForImports({templateFile(u"Broken"_s, false)}); // one file: no name before the error
        QVERIFY2(
            m_view->errorText().startsWith(u"Import failed. Error: Could not open archive: "_s),
            qPrintable(m_view->errorText()));
        waitForImports({templateFile(u"Next"_s)}); // a good import clears the message
        QCOMPARE(m_view->errorText(), QString());
        QCOMPARE(m_view->items().size(), 2);
    }

    void deletesByKeyAndShowsEmptyLine()
    {
        waitForImports({templateFile(u"A"_s), templateFile(u"B"_s), templateFile(u"C"_s)});
        QCOMPARE(m_list->model()->rowCount(), 3);

        // Positions as shown: removing rows 0 and 2 leaves B.
        m_view->deleteItems({0, 2});
        QCOMPARE(m_view->items().size(), 1);
        QCOMPARE(m_view->items().first().displayName, u"B"_s);

        m_view->renameItem(0, u"a/b"_s);
        QVERIFY(m_view->errorText().startsWith(u"Rename failed. Error: "_s));

        m_list->setFocus();
        m_list->setCurrentIndex(m_list->model()->index(0, 0));
        QTest::keyClick(m_list, Qt::Key_Delete);
        QVERIFY(m_view->items().isEmpty());
        QVERIFY(m_view->findChild<QLabel *>(u"emptyText"_s)->isVisible());
        QCOMPARE(QDir(m_library->path()).entryList(QDir::Files), QStringList());
    }

    // A deleted template goes to the trash; undo brings the same bytes back to the same path,
    // unless a file has taken its name meanwhile; redo trashes it again. The list changes by
    // single rows, never by a reset.
    void deleteUndoRedo_data()
    {
        QTest::addColumn<bool>("byShortcut"); // the undo and redo keys, or the notice's button
        QTest::addColumn<bool>("nameTaken");
        QTest::newRow("notice") << false << false;
        QTest::newRow("shortcut") << true << false;
        QTest::newRow("name taken") << false << true;
    }

    void deleteUndoRedo()
    {
        QFETCH(bool, byShortcut);
        QFETCH(bool, nameTaken);
        const QStringList all{u"A"_s, u"B"_s, u"C"_s};
        for (const QString &name : all)
            writeSetting(name, "macro " + name.toUtf8());
        m_view->loadLibrary();
        const QString path = m_library->filePath(u"B.setting"_s);
        QSignalSpy inserted(m_list->model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(m_list->model(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(m_list->model(), &QAbstractItemModel::modelReset);
        auto *notice = m_view->findChild<UndoNotice *>();

        m_view->deleteItems({1});
        QVERIFY(!QFile::exists(path));
        QCOMPARE(trashedFiles().size(), 1);
        const QString trashed = m_home.filePath(u"data/Trash/files/"_s) + trashedFiles().value(0);
        const QString info = m_home.filePath(u"data/Trash/info/"_s) + trashedFiles().value(0);
        QVERIFY(contents(info + u".trashinfo"_s)
                    .contains(QByteArray("Path=" + QFile::encodeName(path))));
        QCOMPARE(names(m_view->items()), (QStringList{u"A"_s, u"C"_s}));
        QCOMPARE(removed.size(), 1);
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), u"Deleted \u201CB\u201D"_s);

        if (nameTaken)
            writeSetting(u"B"_s, "another");
        if (byShortcut) {
            m_list->setFocus();
            QTest::keySequence(m_list, QKeySequence::Undo);
        } else {
            notice->undoButton()->click();
        }
        if (nameTaken) {
            QCOMPARE(m_view->errorText(),
                     u"Undo failed. Error: \u201CB\u201D was not restored: a template of that "
                     u"name exists now. It is still in the trash."_s);
            QCOMPARE(contents(path), "another"_ba);
            QCOMPARE(contents(trashed), "macro B"_ba);
            QVERIFY(QFile::exists(info + u".trashinfo"_s));
            QCOMPARE(names(m_view->items()), (QStringList{u"A"_s, u"C"_s}));
            QCOMPARE(inserted.size(), 0);
        } else {
            QCOMPARE(contents(path), "macro B"_ba);
            QVERIFY(trashedFiles().isEmpty());
            QVERIFY(QDir(m_home.filePath(u"data/Trash/info"_s)).isEmpty());
            QCOMPARE(names(m_view->items()), all);
            QCOMPARE(m_view->items().at(1).fileURL, path);
            QCOMPARE(inserted.size(), 1);

            if (byShortcut) {
                QTest::keySequence(m_list, QKeySequence::Redo); // Ctrl+Shift+Z or Ctrl+Y
                QVERIFY(!QFile::exists(path));
                QCOMPARE(names(m_view->items()), (QStringList{u"A"_s, u"C"_s}));
                QCOMPARE(removed.size(), 2);
            }
        }
        QCOMPARE(reset.size(), 0);
    }

    // Renaming is undone by giving the file its old name back, row and all.
    void renameUndo()
    {
        writeSetting(u"Alpha"_s, "alpha");
        writeSetting(u"Beta"_s, "beta");
        m_view->loadLibrary();
        QSignalSpy reset(m_list->model(), &QAbstractItemModel::modelReset);
        m_view->renameItem(0, u"Omega"_s);
        QCOMPARE(names(m_view->items()), (QStringList{u"Beta"_s, u"Omega"_s}));
        QCOMPARE(m_list->currentIndex().row(), 1);
        auto *notice = m_view->findChild<UndoNotice *>();
        QCOMPARE(notice->text(), u"Renamed \u201CAlpha\u201D"_s);
        notice->undoButton()->click();
        QCOMPARE(names(m_view->items()), (QStringList{u"Alpha"_s, u"Beta"_s}));
        QCOMPARE(contents(m_library->filePath(u"Alpha.setting"_s)), "alpha"_ba);
        QVERIFY(!QFile::exists(m_library->filePath(u"Omega.setting"_s)));
        QCOMPARE(reset.size(), 0);
    }

    // The painted Share button of a row opens that row's sheet and leaves the selection alone;
    // a click beside it selects the row.
    void shareButtonOfRow()
    {
        writeSetting(u"First"_s, "1");
        writeSetting(u"Second"_s, "2");
        m_view->loadLibrary();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        const QModelIndex second = m_list->model()->index(1, 0);
        const QRect row = m_list->visualRect(second);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, row.topLeft() + QPoint(20, 5));
        QCOMPARE(m_list->currentIndex(), second);

        m_list->setCurrentIndex(m_list->model()->index(0, 0));
        const QPoint button(row.right() - 30, row.center().y());
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, button);
        auto *sheet = m_view->findChild<QDialog *>(u"shareSheet"_s);
        QVERIFY(sheet);
        QCOMPARE(sheet->findChild<QLabel *>(u"sharePath"_s)->text(),
                 m_library->filePath(u"Second.setting"_s));
        QCOMPARE(m_list->currentIndex().row(), 0);
        sheet->close();
    }

    // Without a trash nothing is deleted until the user agrees, and then for good.
    void noTrashAsksFirst_data()
    {
        QTest::addColumn<bool>("agree");
        QTest::newRow("agree") << true;
        QTest::newRow("cancel") << false;
    }

    void noTrashAsksFirst()
    {
        QFETCH(bool, agree);
        writeSetting(u"Only"_s, "only");
        m_view->loadLibrary();
        QFile(m_home.filePath(u"file"_s)).open(QIODevice::WriteOnly);
        // The trash would have to be inside a file; nothing may land in the current folder either.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"file/data"_s)));
        QTemporaryDir current;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(current.path()));
        m_view->deleteItems({0});
        QDir::setCurrent(before);
        QVERIFY(QDir(current.path()).isEmpty());
        const QString path = m_library->filePath(u"Only.setting"_s);
        QVERIFY(QFile::exists(path));
        auto *box = m_view->findChild<QMessageBox *>(u"permanentDeleteConfirmation"_s);
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(),
                 u"The trash is not available for the library folder. \u201COnly\u201D "
                 u"will be deleted permanently; this cannot be undone."_s);
        QVERIFY(!m_view->findChild<UndoNotice *>()->isVisible());
        if (agree)
            box->findChild<QPushButton *>(u"deletePermanentlyButton"_s)->click();
        else
            box->button(QMessageBox::Cancel)->click();
        QCOMPARE(QFile::exists(path), !agree);
        QCOMPARE(m_view->items().size(), agree ? 0 : 1);
        QVERIFY(!m_view->findChild<UndoNotice *>()->isVisible());
    }

    // A template none of whose controls is known is imported with a warning, by file when several
    // are imported together.
    void warnsWhenNoControlIsKnown()
    {
        const QByteArray known =
            R"({"clientControls":[{"uiName":{"strDB":[{"localeString":"en_US",)"
            R"("str":"Source Text"}]},"value":{"strDB":[{"str":"Hi"}]}}]})";
        waitForImports({templateFile(u"Known"_s, true, known)});
        QCOMPARE(m_view->warningText(), QString());
        waitForImports({templateFile(u"Blank"_s)});
        QCOMPARE(m_view->warningText(), u"No known controls found; the macro uses defaults."_s);
        waitForImports({templateFile(u"Known"_s, true, known), templateFile(u"Blank"_s)});
        QCOMPARE(m_view->warningText(),
                 u"Blank.mogrt: No known controls found; the macro uses defaults."_s);
        waitForImports({templateFile(u"Known"_s, true, known)}); // a new import clears it
        QCOMPARE(m_view->warningText(), QString());
        QCOMPARE(m_view->items().size(), 5);
    }

    // "Install into Fusion" on the context menu copies the macro into Fusion's folder for
    // titles when that folder exists, and asks before replacing a file there.
    void installsIntoFusion()
    {
        writeSetting(u"Alpha"_s, "alpha");
        m_view->loadLibrary();
        const QString fusion = MogrtLibrary::fusionTitlesFolder();
        const QString installed = fusion + u"/Alpha.setting"_s;
        QCOMPARE(fusion, m_home.filePath(u"data/DaVinciResolve/Fusion/Templates/Edit/Titles"_s));
        QDir(m_home.filePath(u"data/DaVinciResolve"_s)).removeRecursively();

        m_view->installItem(0);
        QVERIFY2(m_view->errorText().startsWith(
                     u"Install failed. Error: Fusion\u2019s folder for titles \u201C"_s),
                 qPrintable(m_view->errorText()));
        QVERIFY(!QFileInfo::exists(fusion));

        QVERIFY(QDir().mkpath(fusion));
        chooseFromContextMenu(0, 2); // Share, then Install into Fusion
        QCOMPARE(contents(installed), "alpha"_ba);
        QCOMPARE(m_view->errorText(), QString());
        QCOMPARE(m_view->summaryText(), u"Installed \u201CAlpha\u201D into Fusion: "_s + installed);

        writeSetting(u"Alpha"_s, "changed");
        for (const bool agree : {false, true}) {
            m_view->installItem(0);
            auto *box = m_view->findChild<QMessageBox *>(u"replaceInFusionConfirmation"_s);
            QVERIFY(box && box->isVisible());
            QCOMPARE(box->text(), u"\u201CAlpha\u201D is already in Fusion\u2019s titles. "
                                  u"Replace it with this macro?"_s);
            if (agree)
                box->findChild<QPushButton *>(u"replaceInFusionButton"_s)->click();
            else
                box->button(QMessageBox::Cancel)->click();
            QCOMPARE(contents(installed), agree ? "changed"_ba : "alpha"_ba);
            QTest::qWait(0); // the box deletes itself once closed
        }
        QCOMPARE(QDir(fusion).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"Alpha.setting"_s});
        QDir(m_home.filePath(u"data/DaVinciResolve"_s)).removeRecursively();
    }

private:
    // Opens the context menu of a row and picks its entry `downs` presses down.
    void chooseFromContextMenu(int row, int downs)
    {
        const QRect rect = m_list->visualRect(m_list->model()->index(row, 0));
        bool chosen = false;
        QTimer::singleShot(0, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
            chosen = true;
        });
        Q_EMIT m_list->customContextMenuRequested(rect.center());
        QVERIFY(chosen);
    }

    void writeSetting(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_library->filePath(name + u".setting"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QStringList trashedFiles() const
    {
        return QDir(m_home.filePath(u"data/Trash/files"_s)).entryList(QDir::Files);
    }

    QString templateFile(const QString &name, bool valid = true,
                         const QByteArray &definition = R"({"clientControls":[]})")
    {
        QString path = m_picked->filePath(name + u".mogrt"_s);
        if (valid)
            test::writeArchive(path, {{"definition.json", definition}});
        else if (QFile file(path); file.open(QIODevice::WriteOnly))
            file.write("not a zip");
        return path;
    }

    void waitForImports(const QStringList &paths)
    {
        QSignalSpy applied(m_view.get(), &MogrtToFusionLibraryView::importsApplied);
        m_view->importFiles(paths);
        QVERIFY(applied.wait(10000));
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_library;
    std::unique_ptr<QTemporaryDir> m_picked;
    std::unique_ptr<MogrtToFusionLibraryView> m_view;
    QListView *m_list = nullptr;
};

QTEST_MAIN(TestMogrtToFusionLibraryView)
#include "tst_MogrtToFusionLibraryView.moc"
