// What the browser's loading indicator costs: processor time of the application and the engine's
// processes while a page loads (a loopback server that takes the connection and never answers,
// so the engine itself has nothing to do), with the indicator spinning and with it stopped.
// Run it on an X display (scripts/test-env), where the window is really composed.

#include "ProcessTree.h"
#include "browser/BrowserPane.h"
#include "browser/LoadingIndicator.h"
#include "browser/YouTubeSearchState.h"
#include "browser/YouTubeSearchView.h"
#include "common/Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct ProcessStat {
    qint64 parent = -1;
    qint64 ticks = 0; // user and system time
};

ProcessStat statOf(const QString &pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    // The command name is in parentheses and may hold blanks; fields resume after the last ")".
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return {fields.value(1).toLongLong(),
            fields.value(11).toLongLong() + fields.value(12).toLongLong()};
}

// Processor time of this process and all its descendants, in clock ticks.
qint64 treeTicks()
{
    QHash<qint64, ProcessStat> all;
    for (const QString &entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number)
            all.insert(pid, statOf(entry));
    }
    QList<qint64> tree{::getpid()};
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            if (!tree.contains(it.key()) && tree.contains(it->parent)) {
                tree.append(it.key());
                grew = true;
            }
        }
    }
    qint64 ticks = 0;
    for (qint64 pid : tree)
        ticks += all.value(pid).ticks;
    return ticks;
}

// Runs the event loop idle, as the application would.
void spin(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Share of one core used over `milliseconds`, in per cent.
double coreShare(int milliseconds)
{
    const qint64 before = treeTicks();
    QElapsedTimer clock;
    clock.start();
    spin(milliseconds);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return 100.0 * double(treeTicks() - before) / double(::sysconf(_SC_CLK_TCK)) / seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    hb::bench::useFreshHomeAndQuietEngine(home.path());
    hb::YouTubeSearchView::prepareApplication();
    QApplication application(argc, argv);

    QTcpServer silent;
    if (!silent.listen(QHostAddress(u"127.0.0.1"_s), 0)) {
        std::fprintf(stderr, "no loopback port\n");
        return 1;
    }
    hb::Settings settings(home.filePath(u"settings.ini"_s));
    settings.setYoutubeSearchSiteUrl(u"http://127.0.0.1:%1/"_s.arg(silent.serverPort()));
    hb::YouTubeSearchView view(settings, [](const QUrl &) {});
    view.resize(1100, 760);
    view.show();
    QElapsedTimer waited;
    waited.start();
    while (!(view.state().isLoading() && silent.hasPendingConnections())) {
        if (waited.elapsed() > 60000) {
            std::fprintf(stderr, "the page did not start loading\n");
            return 1;
        }
        spin(50);
    }
    spin(2000); // the engine settles

    auto *indicator = view.findChild<hb::BrowserPane *>()->indicator();
    // A smoke run only shows that it still works.
    const int window = qEnvironmentVariableIsSet("HB_BENCH_SMOKE") ? 1000 : 5000;
    const double spinning = coreShare(window);
    indicator->setRunning(false);
    spin(500);
    const double stopped = coreShare(window);
    indicator->setRunning(true);
    std::printf("while a page loads, %d s each: indicator spinning %5.1f %% of a core, "
                "stopped %5.1f %%, the indicator's part %5.1f %%\n",
                window / 1000, spinning, stopped, spinning - stopped);
    return 0;
}
