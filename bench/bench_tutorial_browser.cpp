// What the tutorial browser costs: start-up time and memory of the application showing only the
// catalogue (the browser engine must not be loaded then), and the same once the browser screen
// has opened and shown a page from a loopback server, and after leaving it again.
//
// Memory is the proportional set size (shared pages split between the processes sharing them)
// of the application and every process it started, so the engine's helper processes count.

#include "LoopbackWebServer.h"
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

// Pss of one process in KiB, from the kernel's summary.
qint64 pssKiB(qint64 pid)
{
    QFile rollup(u"/proc/%1/smaps_rollup"_s.arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

qint64 parentOf(const QString &pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name is in parentheses and may hold blanks; fields resume after the last ")".
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(1).toLongLong();
}

// This process and all its descendants.
QList<qint64> processTree()
{
    QList<qint64> tree{::getpid()};
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs);
    for (bool grew = true; grew;) {
        grew = false;
        for (const QString &entry : entries) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (number && !tree.contains(pid) && tree.contains(parentOf(entry))) {
                tree.append(pid);
                grew = true;
            }
        }
    }
    return tree;
}

void report(const char *moment, double milliseconds)
{
    const QList<qint64> tree = processTree();
    qint64 own = pssKiB(tree.first());
    qint64 all = 0;
    for (qint64 pid : tree)
        all += pssKiB(pid);
    std::printf("%-34s %8.0f ms   app %4lld MB   with helpers %4lld MB   processes %lld\n", moment,
                milliseconds, own / 1024, all / 1024, qint64(tree.size()));
    std::fflush(stdout);
}

template <typename Predicate> bool waitFor(Predicate done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
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
