// SPDX-License-Identifier: MIT
// The full repaint of the largest maps in every view mode and zoom, and of a map whose marks
// spill past their cells, against one fill of the canvas.
#include <cstddef>
#include <cstdint>
#include <random>

#include "RatioReporter.h"
#include "view/Canvas.h"
#include "view/RedrawMap.h"
#include "view/Viewport.h"

namespace {

quarl::Types MapOf(std::int16_t width, std::int16_t height) {
    quarl::Types model;
    quarl::StartUp(model);
    model.MapWidth = width;
    model.MapHeight = height;
    model.TileCount = width * height;
    std::mt19937 random(7);
    for (const quarl::LayerInfo& layer : quarl::kLayers) {
        quarl::TileLayer& tiles = model.*layer.Field;
        tiles.resize(static_cast<std::size_t>(model.TileCount) + 1);
        for (auto& value : tiles) value = static_cast<std::uint8_t>(random());
    }
    return model;
}

// One canvas for the floor and every repaint: a fresh one per benchmark lands on pages that
// the kernel backs differently from run to run (huge pages or not), which swings the ratios
// by a factor of two.
quarl::Canvas& SharedCanvas() {
    static quarl::Canvas canvas(quarl::kCanvasWidth, quarl::kCanvasHeight);
    return canvas;
}

void FillWholeCanvas(benchmark::State& state) {
    quarl::Canvas& canvas = SharedCanvas();
    std::uint32_t colour = 0;
    for (auto _ : state) {
        quarl::FillCell(canvas, 0, 0, canvas.Width(), canvas.Height(), ++colour);
        benchmark::DoNotOptimize(canvas.Pixels());
    }
}

// Arguments: map width, map height, view mode, zoom.
void Redraw(benchmark::State& state) {
    quarl::Types model =
        MapOf(static_cast<std::int16_t>(state.range(0)), static_cast<std::int16_t>(state.range(1)));
    model.ViewMode = static_cast<quarl::ViewModeValue>(state.range(2));
    model.Zoom = static_cast<std::int16_t>(state.range(3));
    quarl::Canvas& canvas = SharedCanvas();
    for (auto _ : state) {
        quarl::RedrawMap(canvas, model);
        benchmark::DoNotOptimize(canvas.Pixels());
    }
}

// The floor runs longer than the rest: every ratio depends on it.
BENCHMARK(FillWholeCanvas)->MinTime(1.0);
BENCHMARK(Redraw)
    ->ArgsProduct({{181}, {181}, {0, 1, 2, 3, 4, 5, 6, 7}, {1, 2, 4, 8, 16}})
    ->MinTime(0.05);
BENCHMARK(Redraw)
    ->ArgsProduct({{217}, {151}, {0, 1, 2, 3, 4, 5, 6, 7}, {1, 2, 4, 8, 16}})
    ->MinTime(0.05);
// Base cells of 1 x 10 pixels: marks reach into the next column and past the last one.
BENCHMARK(Redraw)->ArgsProduct({{600}, {54}, {0, 1, 5}, {2, 4, 16}})->MinTime(0.05);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    quarl::bench::RatioReporter reporter;
    reporter.CompareWith("Redraw", "FillWholeCanvas");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
