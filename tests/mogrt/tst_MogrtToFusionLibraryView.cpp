#include "TestTemplate.h"
#include "mogrt/MogrtToFusionLibraryView.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestMogrtToFusionLibraryView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_library = std::make_unique<QTemporaryDir>();
        m_picked = std::make_unique<QTemporaryDir>();
        m_view = std::make_unique<MogrtToFusionLibraryView>(
            MogrtLibrary([path = m_library->path()]() -> Expected<QString> { return path; }));
        m_view->resize(700, 500);
        m_view->show();
    }

    void cleanup() { m_view.reset(); }

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
        auto *list = m_view->findChild<QListWidget *>(u"libraryList"_s);
        QCOMPARE(list->count(), 3);

        // Positions as shown: removing rows 0 and 2 leaves B.
        m_view->deleteItems({0, 2});
        QCOMPARE(m_view->items().size(), 1);
        QCOMPARE(m_view->items().first().displayName, u"B"_s);

        m_view->renameItem(0, u"Renamed"_s);
        QCOMPARE(m_view->items().first().displayName, u"Renamed"_s);
        m_view->renameItem(0, u"a/b"_s);
        QVERIFY(m_view->errorText().startsWith(u"Rename failed. Error: "_s));

        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(m_view->items().isEmpty());
        QVERIFY(m_view->findChild<QLabel *>(u"emptyText"_s)->isVisible());
        QCOMPARE(QDir(m_library->path()).entryList(QDir::Files), QStringList());
    }

private:
    QString templateFile(const QString &name, bool valid = true)
    {
        QString path = m_picked->filePath(name + u".mogrt"_s);
        if (valid)
            test::writeArchive(path, {{"definition.json", R"({"clientControls":[]})"}});
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

    std::unique_ptr<QTemporaryDir> m_library;
    std::unique_ptr<QTemporaryDir> m_picked;
    std::unique_ptr<MogrtToFusionLibraryView> m_view;
};

QTEST_MAIN(TestMogrtToFusionLibraryView)
#include "tst_MogrtToFusionLibraryView.moc"
