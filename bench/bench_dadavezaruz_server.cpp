// The shortcut server end to end on loopback: how long a press takes from the controller's write
// to the posted key, how long to the key's arrival in a real X window that is already in front,
// and how many presses per second it serves from ten controllers at once while the main thread's
// event loop stays responsive.
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"
#include "platform/keyboard/X11AppActivator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include "BenchRuns.h"

#include <benchmark/benchmark.h>

// After every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include "support/X11TestWindow.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace hb;

namespace {

// Counts presses and lets a waiting thread know.
struct PressCounter {
    std::mutex mutex;
    std::condition_variable posted;
    std::atomic<qint64> count{0};

    void waitFor(qint64 target)
    {
        std::unique_lock lock(mutex);
        posted.wait(lock, [&] { return count.load() >= target; });
    }
};

class CountingPoster : public KeyEventPoster {
public:
    explicit CountingPoster(PressCounter &counter) : m_counter(counter) {}
    bool isAvailable() const override { return true; }
    QString unavailableReason() const override { return {}; }
    void postKeyPress(quint16, quint64) override
    {
        {
            std::lock_guard lock(m_counter.mutex);
            ++m_counter.count;
        }
        m_counter.posted.notify_all();
    }

private:
    PressCounter &m_counter;
};

// The median and 99th percentile of the presses' times, in microseconds.
void reportPercentiles(benchmark::State &state, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    const auto percentile = [&](double p) { return micros[size_t(p * double(micros.size() - 1))]; };
    state.counters["p50_us"] = percentile(0.50);
    state.counters["p99_us"] = percentile(0.99);
}

void startAndWait(DadavezaRuzServer &server)
{
    QEventLoop loop;
    QObject::connect(&server, &DadavezaRuzServer::isRunningChanged, &loop, &QEventLoop::quit);
    server.start();
    loop.exec();
}

std::unique_ptr<DadavezaRuzServer> runningServer(PressCounter &counter)
{
    DadavezaRuzServerPlatform platform;
    platform.makePoster = [&counter] { return std::make_unique<CountingPoster>(counter); };
    platform.listenAddress = QHostAddress::LocalHost;
    auto server =
        std::make_unique<DadavezaRuzServer>(std::move(platform), new TrustedControllers({}, {}), 0);
    startAndWait(*server);
    return server;
}

const QByteArray kPress = R"({"keyCombo":"cmd+shift+c","appTarget":"global"})"
                          "\n";

void pressToPostedKey(benchmark::State &state)
{
    PressCounter counter;
    auto server = runningServer(counter);
    QTcpSocket controller;
    controller.connectToHost(QHostAddress::LocalHost, server->port());
    controller.waitForConnected();
    controller.setSocketOption(QAbstractSocket::LowDelayOption, 1);

    std::vector<double> micros;
    for (auto _ : state) {
        const qint64 target = counter.count.load() + 1;
        QElapsedTimer timer;
        timer.start();
        controller.write(kPress);
        controller.waitForBytesWritten();
        counter.waitFor(target);
        const double elapsed = double(timer.nsecsElapsed()) / 1000.0;
        state.SetIterationTime(elapsed / 1e6);
        micros.push_back(elapsed);
    }
    reportPercentiles(state, micros);
    QCoreApplication::processEvents();
}
BENCHMARK(pressToPostedKey)
    ->UseManualTime()
    ->Iterations(hb::bench::runs(10000))
    ->Unit(benchmark::kMicrosecond);

// The whole road on the real X server of $DISPLAY: the pad's line, the check that the target's
// window is already in front (so no activation and no pause), XTEST, and the key press event
// read by the window's own client.
void pressToFocusedWindow(benchmark::State &state)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("needs an X display ($DISPLAY)");
        return;
    }
    const Window window = makeX11TestWindow(display, "resolve", "ResolveMain");
    XSync(display, False);
    QElapsedTimer waited;
    waited.start();
    while (X11AppActivator().activate(QStringLiteral("resolve")) ==
               AppActivator::Activation::NotRunning &&
           waited.elapsed() < 5000) {
    }

    DadavezaRuzServerPlatform platform = systemServerPlatform(CommandKey::Control);
    platform.makePublisher = {};
    platform.listenAddress = QHostAddress::LocalHost;
    DadavezaRuzServer server(std::move(platform), new TrustedControllers({}, {}), 0);
    startAndWait(server);
    QTcpSocket controller;
    controller.connectToHost(QHostAddress::LocalHost, server.port());
    controller.waitForConnected();
    controller.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QByteArray press = R"({"keyCombo":"l","appTarget":"resolve"})"
                             "\n";

    std::vector<double> micros;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        controller.write(press);
        controller.waitForBytesWritten();
        for (XEvent event;;) {
            XWindowEvent(display, window, KeyPressMask, &event);
            if (!IsModifierKey(XLookupKeysym(&event.xkey, 0)))
                break;
        }
        const double elapsed = double(timer.nsecsElapsed()) / 1000.0;
        state.SetIterationTime(elapsed / 1e6);
        micros.push_back(elapsed);
    }
    reportPercentiles(state, micros);
    server.stop();
    XCloseDisplay(display);
}
BENCHMARK(pressToFocusedWindow)
    ->UseManualTime()
    ->Iterations(hb::bench::runs(2000))
    ->Unit(benchmark::kMicrosecond);

void linesPerSecondFromTenControllers(benchmark::State &state)
{
    constexpr int kControllers = 10;
    const int linesEach = int(state.range(0));
    PressCounter counter;
    auto server = runningServer(counter);
    const quint16 port = server->port();
    QByteArray burst;
    for (int i = 0; i < linesEach; ++i)
        burst += kPress;

    double longestStallMs = 0;
    for (auto _ : state) {
        const qint64 target = counter.count.load() + qint64(kControllers) * linesEach;
        // The main thread runs its event loop meanwhile; a 1 ms timer measures its longest stall.
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer tick;
        tick.setInterval(1);
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestStallMs = std::max(longestStallMs, double(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
        QEventLoop loop;
        QTimer done;
        QObject::connect(&done, &QTimer::timeout, [&] {
            if (counter.count.load() >= target)
                loop.quit();
        });

        QElapsedTimer wall;
        wall.start();
        std::vector<std::thread> controllers;
        controllers.reserve(kControllers);
        for (int c = 0; c < kControllers; ++c) {
            controllers.emplace_back([&burst, port] {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, port);
                if (!socket.waitForConnected())
                    return;
                socket.write(burst);
                while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten()) {
                }
                socket.waitForDisconnected(2000); // keep the stream open until it is read
            });
        }
        tick.start();
        done.start(1);
        sinceTick.restart();
        loop.exec();
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        tick.stop();
        server->stop(); // closes the controllers' streams so their threads end
        for (std::thread &controller : controllers)
            controller.join();
        startAndWait(*server);
    }
    state.SetItemsProcessed(state.iterations() * kControllers * linesEach);
    state.counters["main_loop_longest_stall_ms"] = longestStallMs;
}
BENCHMARK(linesPerSecondFromTenControllers)
    ->Arg(hb::bench::isSmokeRun() ? 1000 : 100000)
    ->UseManualTime()
    ->Iterations(hb::bench::runs(3))
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
