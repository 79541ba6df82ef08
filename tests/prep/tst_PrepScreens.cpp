#include "ChecklistDigest.h"
#include "common/AppLifecycle.h"
#include "common/ScreenUndo.h"
#include "common/ToggleSwitch.h"
#include "common/UndoNotice.h"
#include "platform/store/ModelStore.h"
#include "prep/NewPrepProjectView.h"
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
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

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

    // Every way out of the task editor keeps the edits; a blank title keeps the stored one,
    // and says so.
    void taskEditorKeepsEdits_data()
    {
        QTest::addColumn<Leave>("leave");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("said");
        const QString kept = u"A task needs a title: \u201cGrade\u201d was kept."_s;
        QTest::newRow("save") << Leave::SaveButton << u" Grade 2 "_s << u"Grade 2"_s << QString();
        QTest::newRow("save, blank title") << Leave::SaveButton << u"  "_s << u"Grade"_s << kept;
        QTest::newRow("back") << Leave::BackButton << u"Grade 2"_s << u"Grade 2"_s << QString();
        QTest::newRow("escape, blank title") << Leave::Escape << u" "_s << u"Grade"_s << kept;
        QTest::newRow("alt+left") << Leave::AltLeft << u"Grade 2"_s << u"Grade 2"_s << QString();
        QTest::newRow("destroyed")
            << Leave::DestroyScreen << u"Grade 2"_s << u"Grade 2"_s << QString();
    }

    void taskEditorKeepsEdits()
    {
        QFETCH(Leave, leave);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, said);
        const qint64 project = seed(u"Spot"_s, QString(), {u"Grade"_s});
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
        editor->titleField()->setText(typed);
        editor->detailsField()->setPlainText(u"Check skin tones"_s);
        QTest::mouseClick(editor->doneSwitch(), Qt::LeftButton);
        QVERIFY(editor->doneSwitch()->isChecked());

        if (leave == Leave::SaveButton)
            QTest::mouseClick(editor->findChild<QPushButton *>(u"saveButton"_s), Qt::LeftButton);
        else if (leave == Leave::BackButton)
            QTest::mouseClick(editor->header()->backButton(), Qt::LeftButton);
        else if (leave == Leave::Escape)
            QTest::keyClick(editor->detailsField(), Qt::Key_Escape);
        else if (leave == Leave::AltLeft)
            QTest::keyClick(editor->titleField(), Qt::Key_Left, Qt::AltModifier);
        else
            m_view.reset();

        const PrepTask task = m_seeder->sortedTasks(project).value().value(0);
        QCOMPARE(task.title, stored);
        QCOMPARE(task.details, u"Check skin tones"_s);
        QVERIFY(task.isDone);
        if (leave == Leave::DestroyScreen)
            return;
        if (leave == Leave::SaveButton && !said.isEmpty()) {
            // An explicit Save stays for a title to be typed.
            QCOMPARE(m_view->currentScreen(), editor);
            QCOMPARE(editor->errorText(), said);
            QTest::keyClicks(editor->titleField(), u"Grade 3"_s);
            QTest::keyClick(editor->titleField(), Qt::Key_S, Qt::ControlModifier);
            QTRY_COMPARE(m_view->currentScreen(), screen); // the button's click is animated
            QCOMPARE(rowTitles(screen), QStringList{u"Grade 3"_s});
            return;
        }
        QCOMPARE(m_view->currentScreen(), screen);
        QCOMPARE(screen->errorText(), said);
        QCOMPARE(rowTitles(screen), QStringList{stored});
    }

    // Edits the store refuses keep the editor open, saying why, whichever way it is left.
    void taskEditorStaysOnFailure()
    {
        seed(u"Spot"_s, QString(), {u"Grade"_s});
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        PrepTaskDetailView *editor = m_view->openTask(screen->tasks().value(0));
        QVERIFY(editor);
        editor->titleField()->setText(u"Grade 2"_s);
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(u"DROP TABLE PrepTask"_s));
        QTest::mouseClick(editor->header()->backButton(), Qt::LeftButton);
        QCOMPARE(m_view->currentScreen(), editor);
        QVERIFY2(editor->errorText().startsWith(u"Could not save the task: "_s),
                 qPrintable(editor->errorText()));
        QCOMPARE(editor->titleField()->text(), u"Grade 2"_s);
    }

    // A task stored without a title (by an older version, say) still gets a row of full height.
    void untitledTaskKeepsItsLine()
    {
        const qint64 project = seed(u"Spot"_s, QString(), {u"Grade"_s});
        const qint64 task = m_seeder->sortedTasks(project).value().value(0).id;
        QVERIFY(m_seeder->saveTaskEdits(task, u" "_s, {}, false));
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        QCOMPARE(rowTitles(screen), QStringList{QString()});
        QVERIFY(row(screen, 0)->titleLabel()->height() > 0);
    }

    // Task edits are stored as they are typed: once the typing pauses, or at once when the
    // application asks for pending work. (Notes are checked so in tst_PrepDurability.)
    void taskEditsStoredWhileTyping_data()
    {
        QTest::addColumn<bool>("pause");
        QTest::newRow("pause") << true;
        QTest::newRow("save requested") << false;
    }

    void taskEditsStoredWhileTyping()
    {
        QFETCH(bool, pause);
        const qint64 project = seed(u"Spot"_s, QString(), {u"Grade"_s});
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        QVERIFY(activate());
        PrepTaskDetailView *editor = m_view->openTask(screen->tasks().value(0));
        QVERIFY(editor);
        editor->titleField()->setFocus();
        QTest::keyClicks(editor->titleField(), u" v2"_s);
        const auto stored = [&] { return m_seeder->sortedTasks(project).value().value(0).title; };
        if (pause) {
            QTRY_COMPARE(stored(), u"Grade v2"_s);
        } else {
            AppLifecycle::instance().requestSave();
            QCOMPARE(stored(), u"Grade v2"_s);
        }
        // Still in the editor, and the rows follow.
        QCOMPARE(m_view->currentScreen(), editor);
        QCOMPARE(rowTitles(screen), QStringList{u"Grade v2"_s});
    }

    // Deleting tasks can be undone, by Ctrl+Z or the notice's Undo button, and redone: the tasks
    // come back exactly, and the project's time too unless it changed since.
    void taskDeleteIsUndone_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("notesBetween");
        QTest::addColumn<QStringList>("left"); // rows are positions as shown: t2, t3, t1 (done)
        QTest::newRow("one, keys") << QList<int>{1} << u"Deleted \u201ct3\u201d"_s << false
                                   << QStringList{u"t2"_s, u"t1"_s};
        QTest::newRow("two, notice")
            << QList<int>{0, 2} << u"Deleted 2 tasks"_s << false << QStringList{u"t3"_s};
        QTest::newRow("notes edited since") << QList<int>{0} << u"Deleted \u201ct2\u201d"_s << true
                                            << QStringList{u"t3"_s, u"t1"_s};
    }

    void taskDeleteIsUndone()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QString, notice);
        QFETCH(bool, notesBetween);
        QFETCH(QStringList, left);
        const qint64 project = seed(u"Spot"_s, u"n"_s, {u"t1"_s, u"t2"_s, u"t3"_s}, {u"t1"_s});
        const PrepTask t3 = m_seeder->sortedTasks(project).value().value(1);
        QVERIFY(m_seeder->saveTaskEdits(t3.id, t3.title, u"shot 4"_s, false));
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        QVERIFY(activate());
        const QList<PrepTask> tasks = screen->tasks();
        const QByteArray before = checklistDigest(m_store->database());

        QListWidget *list = screen->checklistView();
        list->setFocus();
        for (int position : rows)
            list->item(position)->setSelected(true);
        QTest::keyClick(list, Qt::Key_Delete);
        UndoNotice *shown = screen->undoHistory()->notice();
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->text(), notice);
        QCOMPARE(rowTitles(screen), left);

        QDateTime changed;
        if (notesBetween) {
            screen->notesField()->setPlainText(u"m"_s);
            screen->saveNotes();
            changed = m_seeder->project(project).value()->updatedAt;
            QTest::mouseClick(shown->undoButton(), Qt::LeftButton);
        } else if (rows.size() == 1) {
            QTest::keySequence(screen, QKeySequence::Undo);
        } else {
            QTest::mouseClick(shown->undoButton(), Qt::LeftButton);
        }
        QCOMPARE(screen->tasks(), tasks);
        QCOMPARE(m_seeder->sortedTasks(project).value(), tasks);
        QVERIFY(!shown->isVisible());
        if (notesBetween)
            QCOMPARE(m_seeder->project(project).value()->updatedAt, changed);
        else
            QCOMPARE(checklistDigest(m_store->database()), before);

        screen->undoHistory()->redo();
        QCOMPARE(rowTitles(screen), left);
        QCOMPARE(shown->text(), notice);
        QCOMPARE(screen->errorText(), QString());
    }

    // An undo that cannot put a task back says so, and the history drops it.
    void failedTaskUndoIsShown()
    {
        const qint64 project = seed(u"Spot"_s, QString(), {u"t1"_s});
        PrepProjectDetailView *screen = openProject(u"Spot"_s);
        QVERIFY(screen);
        const qint64 task = screen->tasks().value(0).id;
        screen->deleteTasks({0});
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(
            u"INSERT INTO PrepTask VALUES (%1, 'Other', '', 0, 0, 0, 9, %2)"_s.arg(task).arg(
                project)));
        screen->undoHistory()->undo();
        QVERIFY2(screen->errorText().startsWith(u"Could not undo: "_s),
                 qPrintable(screen->errorText()));
        QVERIFY(!screen->undoHistory()->stack()->canUndo());
    }

    // The new-project sheet closed without creating keeps what was typed for the next one.
    void newProjectSheetKeepsDraft()
    {
        QPointer<NewPrepProjectView> sheet = m_view->openNewProject();
        QTest::keyClicks(sheet->nameField(), u"Reel 3"_s);
        sheet->notesField()->setPlainText(u"from the lab"_s);
        QTest::keyClick(sheet->nameField(), Qt::Key_Escape);
        QTRY_VERIFY(sheet.isNull());
        QCOMPARE(m_seeder->projects().value().size(), 0);

        sheet = m_view->openNewProject();
        QCOMPARE(sheet->nameField()->text(), u"Reel 3"_s);
        QCOMPARE(sheet->notesField()->toPlainText(), u"from the lab"_s);
        QVERIFY(sheet->createButton()->isEnabled());
        QTest::mouseClick(sheet->createButton(), Qt::LeftButton);
        QTRY_VERIFY(sheet.isNull());
        QCOMPARE(shownNames(), QStringList{u"Reel 3"_s});

        sheet = m_view->openNewProject();
        QCOMPARE(sheet->nameField()->text(), QString());
        QCOMPARE(sheet->notesField()->toPlainText(), QString());
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
        // Return opens the current project.
        m_view->projectList()->setCurrentIndex(m_view->projects()->index(0));
        QTest::keyClick(m_view->projectList(), Qt::Key_Return);
        screen = qobject_cast<PrepProjectDetailView *>(m_view->currentScreen());
        QVERIFY(screen);
        QCOMPARE(screen->notesField()->toPlainText(), u"warm look"_s);
    }

    // Deleting from the list can be undone, by Ctrl+Z or the notice's Undo button, and redone:
    // the records come back exactly as they were.
    void deleteIsUndone_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("byKeys");
        QTest::addColumn<QStringList>("left"); // rows are positions as shown: C, B, A
        QTest::newRow("one, keys")
            << QList<int>{1} << u"Deleted \u201cB\u201d"_s << true << QStringList{u"C"_s, u"A"_s};
        QTest::newRow("several, keys")
            << QList<int>{0, 2} << u"Deleted 2 projects"_s << true << QStringList{u"B"_s};
        QTest::newRow("all, notice")
            << QList<int>{0, 1, 2} << u"Deleted 3 projects"_s << false << QStringList();
    }

    void deleteIsUndone()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QString, notice);
        QFETCH(bool, byKeys);
        QFETCH(QStringList, left);
        seed(u"A"_s, u"first"_s);
        seed(u"B"_s, QString(), {u"t1"_s, u"t2"_s}, {u"t1"_s});
        seed(u"C"_s, u"last"_s, {u"t3"_s});
        const QStringList names = shownNames();
        const QByteArray before = checklistDigest(m_store->database());
        QListView *projects = m_view->projectList();
        QVERIFY(activate());
        projects->setFocus();
        for (int row : rows) {
            projects->selectionModel()->select(m_view->projects()->index(row),
                                               QItemSelectionModel::Select);
        }
        if (byKeys)
            QTest::keyClick(projects, Qt::Key_Delete);
        else
            m_view->deleteProjects(rows);
        UndoNotice *shown = m_view->undoHistory()->notice();
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->text(), notice);
        QCOMPARE(shownNames(), left);
        QCOMPARE(m_view->findChild<QWidget *>(u"emptyState"_s)->isVisible(), left.isEmpty());

        if (byKeys)
            QTest::keySequence(m_view.get(), QKeySequence::Undo);
        else
            QTest::mouseClick(shown->undoButton(), Qt::LeftButton);
        QCOMPARE(checklistDigest(m_store->database()), before);
        QCOMPARE(shownNames(), names);
        QVERIFY(!shown->isVisible());

        if (byKeys)
            QTest::keySequence(m_view.get(), QKeySequence::Redo);
        else
            m_view->undoHistory()->redo();
        QCOMPARE(shownNames(), left);
        QCOMPARE(shown->text(), notice);
        QCOMPARE(m_view->errorText(), QString());
    }

    // An undo that cannot put the projects back says so and leaves the list as it is.
    void failedUndoIsShown()
    {
        const qint64 id = seed(u"A"_s, QString());
        m_view->deleteProjects({0});
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(u"INSERT INTO PrepProject VALUES (%1, 'Other', '', 0, 0)"_s.arg(id)));
        m_view->undoHistory()->undo();
        QVERIFY2(m_view->errorText().startsWith(u"Could not restore the deleted projects: "_s),
                 qPrintable(m_view->errorText()));
        QVERIFY(!m_view->undoHistory()->stack()->canUndo());
    }

    // A list that could not be read shows the error, not "No Projects"; once it can be read
    // again, the error goes.
    void loadFailureIsNotEmpty_data()
    {
        QTest::addColumn<bool>("broken");
        QTest::newRow("empty store") << false;
        QTest::newRow("unreadable store") << true;
    }

    void loadFailureIsNotEmpty()
    {
        QFETCH(bool, broken);
        QSqlQuery query(m_store->database());
        if (broken)
            QVERIFY(query.exec(u"ALTER TABLE PrepProject RENAME TO Hidden"_s));
        ProjectPrepChecklistView view(*m_store);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto *empty = view.findChild<QWidget *>(u"emptyState"_s);
        QCOMPARE(empty->isVisible(), !broken);
        QCOMPARE(view.errorText().startsWith(u"Could not load the projects: "_s), broken);
        QVERIFY(!view.projectList()->isVisible());
        QVERIFY(!view.findChild<QWidget *>(u"noMatchesText"_s)->isVisible());
        if (!broken)
            return;
        QVERIFY(query.exec(u"ALTER TABLE Hidden RENAME TO PrepProject"_s));
        seed(u"Back"_s, QString());
        QCOMPARE(view.errorText(), QString());
        QVERIFY(view.projectList()->isVisible());
        QVERIFY(!empty->isVisible());
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
