// What the two games cost in the real window before the tutorial browser was ever opened, and
// again after it was opened on a loopback page and left. The web view's texture makes Qt compose
// the window through OpenGL while the browser is shown; on a software renderer that triples the
// cost of every frame, so the window must come back to raster composition when the browser goes.
//
// CPU is the process's user and system time over a few seconds of wall time, as a percentage of
// one core: the application with all its threads, and apart the browser engine's helper
// processes that stay after the browser is left. Run it on an X display (xcb), for instance
// under scripts/test-env; offscreen, the window is never composed through OpenGL.

#include "LoopbackWebServer.h"
#include "ProcessTree.h"
#include "app/ContentView.h"
#include "app/HuebenchApp.h"
#include "app/ToolCatalogue.h"
#include "common/Settings.h"
#include "games/ColorInvadersGameView.h"
#include "games/ColorInvadersRecords.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using hb::bench::waitFor;

bool isSmokeRun()
{
    return std::getenv("HB_BENCH_SMOKE") != nullptr;
}

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

// User and system time of this process, every thread included.
double ownCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The fields of /proc/PID/stat after the command name, which may hold blanks.
QList<QByteArray> statFields(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

// User and system time of every process this one started, and theirs.
double helperCpuSeconds()
{
    QList<qint64> tree{::getpid()};
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs);
    for (bool grew = true; grew;) {
        grew = false;
        for (const QString &entry : entries) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (number && !tree.contains(pid) &&
                tree.contains(statFields(pid).value(1).toLongLong())) {
                tree.append(pid);
                grew = true;
            }
        }
    }
    const double tick = double(::sysconf(_SC_CLK_TCK));
    double total = 0;
    for (qsizetype i = 1; i < tree.size(); ++i) {
        // utime and stime are the 14th and 15th fields, the 12th and 13th after the name.
        const QList<QByteArray> fields = statFields(tree.at(i));
        total += double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / tick;
    }
    return total;
}

template <typename Step> void runFor(int milliseconds, Step step)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        step();
        QThread::msleep(1);
    }
}

const char *composition(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    if (!handle)
        return "none";
    return handle->surfaceType() == QSurface::RasterSurface ? "raster" : "OpenGL";
}

// Keeps a Color Invaders game running: a game over or a pause is followed by a new game.
void keepPlaying(QWidget *screen)
{
    auto *invaders = qobject_cast<hb::ColorInvadersGameView *>(screen);
    if (!invaders)
        return;
    const hb::ColorInvadersState &state = invaders->game().state();
    if (state.gameState != hb::GameState::playing || state.showStartOverlay) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(invaders, &enter);
    }
}

// Shows the game, lets it settle, then prints its CPU over the measured seconds.
void measure(hb::HuebenchApp &app, hb::ToolId game, const char *name, const char *moment)
{
    const int settleMs = isSmokeRun() ? 100 : 1000;
    const int measuredMs = isSmokeRun() ? 300 : 5000;
    app.contentView()->choose(game);
    QWidget *screen = app.contentView()->currentScreen();
    runFor(settleMs, [screen] { keepPlaying(screen); });

    QElapsedTimer wall;
    wall.start();
    const double own = ownCpuSeconds();
    const double helpers = helperCpuSeconds();
    runFor(measuredMs, [screen] { keepPlaying(screen); });
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    std::printf("%-18s %-32s app %5.1f %% CPU   engine helpers %5.1f %%   window %s\n", name,
                moment, 100.0 * (ownCpuSeconds() - own) / elapsed,
                100.0 * (helperCpuSeconds() - helpers) / elapsed, composition(app.window()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    hb::bench::useFreshHomeAndQuietEngine(home.path());
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#ifdef HB_BROWSER_PLUGIN_DIR
    if (qEnvironmentVariableIsEmpty("HUEBENCH_PLUGIN_PATH"))
        qputenv("HUEBENCH_PLUGIN_PATH", HB_BROWSER_PLUGIN_DIR);
#endif
    QApplication::setOrganizationName(u"Huebench"_s);
    QApplication::setApplicationName(u"Huebench"_s);
    QApplication application(argc, argv);
    if (QGuiApplication::platformName() != u"xcb"_s)
        std::printf("note: on the %s platform the window is never composed through OpenGL\n",
                    qPrintable(QGuiApplication::platformName()));

    auto app = hb::HuebenchApp::create();
    if (!app) {
        std::fprintf(stderr, "no store: %s\n", qPrintable(app.error().description));
        return 1;
    }
    (*app)->show();
    if (!waitFor([&] { return (*app)->window()->windowHandle()->isExposed(); }, 10000)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }

    measure(**app, hb::ToolId::BouncingMonitors, "Bouncing Monitors",
            "before the browser was opened");
    measure(**app, hb::ToolId::ColorInvaders, "Color Invaders", "before the browser was opened");

    LoopbackWebServer site(QHostAddress(u"127.0.0.1"_s));
    site.setPage(u"/"_s, u"<!doctype html><title>tutorials</title><h1>Tutorials</h1>"_s);
    (*app)->settings().setYoutubeSearchSiteUrl(site.origin() + u"/"_s);
    (*app)->contentView()->choose(hb::ToolId::YouTubeSearch);
    if (!waitFor([&] { return site.pageRequests() > 0; }, 60000)) {
        std::fprintf(stderr, "the browser asked for no page\n");
        return 1;
    }
    // The page is drawn and composed before the browser is left.
    runFor(isSmokeRun() ? 200 : 1500, [] {});
    std::printf("%-18s %-32s window %s\n", "YouTube Search", "loopback page shown",
                composition((*app)->window()));

    measure(**app, hb::ToolId::BouncingMonitors, "Bouncing Monitors", "after leaving the browser");
    measure(**app, hb::ToolId::ColorInvaders, "Color Invaders", "after leaving the browser");
    return 0;
}
