// One frame of Bouncing Monitors at its most crowded: 24 monitors on a 1280 x 800 field, one
// fixed physics step and the whole scene painted into an image of the field's size. A frame
// should cost under 2 ms, a small part of a 60 Hz frame. The step and the painting are also
// timed apart.
//
// Qt's raster engine hands fills of many spans (each rotated monitor is one) to its global
// thread pool and waits for them, unless it is already drawing on a thread of that pool. On a
// small, busy machine that hand-off costs more than the drawing, and the CPU column then counts
// only the calling thread. BM_FrameOnPoolThread runs the same frame on a pool thread, where
// every fill stays on one thread: the frame's own cost.

#include "games/BouncingMonitorsGameScene.h"
#include "games/BouncingMonitorsScenePainter.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr QSize kField(1280, 800);

// A scene with the largest count, run for a second so the spawn's overlaps have cleared.
std::unique_ptr<hb::BouncingMonitorsGameScene> busyScene()
{
    auto random = std::make_shared<QRandomGenerator>(2024);
    auto scene = std::make_unique<hb::BouncingMonitorsGameScene>([random](double low, double high) {
        return low + (high - low) * random->generateDouble();
    });
    scene->setSize(kField);
    scene->setMonitorCount(hb::BouncingMonitorsGameScene::kMaxMonitorCount);
    scene->didMoveToView();
    scene->advance(0.25);
    scene->advance(0.25);
    scene->advance(0.25);
    scene->advance(0.25);
    return scene;
}

void paint(hb::BouncingMonitorsScenePainter &scenePainter,
           const hb::BouncingMonitorsGameScene &scene, QImage &image)
{
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scenePainter.paint(painter, scene);
}

void BM_Frame(benchmark::State &state)
{
    auto scene = busyScene();
    QImage image(kField, QImage::Format_ARGB32_Premultiplied);
    hb::BouncingMonitorsScenePainter scenePainter;
    for (auto _ : state) {
        scene->stepPhysics();
        paint(scenePainter, *scene, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_FrameOnPoolThread(benchmark::State &state)
{
    auto scene = busyScene();
    QImage image(kField, QImage::Format_ARGB32_Premultiplied);
    hb::BouncingMonitorsScenePainter scenePainter;
    QThreadPool::globalInstance()->start([&] {
        for (auto _ : state) {
            scene->stepPhysics();
            paint(scenePainter, *scene, image);
            benchmark::DoNotOptimize(image.constBits());
        }
    });
    QThreadPool::globalInstance()->waitForDone();
}

void BM_PhysicsStep(benchmark::State &state)
{
    auto scene = busyScene();
    for (auto _ : state)
        scene->stepPhysics();
}

void BM_Paint(benchmark::State &state)
{
    auto scene = busyScene();
    QImage image(kField, QImage::Format_ARGB32_Premultiplied);
    hb::BouncingMonitorsScenePainter scenePainter;
    for (auto _ : state) {
        paint(scenePainter, *scene, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

} // namespace

BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameOnPoolThread)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PhysicsStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint)->Unit(benchmark::kMicrosecond);
