// What the tutorial browser costs: start-up time and memory of the application showing only the
// catalogue (the browser engine must not be loaded then), and the same once the browser screen
// has opened and shown a page from a loopback server, and after leaving it again.
//
// Memory is the proportional set size (shared pages split between the processes sharing them)
// of the application and every process it started, so the engine's helper processes count.

#include "LoopbackWebServer.h"
#include "ProcessTree.h"
#include "app/ContentView.h"
#include "app/HuebenchApp.h"
#include "app/ToolCatalogue.h"
#include "common/Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using hb::bench::processTree;
using hb::bench::procKiB;
using hb::bench::waitFor;

void report(const char *moment, double milliseconds)
{
    const QList<qint64> tree = processTree(::getpid());
    qint64 own = procKiB(tree.first(), "smaps_rollup", "Pss:");
    qint64 all = 0;
    for (qint64 pid : tree)
        all += procKiB(pid, "smaps_rollup", "Pss:");
    std::printf("%-34s %8.0f ms   app %4lld MB   with helpers %4lld MB   processes %lld\n", moment,
                milliseconds, own / 1024, all / 1024, qint64(tree.size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    // A throw-away home: a fresh store and settings, like a first start.
    QTemporaryDir home;
    for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toUtf8());
    // The engine opens no connection of its own; pages come from loopback only.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking "
                                          "--disable-component-update --disable-sync");
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setOrganizationName(u"Huebench"_s);
    QApplication::setApplicationName(u"Huebench"_s);
    // As the program's main() does; the screen comes from the plugin in the build tree.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("HUEBENCH_PLUGIN_PATH", HB_BROWSER_PLUGIN_DIR);
    QApplication application(argc, argv);

    auto app = hb::HuebenchApp::create();
    if (!app) {
        std::fprintf(stderr, "no store: %s\n", qPrintable(app.error().description));
        return 1;
    }
    (*app)->show();
    waitFor([&] { return (*app)->window()->windowHandle()->isExposed(); }, 10000);
    QCoreApplication::processEvents();
    report("catalogue shown (from start)", double(clock.nsecsElapsed()) / 1e6);

    LoopbackWebServer site(QHostAddress(u"127.0.0.1"_s));
    site.setPage(u"/"_s, u"<!doctype html><title>tutorials</title><h1>Tutorials</h1>"_s);
    (*app)->settings().setYoutubeSearchSiteUrl(site.origin() + u"/"_s);

    clock.restart();
    (*app)->contentView()->choose(hb::ToolId::YouTubeSearch);
    // The screen's state comes from the plugin: read through its property.
    const QObject *state = nullptr;
    for (const QObject *child : (*app)->contentView()->currentScreen()->children()) {
        if (std::strcmp(child->metaObject()->className(), "hb::YouTubeSearchState") == 0)
            state = child;
    }
    const auto loaded = [&] {
        return state && state->property("webStatusText").toString().startsWith(u"Loaded: "_s);
    };
    if (!waitFor(loaded, 60000)) {
        std::fprintf(stderr, "the page did not load\n");
        return 1;
    }
    report("browser opened, page loaded", double(clock.nsecsElapsed()) / 1e6);

    clock.restart();
    (*app)->contentView()->choose(hb::ToolId::FeetFrames);
    waitFor([] { return false; }, 3000);
    report("3 s after leaving the browser", double(clock.nsecsElapsed()) / 1e6);
    return 0;
}
