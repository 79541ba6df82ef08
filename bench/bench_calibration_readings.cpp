// A light meter that floods the calibration screen in measure mode: a burst of readings written
// at once to the host's loopback port, decoded on the host's connection thread and handled on the
// main thread (the host's published fields, the session log, the meter card and its chart), as a
// real meter's readings are. The benchmark's time runs from the first byte written until the
// screen has handled the last reading; "max_gap_ms" is the longest the event loop went without a
// turn meanwhile, counted with a 0-ms timer. The goal: 100,000 readings under a second, with the
// longest gap far below that.

#include "BenchRuns.h"
#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMessage.h"
#include "calibration/MonitorCalibrationView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTcpSocket>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// Processes events until `done` or the deadline; false on the deadline.
template <typename Done> bool waitFor(Done done, int milliseconds = 60'000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void readingBurst(benchmark::State &state)
{
    const int count = bench::isSmokeRun() ? 1'000 : int(state.range(0));
    MonitorCalibrationHostNetworking::Options options;
    options.port = 0;
    options.listenAddress = QHostAddress::LocalHost;
    options.localAddress = [] { return std::optional<QString>(); };
    MonitorCalibrationView view(options);
    view.show();
    view.setMeasureMode(true); // every reading is logged
    MonitorCalibrationHostNetworking &host = view.networking();
    if (!waitFor([&host] { return host.listeningPort() != 0; })) {
        state.SkipWithError("the host did not listen");
        return;
    }
    QTcpSocket meter;
    meter.connectToHost(QHostAddress::LocalHost, host.listeningPort());
    if (!meter.waitForConnected(5000) ||
        !waitFor([&host] { return host.statusText() == u"Connection: ready"_s; })) {
        state.SkipWithError("the meter did not connect");
        return;
    }

    QByteArray burst;
    for (int i = 0; i < count; ++i) {
        const double level = double(i % 1000) / 1000;
        burst += encodeFrame(MonitorCalibrationMeasurementPayload{level, level, level, 0.001,
                                                                  1.0 / 60, 400})
                     .value();
    }
    int handled = 0;
    QObject::connect(&host, &MonitorCalibrationHostNetworking::measurementReceived, &view,
                     [&handled] { ++handled; });

    // Each turn of the event loop runs the 0-ms timer once.
    QElapsedTimer turnClock;
    qint64 maxGapNs = 0;
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, &view, [&turnClock, &maxGapNs] {
        maxGapNs = std::max(maxGapNs, turnClock.nsecsElapsed());
        turnClock.restart();
    });

    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        turnClock.start();
        turns.start();
        meter.write(burst);
        if (!waitFor([&handled, count] { return handled == count; })) {
            state.SkipWithError("the readings did not all arrive");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        turns.stop();
    }

    // The card ends on the last reading.
    const QString last = measurementLines(*host.lastMeasurement()).value(0);
    auto *line = view.findChild<QLabel *>(u"measurementLine0"_s);
    if (!waitFor([line, &last] { return line->text() == last; }, 2000))
        state.SkipWithError("the card did not show the last reading");
    state.counters["readings"] = count;
    state.counters["max_gap_ms"] = double(maxGapNs) / 1e6;
    state.counters["kept"] = double(view.log().size());
}

BENCHMARK(readingBurst)
    ->Arg(100'000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

// Own main(): the screen wants a QApplication.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
