// One frame of Bouncing Monitors at its most crowded, on the calling thread as the screen draws
// it: 24 monitors on a 1280 x 800 field, one fixed physics step, then the field (card, scene,
// border) painted into a window-sized image the way the field view paints itself. A frame should
// cost under 2 ms, a small part of a 60 Hz frame. The step and the painting are also timed
// apart; the window's backdrop below the field is not counted.
//
// The field painter draws on a thread of the global pool while the caller waits, so the CPU
// column counts little more than the final copy; the wall time is the figure.
// BM_SceneOnCallingThread paints the scene straight from the calling thread, where Qt's raster
// engine hands every fill of many spans (each rotated monitor is one) to that pool and waits for
// it: the cost the field painter avoids.

#include "games/BouncingMonitorsFieldPainter.h"
#include "games/BouncingMonitorsGameScene.h"
#include "games/BouncingMonitorsScenePainter.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

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

// Stands in for the window's backing store.
QImage windowImage()
{
    QImage window(kField, QImage::Format_ARGB32_Premultiplied);
    window.fill(QColor(13, 18, 36));
    return window;
}

void paintField(hb::BouncingMonitorsFieldPainter &fieldPainter,
                const hb::BouncingMonitorsGameScene &scene, QImage &window)
{
    QPainter painter(&window);
    fieldPainter.paint(painter, scene, kField);
}

void BM_Frame(benchmark::State &state)
{
    auto scene = busyScene();
    QImage window = windowImage();
    hb::BouncingMonitorsFieldPainter fieldPainter;
    for (auto _ : state) {
        scene->stepPhysics();
        paintField(fieldPainter, *scene, window);
        benchmark::DoNotOptimize(window.constBits());
    }
}

void BM_PhysicsStep(benchmark::State &state)
{
    auto scene = busyScene();
    for (auto _ : state)
        scene->stepPhysics();
}

void BM_PaintField(benchmark::State &state)
{
    auto scene = busyScene();
    QImage window = windowImage();
    hb::BouncingMonitorsFieldPainter fieldPainter;
    for (auto _ : state) {
        paintField(fieldPainter, *scene, window);
        benchmark::DoNotOptimize(window.constBits());
    }
}

void BM_SceneOnCallingThread(benchmark::State &state)
{
    auto scene = busyScene();
    QImage image(kField, QImage::Format_ARGB32_Premultiplied);
    hb::BouncingMonitorsScenePainter scenePainter;
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        scenePainter.paint(painter, *scene);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

} // namespace

BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PhysicsStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintField)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SceneOnCallingThread)->Unit(benchmark::kMicrosecond);
