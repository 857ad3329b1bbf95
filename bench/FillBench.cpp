// Region fills of a 640 x 480 8-bit stage: an open area, nested U shapes and a comb (the worst
// case for a span fill: one span per tooth per row), with memset of the same bytes in the same
// binary as the floor of touching every pixel once.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/graphics/PixelSurface.h"

namespace {

constexpr int16_t kW = 640, kH = 480;

enum Shape { kOpen, kNestedU, kComb };

/// Index 1 walls on index 0; the seed (0, 0) lies in the region of 0.
void Draw(CPixelSurface& s, Shape shape) {
    s.Clear(0);
    switch (shape) {
    case kOpen: break;
    case kNestedU:
        for (int k = 0; k < 60; ++k) {
            const int16_t l = int16_t(4 + 5 * k), r = int16_t(kW - 5 - 5 * k), b = int16_t(kH - 2 - 3 * k);
            s.FillRect8(CClipRect(l, 2, int16_t(l + 2), b), 1);
            s.FillRect8(CClipRect(r, 2, int16_t(r + 2), b), 1);
            s.FillRect8(CClipRect(l, int16_t(b - 2), int16_t(r + 2), b), 1);
        }
        break;
    case kComb: // teeth one pixel wide hanging from the top row
        for (int16_t x = 1; x < kW; x += 2) s.FillRect8(CClipRect(x, 1, int16_t(x + 1), kH), 1);
        break;
    }
}

void BM_FloodFill8(benchmark::State& state) {
    CPixelSurface s;
    s.Create(kW, kH, 8);
    const auto shape = Shape(state.range(0));
    const uint8_t index = 2;
    Draw(s, shape);
    for (auto _ : state) {
        state.PauseTiming();
        s.ReplaceColor(index, 0);
        state.ResumeTiming();
        s.FloodFill8(0, 0, index);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH);
}
BENCHMARK(BM_FloodFill8)->Arg(kOpen)->Arg(kNestedU)->Arg(kComb)->Unit(benchmark::kMicrosecond);

void BM_MemsetStage(benchmark::State& state) {
    std::vector<uint8_t> stage(size_t(kW) * kH);
    for (auto _ : state) {
        std::memset(stage.data(), 2, stage.size());
        benchmark::DoNotOptimize(stage.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH);
}
BENCHMARK(BM_MemsetStage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
