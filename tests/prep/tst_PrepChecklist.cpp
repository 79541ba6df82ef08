#include "ChecklistDigest.h"
#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepProjectListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kStart = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);

// "A1 B2 C3*": title and sortOrder of each task in display order, "*" when done.
QString describe(const QList<PrepTask> &tasks)
{
    QStringList parts;
    for (const PrepTask &task : tasks)
        parts.append(task.title + QString::number(task.sortOrder) + (task.isDone ? u"*"_s : u""_s));
    return parts.join(u' ');
}

// "d2@5": done ("o": open), sortOrder 2, updated 5 ms after the start.
PrepTask parseTask(const QString &text)
{
    const QStringList parts = text.mid(1).split(u'@');
    return {
        0, text, {}, text[0] == u'd', kStart, kStart.addMSecs(parts[1].toInt()), parts[0].toInt(),
        {}};
}

} // namespace

class TestPrepChecklist : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        auto store = ModelStore::open(m_dir->path());
        QVERIFY(store);
        m_store = std::move(*store);
        m_ticks = 0; // the clock moves on 1 ms at every reading
        m_list = std::make_unique<PrepChecklist>(*m_store,
                                                 [this] { return kStart.addMSecs(++m_ticks); });
    }

    void cleanup()
    {
        m_list.reset();
        m_store.reset();
    }

    // "+T" adds task T, "xT" toggles it, "-0,1" deletes those displayed positions.
    void taskOrder_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("shown");
        QTest::newRow("sort orders 1, 2, 3") << u"+A +B +C"_s << u"A1 B2 C3"_s;
        QTest::newRow("ticking moves below") << u"+A +B +C xA"_s << u"B2 C3 A1*"_s;
        QTest::newRow("unticking returns by sortOrder") << u"+A +B +C xA xB xA"_s << u"A1 C3 B2*"_s;
        QTest::newRow("finished keep sortOrder order") << u"+A +B +C xC xA"_s << u"B2 A1* C3*"_s;
        QTest::newRow("largest sortOrder reused") << u"+A +B +C -2 +D"_s << u"A1 B2 D3"_s;
        QTest::newRow("smaller one not reused") << u"+A +B +C -0 +D"_s << u"B2 C3 D4"_s;
        QTest::newRow("positions 0 and 1 as shown") << u"+A +B +C +D xA -0,1"_s << u"D4 A1*"_s;
        QTest::newRow("out of range ignored") << u"+A +B -5,-1,1,1"_s << u"A1"_s;
    }

    void taskOrder()
    {
        QFETCH(QString, script);
        QFETCH(QString, shown);
        const qint64 project = m_list->createProject(u"Grade"_s, {})->id;
        for (const QString &step : script.split(u' ')) {
            const QString argument = step.mid(1);
            QList<int> positions;
            for (const QString &position : argument.split(u','))
                positions.append(position.toInt());
            if (step[0] == u'+')
                QVERIFY(m_list->addTask(project, argument).value());
            else if (step[0] == u'x')
                QVERIFY(m_list->toggleTask(taskNamed(project, argument), project));
            else
                QVERIFY(m_list->deleteTasks(project, positions));
        }
        const QList<PrepTask> tasks = m_list->sortedTasks(project).value();
        QCOMPARE(describe(tasks), shown);
        QVERIFY(std::is_sorted(tasks.cbegin(), tasks.cend(), &PrepChecklist::comesBefore));
    }

    void comesBefore_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("aFirst");
        QTest::newRow("open above done") << u"o9@0"_s << u"d1@5"_s << true;
        QTest::newRow("smaller sortOrder") << u"d1@0"_s << u"d2@5"_s << true;
        QTest::newRow("equal keys, changed last") << u"o2@5"_s << u"o2@4"_s << true;
        QTest::newRow("equal keys, changed first") << u"o2@4"_s << u"o2@5"_s << false;
        QTest::newRow("all equal") << u"o2@4"_s << u"o2@4"_s << false;
    }

    void comesBefore()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, aFirst);
        QCOMPARE(PrepChecklist::comesBefore(parseTask(a), parseTask(b)), aFirst);

        // Stored tasks come in the same order (equal keys only arise from records made elsewhere).
        const qint64 project = m_list->createProject(u"Grade"_s, {})->id;
        for (const QString &text : {b, a}) {
            const PrepTask task = parseTask(text);
            QSqlQuery insert(m_store->database());
            QVERIFY(insert.exec(
                u"INSERT INTO PrepTask VALUES (NULL, '%1', '', %2, 0, %3, %4, %5)"_s.arg(text)
                    .arg(int(task.isDone))
                    .arg(task.updatedAt.toMSecsSinceEpoch())
                    .arg(task.sortOrder)
                    .arg(project)));
        }
        if (aFirst || PrepChecklist::comesBefore(parseTask(b), parseTask(a)))
            QCOMPARE(m_list->sortedTasks(project)->constFirst().title, aFirst ? a : b);
    }

    // Which operations move a project to the top of the list, all with the operation's instant.
    void touches_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("movesUp");
        for (const auto &[operation, movesUp] : {std::pair{"add task", true},
                                                 {"blank task", false},
                                                 {"toggle", true},
                                                 {"save task", true},
                                                 {"delete tasks", true},
                                                 {"export", false}})
            QTest::newRow(operation) << QString::fromLatin1(operation) << movesUp;
    }

    void touches()
    {
        QFETCH(QString, operation);
        QFETCH(bool, movesUp);
        const PrepProject older = m_list->createProject(u" Older \n"_s, u"n"_s).value();
        QCOMPARE(m_list->project(older.id)->value(),
                 (PrepProject{older.id, u"Older"_s, u"n"_s, now(), now()}));
        const qint64 task = m_list->addTask(older.id, u"Task"_s).value()->id;
        const qint64 newer = m_list->createProject(u"Newer"_s, {})->id;
        QSignalSpy changes(m_store.get(), &ModelStore::changed);

        std::optional<PrepTask> added;
        if (operation == u"add task"_s || operation == u"blank task"_s)
            added =
                m_list->addTask(older.id, movesUp ? u"  Conform EDL \n"_s : u" \r\n\t"_s).value();
        else if (operation == u"toggle"_s)
            QVERIFY(m_list->toggleTask(task, older.id));
        else if (operation == u"save task"_s)
            QVERIFY(m_list->saveTaskEdits(task, u" \n "_s, u" shot 4\n"_s, true));
        else if (operation == u"delete tasks"_s)
            QVERIFY(m_list->deleteTasks(older.id, {0}));
        else
            QVERIFY(m_list->exportMarkdown(older.id));

        const PrepProject top = m_list->projects()->constFirst();
        QCOMPARE(top.id, movesUp ? older.id : newer);
        QCOMPARE(changes.size(), movesUp ? 1 : 0);
        if (movesUp)
            QCOMPARE(top.updatedAt, now());
        const auto tasks = m_list->sortedTasks(older.id).value();
        if (operation == u"add task"_s)
            QCOMPARE(tasks.last(), (PrepTask{added->id, u"Conform EDL"_s, u""_s, false, now(),
                                             now(), 2, older.id}));
        if (operation == u"blank task"_s)
            QVERIFY(!added && tasks.size() == 1);
        if (operation == u"save task"_s) { // the title stored trimmed even when that empties it
            QCOMPARE(tasks[0], (PrepTask{task, u""_s, u" shot 4\n"_s, true, kStart.addMSecs(2),
                                         now(), 1, older.id}));
            // A task without a project is saved all the same.
            QSqlQuery loose(m_store->database());
            QVERIFY(loose.exec(u"INSERT INTO PrepTask VALUES (NULL, 'L', '', 0, 0, 0, 1, NULL)"_s));
            QVERIFY(m_list->saveTaskEdits(loose.lastInsertId().toLongLong(), u"K"_s, {}, false));
        }
        if (operation == u"toggle"_s)
            QCOMPARE(tasks[0].updatedAt, now());
    }

    void projectNotes_data()
    {
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("saved");
        QTest::newRow("kept, then trimmed on leaving")
            << u" Reel 2 \n"_s << u" Reel 2 \n"_s << u"Reel 2"_s;
        QTest::newRow("same once trimmed") << u"Reel 2"_s << u"\tReel 2  "_s << u"Reel 2"_s;
        QTest::newRow("cleared") << u"Reel 2"_s << u" \n "_s << u""_s;
    }

    void projectNotes()
    {
        QFETCH(QString, created);
        QFETCH(QString, draft);
        QFETCH(QString, saved);
        const PrepProject project = m_list->createProject(u"Grade"_s, created).value();
        QCOMPARE(m_list->project(project.id).value()->notes, created);
        QSignalSpy changed(m_store.get(), &ModelStore::changed);
        const bool changes = saved != created;
        QCOMPARE(m_list->saveProjectNotes(project.id, draft).value(), changes);
        const PrepProject after = m_list->project(project.id)->value();
        QCOMPARE(after.notes, saved);
        QCOMPARE(after.updatedAt, changes ? now() : project.updatedAt);
        // Leaving the screen again changes nothing.
        QCOMPARE(m_list->saveProjectNotes(project.id, draft).value(), false);
        QCOMPARE(m_list->project(project.id)->value(), after);
        QCOMPARE(changed.size(), changes ? 1 : 0);
    }

    // An unknown id is an error, and an operation that fails halfway leaves the store as it was.
    void unknownIds_data()
    {
        QTest::addColumn<int>("operation");
        int operation = 0;
        for (const char *name : {"toggle: task", "toggle: shown project", "save task", "save notes",
                                 "delete tasks", "delete projects", "add task", "duplicate",
                                 "export", "sorted tasks", "next sort order"})
            QTest::newRow(name) << operation++;
    }

    void unknownIds()
    {
        QFETCH(int, operation);
        const qint64 project = m_list->createProject(u"Grade"_s, u"n"_s)->id;
        const qint64 task = m_list->addTask(project, u"Task"_s).value()->id;
        const auto before = m_list->sortedTasks(project).value();
        const qint64 unknown = 999;
        const auto failure = [](const auto &result) { return result ? Error{} : result.error(); };
        const std::function<Error()> operations[] = {
            [&] { return failure(m_list->toggleTask(unknown, project)); },
            [&] { return failure(m_list->toggleTask(task, unknown)); }, // rolls the toggle back
            [&] { return failure(m_list->saveTaskEdits(unknown, u"T"_s, {}, true)); },
            [&] { return failure(m_list->saveProjectNotes(unknown, u"m"_s)); },
            [&] { return failure(m_list->deleteTasks(unknown, {0})); },
            [&] {
                return failure(m_list->deleteProjects({project, unknown}));
            }, // keeps project
            [&] { return failure(m_list->addTask(unknown, u"T"_s)); },
            [&] { return failure(m_list->duplicateProject(unknown)); },
            [&] { return failure(m_list->exportMarkdown(unknown)); },
            [&] { return failure(m_list->sortedTasks(unknown)); },
            [&] { return failure(m_list->nextSortOrder(unknown)); },
        };
        const Error error = operations[operation]();
        QVERIFY2(error.is(PrepChecklistError::NotFound), qPrintable(error.description));
        QVERIFY2(error.description.contains(u"999"_s), qPrintable(error.description));
        QCOMPARE(m_list->projects()->size(), 1);
        QCOMPARE(m_list->sortedTasks(project).value(), before);
    }

    void duplicateProject()
    {
        const PrepProject original = m_list->createProject(u"Grade"_s, u" warm "_s).value();
        const qint64 first = m_list->addTask(original.id, u"A"_s).value()->id;
        QVERIFY(m_list->addTask(original.id, u"B"_s) && m_list->addTask(original.id, u"C"_s));
        QVERIFY(m_list->saveTaskEdits(first, u"A"_s, u"shot 4"_s, true));
        QVERIFY(m_list->deleteTasks(original.id, {0})); // B: sortOrders 3 and 1 remain
        const auto originalTasks = m_list->sortedTasks(original.id).value();

        const PrepProject copy = m_list->duplicateProject(original.id).value();
        QCOMPARE(copy, (PrepProject{copy.id, u"Grade copy"_s, u" warm "_s, now(), now()}));
        QCOMPARE(m_list->projects()->constFirst(), copy);
        const auto tasks = m_list->sortedTasks(copy.id).value();
        QCOMPARE(describe(tasks), u"C1 A2"_s);
        QCOMPARE(tasks[1].details, u"shot 4"_s);
        for (const PrepTask &task : tasks)
            QVERIFY(task.createdAt == now() && task.updatedAt == now() && task.project == copy.id);
        QCOMPARE(m_list->sortedTasks(original.id).value(), originalTasks);
    }

    // Tasks: "x" before the title when done, details after a "|".
    void exportMarkdown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<QString>("markdown");
        QTest::newRow("heading only") << u"Grade"_s << u" \n"_s << QStringList() << u"# Grade\n"_s;
        QTest::newRow("notes and tasks")
            << u"Reel 1"_s << u"  Look: warm\r\n\r\nKeep skin  "_s
            << QStringList{u"xConform"_s, u" Match|\nshot 4\n  \nshot 9\n"_s, u" Sync\naudio"_s}
            << u"# Reel 1\n\nLook: warm\n\nKeep skin\n\n- [ ] Match\n  shot 4\n\n  shot 9\n"
               u"- [ ] Sync audio\n- [x] Conform\n"_s;
        QTest::newRow("line starts escaped")
            << u"Take ##"_s << u"# one\n- two\n12. three\n  > four\n[x]: y\n3 x. fine"_s
            << QStringList{u" #12 fix|- sub\n+ more\n2) after"_s}
            << u"# Take \\##\n\n\\# one\n\\- two\n12\\. three\n  \\> four\n\\[x]: y\n3 x. fine\n\n"
               u"- [ ] \\#12 fix\n  \\- sub\n  \\+ more\n  2\\) after\n"_s;
    }

    void exportMarkdown()
    {
        QFETCH(QString, name);
        QFETCH(QString, notes);
        QFETCH(QStringList, tasks);
        QFETCH(QString, markdown);
        const qint64 project = m_list->createProject(name, notes)->id;
        for (const QString &entry : tasks) {
            const bool done = entry.startsWith(u'x');
            const QStringList parts = entry.mid(done ? 1 : 0).split(u'|');
            const qint64 id = m_list->addTask(project, parts[0]).value()->id;
            QVERIFY(m_list->saveTaskEdits(id, parts[0], parts.value(1), done));
        }
        QCOMPARE(m_list->exportMarkdown(project).value(), markdown);
    }

    void listModel()
    {
        QVERIFY(m_list->createProject(u"Grade Reel 1"_s, u"Warm grade"_s));
        PrepProjectListModel model(*m_store);
        const qint64 conform = m_list->createProject(u"Conform"_s, u"EDL from editorial"_s)->id;
        QCOMPARE(model.index(0).data(PrepProjectListModel::ProjectIdRole).toLongLong(), conform);
        // Name or notes, in any case; the text trimmed.
        for (const auto &[search, expected] : {std::pair{u"REEL"_s, u"Grade Reel 1"_s},
                                               {u" edl\n"_s, u"Conform"_s},
                                               {u"xyz"_s, u""_s}}) {
            model.setSearchText(search);
            QCOMPARE(names(model), expected);
        }

        // A store that cannot be read keeps the rows and says why; the next good read clears it.
        model.setSearchText({});
        QSqlQuery query(m_store->database());
        QVERIFY(query.exec(u"ALTER TABLE PrepProject RENAME TO Hidden"_s));
        model.refresh();
        QVERIFY(!model.errorText().isEmpty());
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(query.exec(u"ALTER TABLE Hidden RENAME TO PrepProject"_s));
        model.refresh();
        QCOMPARE(model.errorText(), QString());
    }

    // Steps: "+N" creates project N, "tN" adds a task to it, "nN:text" stores its notes, "oN"
    // makes it the oldest (a change from elsewhere), "-N,M" deletes projects, "u" puts back the
    // last deleted ones. After each, the model (its rows changed one by one, never reset) shows
    // what a model built afresh shows, and every row kept still holds its project.
    void listModelFollowsChanges_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("steps");
        QTest::newRow("add") << QString() << u"+Online +Trailer"_s;
        QTest::newRow("move to the top") << QString() << u"tGrade tSound tGrade"_s;
        QTest::newRow("move down") << QString() << u"oDeliver oSound tDeliver"_s;
        QTest::newRow("notes in place") << QString() << u"nDeliver:warm nDeliver:cold"_s;
        QTest::newRow("delete and restore") << QString() << u"-Conform,Grade u -Deliver u"_s;
        QTest::newRow("searching") << u"o"_s << u"+Online tGrade -Conform u nSound:x oOnline"_s;
        QTest::newRow("enters the search") << u"col"_s << u"nGrade:colour nGrade:"_s;
        QTest::newRow("leaves the search") << u"edl"_s << u"nConform:xml nConform:EDL"_s;
    }

    void listModelFollowsChanges()
    {
        QFETCH(QString, search);
        QFETCH(QString, steps);
        for (const QString &name : {u"Grade"_s, u"Conform"_s, u"Sound"_s, u"Deliver"_s})
            QVERIFY(m_list->createProject(name, name == u"Conform"_s ? u"EDL"_s : QString()));
        PrepProjectListModel model(*m_store);
        model.setSearchText(search);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QList<PrepProjectSnapshot> deleted;
        for (const QString &step : steps.split(u' ')) {
            const QString argument = step.mid(1);
            const QString name = argument.section(u':', 0, 0);
            QList<std::pair<QPersistentModelIndex, qint64>> rows;
            for (int row = 0; row < model.rowCount(); ++row)
                rows.append({model.index(row), model.projects()[row].id});
            switch (step[0].unicode()) {
            case u'+':
                QVERIFY(m_list->createProject(argument, {}));
                break;
            case u't':
                QVERIFY(m_list->addTask(projectNamed(name), u"Task"_s));
                break;
            case u'n':
                QVERIFY(m_list->saveProjectNotes(projectNamed(name), argument.section(u':', 1)));
                break;
            case u'-': {
                QList<qint64> ids;
                for (const QString &each : argument.split(u','))
                    ids.append(projectNamed(each));
                deleted = m_list->snapshotProjects(ids).value();
                QVERIFY(m_list->deleteProjects(ids));
                break;
            }
            case u'o':
                QVERIFY(m_store->write([&](QSqlDatabase &db) {
                    return ModelStore::exec(
                        db, u"UPDATE PrepProject SET updatedAt = 0 WHERE id = %1"_s.arg(
                                projectNamed(name)));
                }));
                break;
            default:
                QVERIFY(m_list->restoreProjects(deleted));
            }
            PrepProjectListModel fresh(*m_store);
            fresh.setSearchText(search);
            QVERIFY2(model.projects() == fresh.projects(), qPrintable(step));
            for (const auto &[index, id] : std::as_const(rows)) {
                if (index.isValid())
                    QCOMPARE(index.data(PrepProjectListModel::ProjectIdRole).toLongLong(), id);
                else
                    QCOMPARE(model.rowOf(id), -1);
            }
        }
        QCOMPARE(resets.size(), 0);
    }

    // Many changes in one commit read the list again.
    void listModelResetsForManyChanges()
    {
        PrepProjectListModel model(*m_store);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QVERIFY(m_store->write([](QSqlDatabase &db) -> Expected<Done> {
            for (qsizetype i = 0; i <= PrepProjectListModel::kIncrementalLimit; ++i) {
                if (auto done = ModelStore::exec(
                        db, u"INSERT INTO PrepProject VALUES (NULL, 'P%1', '', %1, %1)"_s.arg(i));
                    !done)
                    return done;
            }
            return Done{};
        }));
        QCOMPARE(resets.size(), 1);
        QCOMPARE(model.rowCount(), PrepProjectListModel::kIncrementalLimit + 1);
        QCOMPARE(model.projects(), m_list->projects().value());
    }

    // Deleted projects come back exactly: the tables hold what they held before, byte for byte.
    // With `taken`, one of the ids is in use again when restoring: none comes back.
    void deleteAndRestore_data()
    {
        QTest::addColumn<QList<int>>("deleted");
        QTest::addColumn<bool>("taken");
        QTest::newRow("one with tasks") << QList<int>{1} << false;
        QTest::newRow("several, any order") << QList<int>{3, 0, 2} << false;
        QTest::newRow("without tasks") << QList<int>{3} << false;
        QTest::newRow("an id in use") << QList<int>{0, 1} << true;
    }

    void deleteAndRestore()
    {
        QFETCH(QList<int>, deleted);
        QFETCH(bool, taken);
        QList<qint64> projects;
        const QStringList notes{u"Warm\nlook"_s, QString(), u"\U0001F3AC  "_s, u"x"_s};
        for (int i = 0; i < 4; ++i) {
            const qint64 id = m_list->createProject(u"P%1"_s.arg(i), notes[i])->id;
            projects.append(id);
            for (int t = 0; t < (i == 3 ? 0 : i + 2); ++t) {
                const qint64 task = m_list->addTask(id, u"T%1"_s.arg(t)).value()->id;
                QVERIFY(m_list->saveTaskEdits(task, u"T%1"_s.arg(t), u"d\n"_s, t % 2 == 1));
            }
        }
        // Tasks that are not in id order.
        QVERIFY(m_list->toggleTask(taskNamed(projects[0], u"T0"_s), projects[0]));
        const QByteArray before = checklistDigest(m_store->database());
        QList<qint64> ids;
        for (int i : deleted)
            ids.append(projects[i]);
        const QList<PrepProjectSnapshot> snapshots = m_list->snapshotProjects(ids).value();
        QCOMPARE(snapshots.size(), deleted.size());
        QCOMPARE(snapshots.first().project.id, ids.first());

        QVERIFY(m_list->deleteProjects(taken ? ids.mid(1) : ids));
        const QByteArray afterDelete = checklistDigest(m_store->database());
        QVERIFY(afterDelete != before);
        const auto restored = m_list->restoreProjects(snapshots);
        if (taken) {
            QVERIFY(restored.error().is(PrepChecklistError::AlreadyExists));
            QCOMPARE(checklistDigest(m_store->database()), afterDelete);
            return;
        }
        QVERIFY(restored);
        QCOMPARE(checklistDigest(m_store->database()), before);
        QCOMPARE(m_list->snapshotProjects(ids).value(), snapshots);
        // New records still get new ids.
        QVERIFY(m_list->createProject(u"New"_s, {})->id > projects.last());
    }

private:
    QDateTime now() const { return kStart.addMSecs(m_ticks); } // the last reading

    static QString names(const PrepProjectListModel &model)
    {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names.append(model.index(row).data().toString());
        return names.join(u", "_s);
    }

    qint64 projectNamed(const QString &name) const
    {
        for (const PrepProject &project : m_list->projects().value()) {
            if (project.name == name)
                return project.id;
        }
        return 0;
    }

    qint64 taskNamed(qint64 project, const QString &title)
    {
        for (const PrepTask &task : m_list->sortedTasks(project).value()) {
            if (task.title == title)
                return task.id;
        }
        return 0;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<PrepChecklist> m_list;
    qint64 m_ticks = 0;
};

QTEST_GUILESS_MAIN(TestPrepChecklist)
#include "tst_PrepChecklist.moc"
