// The checklist on a large store: 10,000 projects of 20 tasks each (built once, in a temporary
// folder, in one transaction). Measured: building the project list (the query alone and the list
// model the screen shows), opening one project (the project and its sorted tasks), and one
// toggle, which is a committed transaction on disk. The goal for the first two is under 100 ms.

#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepProjectListModel.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kProjects = 10'000;
constexpr int kTasksPerProject = 20;
constexpr qint64 kStartMs = 1'700'000'000'000;

struct BenchStore {
    QTemporaryDir folder;
    std::unique_ptr<hb::ModelStore> store;
    qint64 middleProject = 0;
    qint64 middleTask = 0;
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
    // Qt SQL loads its driver plugin through the application object.
    static int argc = 1;
    static char name[] = "bench_prep";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
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

} // namespace

BENCHMARK(BM_ProjectListQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectListModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleTask)->Unit(benchmark::kMillisecond);
