// The checklist on a large store: 10,000 projects of 20 tasks each (built once, in a temporary
// folder, in one transaction). Measured: building the project list (the query alone and the list
// model the screen shows), opening one project (the project and its sorted tasks), and one
// toggle, which is a committed transaction on disk. The goal for the first two is under 100 ms.
//
// The list screen itself: opening it (built on the store, shown, laid out and painted), goal
// under 100 ms; and one change seen on it (a project added, renamed, deleted through the
// screen's undoable delete, a task toggled in a project far down the list), each a committed
// transaction followed by the list's update and repaint, goal under 16 ms.

#include "BenchRuns.h"
#include "common/ScreenUndo.h"
#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepProjectListModel.h"
#include "prep/ProjectPrepChecklistView.h"

#include <QApplication>
#include <QListView>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const int kProjects = hb::bench::isSmokeRun() ? 100 : 10'000;
constexpr int kTasksPerProject = 20;
constexpr qint64 kStartMs = 1'700'000'000'000;

struct BenchStore {
    QTemporaryDir folder;
    std::unique_ptr<hb::ModelStore> store;
    qint64 middleProject = 0;
    qint64 middleTask = 0;
    // Every project and its first task, in the order the projects were made.
    QList<qint64> projects;
    QList<qint64> firstTasks;
    QString error;

    BenchStore()
    {
        auto opened = hb::ModelStore::open(folder.path());
        if (!opened) {
            error = opened.error().description;
            return;
        }
        store = std::move(*opened);
        const auto built = store->write([this](QSqlDatabase &db) -> hb::Expected<hb::Done> {
            auto project = hb::ModelStore::prepare(
                db, u"INSERT INTO PrepProject (name, notes, createdAt, updatedAt) "
                    u"VALUES (?, ?, ?, ?)"_s);
            auto task = hb::ModelStore::prepare(
                db, u"INSERT INTO PrepTask (title, details, isDone, createdAt, updatedAt, "
                    u"sortOrder, project) VALUES (?, '', ?, ?, ?, ?, ?)"_s);
            if (!project)
                return project.error();
            if (!task)
                return task.error();
            for (int p = 0; p < kProjects; ++p) {
                // Changed in another order than created, as a real list would be.
                const qint64 created = kStartMs + p * 60'000;
                const qint64 updated = created + (p * 7'919 % kProjects) * 1'000;
                project->bindValue(0, u"Project %1"_s.arg(p));
                project->bindValue(1, u"Notes for reel %1, graded warm"_s.arg(p));
                project->bindValue(2, created);
                project->bindValue(3, updated);
                if (auto done = hb::ModelStore::exec(*project); !done)
                    return done;
                const qint64 id = project->lastInsertId().toLongLong();
                projects.append(id);
                if (p == kProjects / 2)
                    middleProject = id;
                for (int t = 0; t < kTasksPerProject; ++t) {
                    task->bindValue(0, u"Task %1"_s.arg(t));
                    task->bindValue(1, int(t % 3 == 0));
                    task->bindValue(2, created);
                    task->bindValue(3, created + t);
                    task->bindValue(4, t + 1);
                    task->bindValue(5, id);
                    if (auto done = hb::ModelStore::exec(*task); !done)
                        return done;
                    if (t == 0)
                        firstTasks.append(task->lastInsertId().toLongLong());
                    if (p == kProjects / 2 && t == 0)
                        middleTask = task->lastInsertId().toLongLong();
                }
            }
            return hb::Done{};
        });
        if (!built)
            error = built.error().description;
    }
};

BenchStore &benchStore()
{
    // Qt SQL loads its driver plugin through the application object; the screen needs widgets.
    static int argc = 1;
    static char name[] = "bench_prep";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: widgets' global state may be gone by the time statics are.
    static auto *app = new QApplication(argc, argv);
    Q_UNUSED(app);
    static BenchStore instance;
    return instance;
}

bool ready(benchmark::State &state)
{
    const BenchStore &bench = benchStore();
    if (bench.error.isEmpty())
        return true;
    state.SkipWithError(bench.error.toUtf8().constData());
    return false;
}

void BM_ProjectListQuery(benchmark::State &state)
{
    if (!ready(state))
        return;
    hb::PrepChecklist list(*benchStore().store);
    for (auto _ : state) {
        auto projects = list.projects();
        if (!projects || projects->size() != kProjects) {
            state.SkipWithError("the project list is incomplete");
            return;
        }
        benchmark::DoNotOptimize(projects);
    }
}

// What the list reads after each change to find the projects that changed.
void BM_ProjectStamps(benchmark::State &state)
{
    if (!ready(state))
        return;
    hb::PrepChecklist list(*benchStore().store);
    for (auto _ : state) {
        auto stamps = list.projectStamps();
        if (!stamps || stamps->size() != kProjects) {
            state.SkipWithError("the stamps are incomplete");
            return;
        }
        benchmark::DoNotOptimize(stamps);
    }
}

void BM_ProjectListModel(benchmark::State &state)
{
    if (!ready(state))
        return;
    for (auto _ : state) {
        hb::PrepProjectListModel model(*benchStore().store);
        if (model.rowCount() != kProjects) {
            state.SkipWithError("the list model is incomplete");
            return;
        }
        benchmark::DoNotOptimize(model.projects());
    }
}

void BM_OpenProject(benchmark::State &state)
{
    if (!ready(state))
        return;
    const BenchStore &bench = benchStore();
    hb::PrepChecklist list(*bench.store);
    for (auto _ : state) {
        auto project = list.project(bench.middleProject);
        auto tasks = list.sortedTasks(bench.middleProject);
        if (!project || !*project || !tasks || tasks->size() != kTasksPerProject) {
            state.SkipWithError("the project could not be read");
            return;
        }
        benchmark::DoNotOptimize(tasks);
    }
}

void BM_ToggleTask(benchmark::State &state)
{
    if (!ready(state))
        return;
    const BenchStore &bench = benchStore();
    hb::PrepChecklist list(*bench.store);
    for (auto _ : state) {
        if (!list.toggleTask(bench.middleTask, bench.middleProject)) {
            state.SkipWithError("the toggle failed");
            return;
        }
    }
}

// Lets the screen handle what the change posted (the list's delayed layout) and paint.
void settle(hb::ProjectPrepChecklistView &view)
{
    QCoreApplication::processEvents();
    view.repaint();
}

void BM_OpenListScreen(benchmark::State &state)
{
    if (!ready(state))
        return;
    for (auto _ : state) {
        hb::ProjectPrepChecklistView view(*benchStore().store);
        view.resize(640, 720);
        view.show();
        settle(view);
        if (view.projects()->rowCount() != kProjects) {
            state.SkipWithError("the list screen is incomplete");
            return;
        }
        state.PauseTiming(); // closing the screen is not opening it
        view.hide();
        state.ResumeTiming();
    }
}

enum class Change { Add, Rename, Delete, Toggle };

void BM_ListScreenChange(benchmark::State &state)
{
    if (!ready(state))
        return;
    const auto change = Change(state.range(0));
    BenchStore &bench = benchStore();
    hb::ProjectPrepChecklistView view(*bench.store);
    view.resize(640, 720);
    view.show();
    settle(view);
    hb::PrepChecklist &checklist = view.checklist();
    qsizetype next = 0;
    for (auto _ : state) {
        bool done = true;
        switch (change) {
        case Change::Add: {
            const auto added = checklist.createProject(u"Trailer"_s, u"Cut 3"_s);
            settle(view);
            state.PauseTiming();
            done = added && checklist.deleteProjects({added->id});
            settle(view);
            state.ResumeTiming();
            break;
        }
        case Change::Rename: {
            // What renaming commits: the name and the time of the change, one transaction.
            const qint64 id = view.projects()->projects().at(kProjects / 2).id;
            done = bool(bench.store->write([&](QSqlDatabase &db) -> hb::Expected<hb::Done> {
                QSqlQuery query(db);
                query.prepare(u"UPDATE PrepProject SET name = ?, updatedAt = ? WHERE id = ?"_s);
                query.addBindValue(u"Renamed %1"_s.arg(next++));
                query.addBindValue(QDateTime::currentMSecsSinceEpoch());
                query.addBindValue(id);
                return hb::ModelStore::exec(query);
            }));
            settle(view);
            break;
        }
        case Change::Delete: {
            view.deleteProjects({kProjects / 2});
            settle(view);
            state.PauseTiming();
            done = view.projects()->rowCount() == kProjects - 1;
            view.undoHistory()->undo();
            settle(view);
            done = done && view.projects()->rowCount() == kProjects;
            state.ResumeTiming();
            break;
        }
        case Change::Toggle: {
            // A different project each time, from anywhere in the list up to the top.
            const qsizetype at = (next++ * 7'919) % bench.firstTasks.size();
            const qint64 task = bench.firstTasks.at(at);
            done = bool(checklist.toggleTask(task, bench.projects.at(at)));
            settle(view);
            break;
        }
        }
        if (!done) {
            state.SkipWithError("the change failed");
            return;
        }
    }
}

} // namespace

BENCHMARK(BM_OpenListScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListScreenChange)
    ->ArgName("add0_rename1_delete2_toggle3")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectListQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectStamps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectListModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleTask)->Unit(benchmark::kMillisecond);
