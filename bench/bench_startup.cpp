// What starting the application costs: the time from starting a new process until its catalogue
// is shown (offscreen), and its memory once idle, with the tutorial browser's plugin not
// installed, installed but not opened, and loaded already at start (as when the program linked
// the browser engine). Opening the browser is measured by bench_tutorial_browser.
//
// Each iteration starts this program again as the application (`--child MODE`): it links what
// huebench links, and the dynamic loader's work counts. Memory is read from /proc once the
// child reports that it is ready and has stood idle for half a second: its resident set, its
// proportional set size, and the proportional set size of its whole process tree (the browser
// engine's helper processes).

#include "BenchRuns.h"
#include "ProcessTree.h"
#include "app/ContentView.h"
#include "app/HuebenchApp.h"
#include "app/ToolCatalogue.h"
#include "common/Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPluginLoader>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using hb::bench::processTree;
using hb::bench::procKiB;
using hb::bench::waitFor;

enum class Mode { NotInstalled, Installed, LoadedAtStart };

const char *modeName(Mode mode)
{
    switch (mode) {
    case Mode::NotInstalled:
        return "not-installed";
    case Mode::Installed:
        return "installed";
    case Mode::LoadedAtStart:
        return "loaded-at-start";
    }
    return "";
}

// Proportional set size of a process and all its descendants.
qint64 treePssKiB(qint64 root)
{
    qint64 total = 0;
    for (qint64 pid : processTree(root))
        total += procKiB(pid, "smaps_rollup", "Pss:");
    return total;
}

// The application as the child runs it: ready once the catalogue (or the browser's page) is
// shown; then it idles until its standard input closes.
int runChild(int argc, char *argv[], Mode mode)
{
    // Loading the engine at start, as the program did before it was a plugin, needed the shared
    // graphics context before the application object existed.
    if (mode == Mode::LoadedAtStart)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication::setOrganizationName(u"Huebench"_s);
    QApplication::setApplicationName(u"Huebench"_s);
    QApplication application(argc, argv);
#ifdef HB_BROWSER_PLUGIN
    if (mode == Mode::LoadedAtStart && !QPluginLoader(QStringLiteral(HB_BROWSER_PLUGIN)).load())
        return 3;
#endif
    auto app = hb::HuebenchApp::create();
    if (!app)
        return 1;
    (*app)->show();
    if (!waitFor([&] { return (*app)->window()->windowHandle()->isExposed(); }, 10000))
        return 1;
    QCoreApplication::processEvents();

    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    char line[16];
    while (std::fgets(line, sizeof line, stdin)) {
    }
    return 0;
}

struct Sample {
    double milliseconds = 0;
    qint64 rssKiB = 0;
    qint64 pssKiB = 0;
    qint64 treePssKiB = 0;
};

std::optional<Sample> startChild(Mode mode, const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(variable), home);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QTWEBENGINE_DISABLE_SANDBOX"_s, u"1"_s);
    // The engine opens no connection of its own; its page comes from loopback only.
    environment.insert(u"QTWEBENGINE_CHROMIUM_FLAGS"_s,
                       u"--disable-background-networking --disable-component-update "
                       u"--disable-sync"_s);
    environment.remove(u"HUEBENCH_PLUGIN_PATH"_s);
#ifdef HB_BROWSER_PLUGIN
    if (mode != Mode::NotInstalled) {
        environment.insert(u"HUEBENCH_PLUGIN_PATH"_s,
                           QFileInfo(QStringLiteral(HB_BROWSER_PLUGIN)).absolutePath());
    }
#endif
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(),
                {u"--child"_s, QString::fromLatin1(modeName(mode))});
    while (!child.canReadLine()) {
        if (!child.waitForReadyRead(60000)) {
            child.kill();
            child.waitForFinished();
            return std::nullopt;
        }
    }
    Sample sample;
    sample.milliseconds = double(clock.nsecsElapsed()) / 1e6;
    QThread::msleep(500);
    const qint64 pid = child.processId();
    sample.rssKiB = procKiB(pid, "status", "VmRSS:");
    sample.pssKiB = procKiB(pid, "smaps_rollup", "Pss:");
    sample.treePssKiB = treePssKiB(pid);
    child.closeWriteChannel();
    if (!child.waitForFinished(10000)) {
        child.kill();
        child.waitForFinished();
    }
    return sample;
}

void startUp(benchmark::State &state, Mode mode)
{
    QTemporaryDir home;
    Sample total;
    qint64 runs = 0;
    for (auto _ : state) {
        const auto sample = startChild(mode, home.path());
        if (!sample) {
            state.SkipWithError("the application did not get ready");
            return;
        }
        state.SetIterationTime(sample->milliseconds / 1e3);
        total.rssKiB += sample->rssKiB;
        total.pssKiB += sample->pssKiB;
        total.treePssKiB += sample->treePssKiB;
        ++runs;
    }
    const auto megabytes = [runs](qint64 kib) { return double(kib) / 1024.0 / double(runs); };
    state.counters["rss_MB"] = megabytes(total.rssKiB);
    state.counters["pss_MB"] = megabytes(total.pssKiB);
    state.counters["tree_pss_MB"] = megabytes(total.treePssKiB);
}

void registerBenchmarks()
{
    const struct {
        const char *name;
        Mode mode;
        benchmark::IterationCount runs;
    } cases[] = {
        {"StartToCatalogue/plugin_not_installed", Mode::NotInstalled, 10},
#ifdef HB_BROWSER_PLUGIN
        {"StartToCatalogue/plugin_installed", Mode::Installed, 10},
        {"StartToCatalogue/engine_loaded_at_start", Mode::LoadedAtStart, 10},
#endif
    };
    for (const auto &entry : cases) {
        benchmark::RegisterBenchmark(entry.name, startUp, entry.mode)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(hb::bench::runs(entry.runs));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        for (Mode mode : {Mode::NotInstalled, Mode::Installed, Mode::LoadedAtStart}) {
            if (std::strcmp(argv[2], modeName(mode)) == 0) {
                int childArgc = 1;
                return runChild(childArgc, argv, mode);
            }
        }
        return 2;
    }
    // QProcess wants an application object; the children make their own.
    QCoreApplication application(argc, argv);
    registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
