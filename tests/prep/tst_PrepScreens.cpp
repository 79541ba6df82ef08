#include "common/ToggleSwitch.h"
#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepClampedLabel.h"
#include "prep/PrepGrowingTextEdit.h"
#include "prep/PrepMarkdownExport.h"
#include "prep/PrepProjectDetailView.h"
#include "prep/PrepProjectListModel.h"
#include "prep/PrepScreenHeader.h"
#include "prep/PrepTaskDetailView.h"
#include "prep/PrepTaskRow.h"
#include "prep/ProjectPrepChecklistView.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

enum class Leave { SaveButton, BackButton, Escape, AltLeft, DestroyScreen };

} // namespace

Q_DECLARE_METATYPE(Leave)

class TestPrepScreens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        auto store = ModelStore::open(m_dir->path());
        QVERIFY(store);
        m_store = std::move(*store);
        m_seedClock = QDateTime(QDate(2020, 1, 1), QTime(9, 0), Qt::UTC);
        m_seeder = std::make_unique<PrepChecklist>(*m_store, [this] {
            m_seedClock = m_seedClock.addSecs(1);
            return m_seedClock;
        });
        m_view = std::make_unique<ProjectPrepChecklistView>(*m_store);
        m_view->resize(640, 720);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup()
    {
        m_view.reset();
        m_seeder.reset();
        m_store.reset();
    }

    void clampsToTwoLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("two lines") << u"a\r\nb"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("cut after two") << u"a\nb\nc"_s << QStringList{u"a"_s, u"b\u2026"_s};
    }

    void clampsToTwoLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(PrepClampedLabel::clampedLines(text, m_view->font(), 400, 2), lines);

        // Wrapped text is cut too, and its last line ends in an ellipsis.
        const QString longText = QString(u"word "_s).repeated(200);
        const QStringList wrapped =
            PrepClampedLabel::clampedLines(longText, m_view->font(), 200, 2);
        QCOMPARE(wrapped.size(), 2);
        QVERIFY(wrapped[1].endsWith(u'\u2026'));
    }

    void taskEditorSavesOrDiscards_data()
    {
        QTest::addColumn<Leave>("leave");
        QTest::newRow("save") << Leave::SaveButton;
        QTest::newRow("escape") << Leave::Escape;
    }

    void taskEditorSavesOrDiscards()
    {
        QFETCH(Leave, leave);
        seed(u"Spot"_s, QString(), {u"Grade"_s});
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        QVERIFY(activate());

        // A click on the row opens its editor.
        QListWidget *list = screen->checklistView();
        const QRect rect = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + 40, rect.center().y()));
        auto *editor = qobject_cast<PrepTaskDetailView *>(m_view->currentScreen());
        QVERIFY(editor);
        QCOMPARE(editor->titleField()->text(), u"Grade"_s);
        editor->titleField()->setText(u"   "_s);
        editor->detailsField()->setPlainText(u"Check skin tones"_s);
        QTest::mouseClick(editor->doneSwitch(), Qt::LeftButton);
        QVERIFY(editor->doneSwitch()->isChecked());

        if (leave == Leave::SaveButton)
            QTest::mouseClick(editor->findChild<QPushButton *>(u"saveButton"_s), Qt::LeftButton);
        else
            QTest::keyClick(editor->detailsField(), Qt::Key_Escape);

        QCOMPARE(m_view->currentScreen(), screen);
        const PrepTask task = screen->tasks().value(0);
        if (leave == Leave::SaveButton) {
            QCOMPARE(task.title, QString());
            QCOMPARE(task.details, u"Check skin tones"_s);
            QVERIFY(task.isDone);
            QCOMPARE(rowTitles(screen), QStringList{QString()});
            QVERIFY(row(screen, 0)->titleLabel()->height() > 0);
        } else {
            QCOMPARE(task.title, u"Grade"_s);
            QCOMPARE(task.details, QString());
            QVERIFY(!task.isDone);
        }
    }

    void notesSavedOnLeaving_data()
    {
        QTest::addColumn<Leave>("leave");
        QTest::newRow("back button") << Leave::BackButton;
        QTest::newRow("alt+left") << Leave::AltLeft;
        QTest::newRow("screen destroyed") << Leave::DestroyScreen;
    }

    void notesSavedOnLeaving()
    {
        QFETCH(Leave, leave);
        const qint64 old = seed(u"Old"_s, u"x"_s);
        seed(u"New"_s, QString());
        PrepProjectDetailView *screen = openProject(u"Old"_s);
        QVERIFY(screen);
        QVERIFY(activate());
        screen->notesField()->setPlainText(u"  warm look \n"_s);
        QCOMPARE(m_seeder->project(old).value()->notes, u"x"_s); // not while typing

        if (leave == Leave::BackButton)
            QTest::mouseClick(screen->header()->backButton(), Qt::LeftButton);
        else if (leave == Leave::AltLeft)
            QTest::keyClick(screen->notesField(), Qt::Key_Left, Qt::AltModifier);
        else
            m_view.reset();

        QCOMPARE(m_seeder->project(old).value()->notes, u"warm look"_s);
        QCOMPARE(m_seeder->projects().value().first().name, u"Old"_s);
        if (leave == Leave::DestroyScreen)
            return;
        QCOMPARE(m_view->currentScreen()->objectName(), u"projectListPage"_s);
        QCOMPARE(shownNames().first(), u"Old"_s);
        screen = m_view->openProject(0);
        QCOMPARE(screen->notesField()->toPlainText(), u"warm look"_s);
    }

    void deleteKeyRemovesDisplayedRows()
    {
        seed(u"A"_s, QString());
        seed(u"B"_s, QString(), {u"t1"_s, u"t2"_s, u"t3"_s}, {u"t1"_s});
        seed(u"C"_s, QString());
        QListView *projects = m_view->projectList();
        QCOMPARE(shownNames(), (QStringList{u"C"_s, u"B"_s, u"A"_s}));
        projects->selectionModel()->select(m_view->projects()->index(0),
                                           QItemSelectionModel::Select);
        projects->selectionModel()->select(m_view->projects()->index(2),
                                           QItemSelectionModel::Select);
        QTest::keyClick(projects, Qt::Key_Delete);
        QCOMPARE(shownNames(), QStringList{u"B"_s});

        // Return opens the current project; its checklist deletes by displayed position too.
        projects->setCurrentIndex(m_view->projects()->index(0));
        QTest::keyClick(projects, Qt::Key_Return);
        auto *screen = qobject_cast<PrepProjectDetailView *>(m_view->currentScreen());
        QVERIFY(screen);
        QCOMPARE(rowTitles(screen), (QStringList{u"t2"_s, u"t3"_s, u"t1"_s}));
        QListWidget *list = screen->checklistView();
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(rowTitles(screen), QStringList{u"t3"_s});
    }

    void duplicateAndExport()
    {
        const qint64 grade =
            seed(u"Grade"_s, u"LUT v2"_s, {u"Conform"_s, u"Deliver"_s}, {u"Conform"_s});
        m_view->duplicateProject(0);
        QCOMPARE(shownNames(), (QStringList{u"Grade copy"_s, u"Grade"_s}));

        const QString expected = m_seeder->exportMarkdown(grade).value();
        const QString fromList = m_dir->filePath(PrepMarkdownExport::defaultFileName(u"Grade"_s));
        QCOMPARE(QFileInfo(fromList).fileName(), u"Grade.md"_s);
        m_view->exportProject(1, fromList);
        QCOMPARE(m_view->errorText(), QString());
        PrepProjectDetailView *screen = m_view->openProject(1);
        const QString fromScreen = m_dir->filePath(u"screen.md"_s);
        screen->exportTo(fromScreen);
        for (const QString &path : {fromList, fromScreen}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(file.readAll()), expected);
        }

        screen->exportTo(m_dir->filePath(u"missing/folder/x.md"_s));
        QVERIFY(screen->errorText().startsWith(u"Export failed: "_s));
        QVERIFY(screen->findChild<QLabel *>(u"errorText"_s)->isVisible());
    }

    // A store that refuses a change leaves the typed title in place and says why.
    void storeFailuresAreShown()
    {
        seed(u"Spot"_s, QString());
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(u"DROP TABLE PrepTask"_s));
        QTest::keyClicks(screen->taskField(), u"Grade"_s);
        QTest::mouseClick(screen->addButton(), Qt::LeftButton);
        QVERIFY2(screen->errorText().startsWith(u"Could not add the task: "_s),
                 qPrintable(screen->errorText()));
        QCOMPARE(screen->taskField()->text(), u"Grade"_s);
    }

private:
    // A project changed in the past (so that anything the screens do now comes later), with
    // its tasks; the tasks named in `done` are ticked off.
    qint64 seed(const QString &name, const QString &notes, const QStringList &tasks = {},
                const QStringList &done = {})
    {
        const auto project = m_seeder->createProject(name, notes);
        if (!project)
            return 0;
        for (const QString &title : tasks) {
            const auto task = m_seeder->addTask(project->id, title);
            if (task && *task && done.contains(title) &&
                !m_seeder->toggleTask((*task)->id, project->id))
                return 0;
        }
        return project->id;
    }

    QStringList shownNames() const
    {
        QStringList names;
        for (const PrepProject &project : m_view->projects()->projects())
            names.append(project.name);
        return names;
    }

    PrepProjectDetailView *openProject(const QString &name)
    {
        return m_view->openProject(int(shownNames().indexOf(name)));
    }

    static PrepTaskRow *row(const PrepProjectDetailView *screen, int position)
    {
        QListWidget *list = screen->checklistView();
        return qobject_cast<PrepTaskRow *>(list->itemWidget(list->item(position)));
    }

    static QStringList rowTitles(const PrepProjectDetailView *screen)
    {
        QStringList titles;
        for (int i = 0; i < screen->checklistView()->count(); ++i)
            titles.append(row(screen, i)->titleLabel()->text());
        return titles;
    }

    bool activate()
    {
        // Shortcuts reach only the active window.
        m_view->activateWindow();
        return QTest::qWaitForWindowActive(m_view.get());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<PrepChecklist> m_seeder;
    std::unique_ptr<ProjectPrepChecklistView> m_view;
    QDateTime m_seedClock;
};

QTEST_MAIN(TestPrepScreens)
#include "tst_PrepScreens.moc"
