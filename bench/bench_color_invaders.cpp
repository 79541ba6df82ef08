// Color Invaders at its busiest: a full wave of 24 invaders and 50 shots in flight (40 of the
// player's, spread over the formation so that several of them hit, and 10 of the invaders'
// falling towards the cursor), and the particles of a few hits.
//
// BM_TickFullWave is one game tick; the state is restored before every tick, and BM_RestoreOnly
// is the cost of that copy alone, to read beside the tick's time. The goal is a tick under
// 0.1 ms, against the 50 ms between ticks.
//
// BM_PaintFrame is one frame as the screen draws it between two ticks: the motion blended, then
// the whole field painted into an image the size of the screen, at one and at two device pixels
// per point. BM_PaintFrameAfterHit is the same with a new score every frame (the background's
// trace follows the score and is drawn again). The goal is a frame under 2 ms, against the
// 16.7 ms between a 60 Hz display's frames.

#include "games/ColorInvadersGame.h"
#include "games/ColorInvadersMotion.h"
#include "games/ColorInvadersPainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace hb;

namespace {

constexpr double kWidth = 800;
constexpr double kHeight = 900;

ColorInvadersState busyState(ColorInvadersGame &game)
{
    game.handleTap();
    ColorInvadersState state = game.state();
    for (int i = 0; i < 40; ++i)
        state.bullets.append({QUuid::createUuid(), 0.12 + 0.018 * i, 0.14 + 0.006 * i, true});
    for (int i = 0; i < 10; ++i)
        state.bullets.append({QUuid::createUuid(), 0.1 + 0.08 * i, 0.5 + 0.04 * i, false});
    return state;
}

// Painting needs a GUI application (fonts, pixmaps); one for the whole run, off screen.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "bench_color_invaders";
    static char *argv[] = {name, nullptr};
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
}

void BM_TickFullWave(benchmark::State &bench)
{
    ColorInvadersGame game(ColorInvadersGame::seededSources(7));
    const ColorInvadersState start = busyState(game);
    qsizetype hits = 0;
    for (auto _ : bench) {
        game.state() = start;
        game.tick(kWidth, kHeight);
        hits = game.state().particles.size() / ColorInvadersGame::kParticlesPerHit;
        benchmark::DoNotOptimize(game.state().bullets.size());
    }
    bench.counters["hits_per_tick"] = double(hits);
}

void BM_RestoreOnly(benchmark::State &bench)
{
    ColorInvadersGame game(ColorInvadersGame::seededSources(7));
    const ColorInvadersState start = busyState(game);
    for (auto _ : bench) {
        game.state() = start;
        // Detach the lists the way the tick's writes do, so the copy is paid in full.
        game.state().bullets.detach();
        game.state().invaders.detach();
        game.state().particles.detach();
        benchmark::DoNotOptimize(game.state().bullets.data());
    }
}

void paintFrames(benchmark::State &bench, bool newScoreEveryFrame)
{
    ensureApplication();
    const qreal ratio = qreal(bench.range(0));
    ColorInvadersGame game(ColorInvadersGame::seededSources(7));
    game.state() = busyState(game);
    ColorInvadersMotion motion;
    motion.remember(game.state());
    game.tick(kWidth, kHeight); // a few hits: particles, and shots and invaders on their way

    QImage frame((QSizeF(kWidth, kHeight) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    frame.setDevicePixelRatio(ratio);
    ColorInvadersPainter painter;
    ColorInvadersState drawn;
    const ColorInvadersPainter::Extras extras{1200, false};
    int frameIndex = 0;
    for (auto _ : bench) {
        if (newScoreEveryFrame)
            game.state().score += 10;
        motion.blend(game.state(), double(frameIndex++ % 3 + 1) / 3, drawn);
        QPainter onFrame(&frame);
        painter.paint(onFrame, QSizeF(kWidth, kHeight), drawn, extras);
        onFrame.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
    bench.counters["invaders"] = double(drawn.invaders.size());
    bench.counters["shots"] = double(drawn.bullets.size());
    bench.counters["particles"] = double(drawn.particles.size());
}

void BM_PaintFrame(benchmark::State &bench)
{
    paintFrames(bench, false);
}

void BM_PaintFrameAfterHit(benchmark::State &bench)
{
    paintFrames(bench, true);
}

} // namespace

BENCHMARK(BM_TickFullWave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RestoreOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintFrame)->ArgName("pixel_ratio")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFrameAfterHit)
    ->ArgName("pixel_ratio")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
