// The template library screen over a folder of 3,000 converted templates: opening it (the
// screen built over the folder and shown), deleting one template, renaming one, and importing
// one, each timed with the list's update on screen. The goal: opening under 100 ms, each change
// under 16 ms (one frame). The import's time includes converting a small template on the worker.
// Besides the wall-clock time, "main_cpu_ms" is the main thread's own processor time per change:
// on a busy machine the wall clock also counts the time other processes had the processor.
#include "mogrt/MogrtToFusionLibraryView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "BenchRuns.h"
#include "mogrt/TestTemplate.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// A private home, so that deleted templates go to a trash in a temporary folder.
struct BenchFolder {
    QTemporaryDir root;
    QString library;
    QString picked;
    int count = 0;

    BenchFolder()
    {
        qputenv("HOME", QFile::encodeName(root.filePath(u"home"_s)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(u"data"_s)));
        library = root.filePath(u"library"_s);
        picked = root.filePath(u"picked"_s);
        QDir().mkpath(root.filePath(u"home"_s));
        QDir().mkpath(library);
        QDir().mkpath(picked);
        count = bench::isSmokeRun() ? 30 : 3000;
        for (int i = 0; i < count; ++i)
            writeTemplate(i);
        test::writeArchive(picked + u"/Imported Title.mogrt"_s,
                           {{"definition.json", R"({"clientControls":[]})"}});
    }

    QString templatePath(int i) const
    {
        return library + u"/Lower Third "_s + QString::number(i).rightJustified(4, u'0') +
               u".setting"_s;
    }

    void writeTemplate(int i) const
    {
        QFile file(templatePath(i));
        if (file.open(QIODevice::WriteOnly))
            file.write("{ Tools = ordered() { } }\n");
    }

    MogrtLibrary makeLibrary() const
    {
        return MogrtLibrary([path = library]() -> Expected<QString> { return path; });
    }
};

BenchFolder *folder = nullptr;

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Times one change on the wall clock (the benchmark's time) and on the main thread's processor.
class Stopwatch {
public:
    explicit Stopwatch(benchmark::State &state) : m_state(state) {}
    ~Stopwatch()
    {
        m_state.counters["main_cpu_ms"] =
            benchmark::Counter(m_cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
    }
    Stopwatch(const Stopwatch &) = delete;
    Stopwatch &operator=(const Stopwatch &) = delete;

    void start()
    {
        m_cpuStart = threadCpuSeconds();
        m_wall.start();
    }
    void stop()
    {
        m_state.SetIterationTime(double(m_wall.nsecsElapsed()) / 1e9);
        m_cpuSeconds += threadCpuSeconds() - m_cpuStart;
    }

private:
    benchmark::State &m_state;
    QElapsedTimer m_wall;
    double m_cpuStart = 0;
    double m_cpuSeconds = 0;
};

// Lets the list lay itself out and paint, as the next frame would.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

std::unique_ptr<MogrtToFusionLibraryView> shownView()
{
    auto view = std::make_unique<MogrtToFusionLibraryView>(folder->makeLibrary());
    view->resize(700, 600);
    view->show();
    settle();
    return view;
}

int rowOf(const MogrtToFusionLibraryView &view, const QString &displayName)
{
    const QList<LibraryItem> &items = view.items();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].displayName == displayName)
            return int(i);
    }
    return -1;
}

void openLibrary(benchmark::State &state)
{
    Stopwatch watch(state);
    for (auto _ : state) {
        watch.start();
        auto view = shownView();
        watch.stop();
        benchmark::DoNotOptimize(view->items().size());
    }
    state.counters["templates"] = folder->count;
}
BENCHMARK(openLibrary)->UseManualTime()->Iterations(bench::runs(5))->Unit(benchmark::kMillisecond);

void deleteOne(benchmark::State &state)
{
    auto view = shownView();
    Stopwatch watch(state);
    const int middle = folder->count / 2;
    const QString name = QFileInfo(folder->templatePath(middle)).completeBaseName();
    for (auto _ : state) {
        const int row = rowOf(*view, name);
        watch.start();
        view->deleteItems({row});
        settle();
        watch.stop();
        if (QFile::exists(folder->templatePath(middle)))
            state.SkipWithError("the template was not deleted");
        folder->writeTemplate(middle);
        view->loadLibrary();
        settle();
    }
}
BENCHMARK(deleteOne)->UseManualTime()->Iterations(bench::runs(20))->Unit(benchmark::kMillisecond);

// Renames back and forth between a name in the middle of the list and one at its top.
void renameOne(benchmark::State &state)
{
    auto view = shownView();
    Stopwatch watch(state);
    const QString middle = QFileInfo(folder->templatePath(folder->count / 2)).completeBaseName();
    const QString top = u"A Title"_s;
    bool toTop = true;
    for (auto _ : state) {
        const int row = rowOf(*view, toTop ? middle : top);
        watch.start();
        view->renameItem(row, toTop ? top : middle);
        settle();
        watch.stop();
        if (!view->errorText().isEmpty())
            state.SkipWithError(qPrintable(view->errorText()));
        toTop = !toTop;
    }
}
BENCHMARK(renameOne)->UseManualTime()->Iterations(bench::runs(20))->Unit(benchmark::kMillisecond);

void importOne(benchmark::State &state)
{
    auto view = shownView();
    Stopwatch watch(state);
    const QString source = folder->picked + u"/Imported Title.mogrt"_s;
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(view.get(), &MogrtToFusionLibraryView::importsApplied, &loop,
                         &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        watch.start();
        view->importFiles({source});
        loop.exec();
        settle();
        watch.stop();
        const int row = rowOf(*view, u"Imported Title"_s);
        if (row < 0) {
            state.SkipWithError("the template was not imported");
            break;
        }
        view->deleteItems({row});
        settle();
    }
}
BENCHMARK(importOne)->UseManualTime()->Iterations(bench::runs(20))->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    BenchFolder benchFolder; // before the application: it sets the home folder
    folder = &benchFolder;
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
