// Cost of one repaint of the point-cloud item: one full revolution of the
// fastest scanner (20 fans x 550 points) into a 1920 x 1080 raster image.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <vector>

#include "graphics_item_data.h"

namespace {

constexpr int kFans = 20;

// A room-like outline: distances 0.5..5 m so every point lands on screen,
// energies sweeping the whole byte range.
std::vector<RawData> makeRevolution(double maxMetres) {
    std::vector<RawData> revolution(kFans);
    const int total = kFans * kMaxFanPoints;
    for (int f = 0; f < kFans; ++f) {
        RawData& fan = revolution[f];
        fan.count = kMaxFanPoints;
        fan.start = static_cast<uint16_t>(f * 180);
        fan.span = 180;
        for (int i = 0; i < kMaxFanPoints; ++i) {
            const int n = f * kMaxFanPoints + i;
            const double angle = 2.0 * M_PI * n / total;
            fan.points[i].angle = static_cast<float>(angle);
            fan.points[i].distance =
                static_cast<float>(0.5 + (maxMetres - 0.5) * (0.5 + 0.5 * std::sin(angle * 7.0)));
            fan.points[i].energy = static_cast<uint8_t>((n * 37) % 256);
        }
    }
    return revolution;
}

void renderOnce(QGraphicsScene& scene, QImage& image) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    scene.render(&painter, QRectF(0, 0, image.width(), image.height()),
                 QRectF(-image.width() / 2.0, -image.height() / 2.0, image.width(), image.height()));
}

void runPaint(benchmark::State& state, int gridMode, bool lineMode, bool sweep) {
    QGraphicsScene scene;
    scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    auto* item = new Graphics_Item_Data;
    scene.addItem(item);
    item->setGridMode(gridMode);
    item->setLineMode(lineMode);
    item->setSweep(sweep, 5, 0);
    item->setRevolution(makeRevolution(5.0));
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        renderOnce(scene, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["points"] = item->pointCount();
}

void BM_PaintRevolutionPolar(benchmark::State& state) {
    runPaint(state, 0, false, false);
}
void BM_PaintRevolutionRectGrid(benchmark::State& state) {
    runPaint(state, 1, false, false);
}
void BM_PaintRevolutionLines(benchmark::State& state) {
    runPaint(state, 0, true, false);
}
void BM_PaintRevolutionSweep(benchmark::State& state) {
    runPaint(state, 0, false, true);
}

// What one revolution really costs on screen: loading it, then one repaint
// (which regroups the points by colour).
void BM_LoadAndPaintRevolution(benchmark::State& state) {
    QGraphicsScene scene;
    scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    auto* item = new Graphics_Item_Data;
    scene.addItem(item);
    const std::vector<RawData> revolution = makeRevolution(5.0);
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        item->setRevolution(revolution);
        renderOnce(scene, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Loading a revolution into the item's buffers (once per arrival).
void BM_LoadRevolution(benchmark::State& state) {
    Graphics_Item_Data item;
    const std::vector<RawData> revolution = makeRevolution(5.0);
    for (auto _ : state) {
        item.setRevolution(revolution);
        benchmark::DoNotOptimize(item.pointCount());
    }
}

}  // namespace

BENCHMARK(BM_PaintRevolutionPolar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintRevolutionRectGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintRevolutionLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintRevolutionSweep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndPaintRevolution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRevolution)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
