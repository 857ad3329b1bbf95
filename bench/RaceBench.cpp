// Painting the race's road into its 16-bit background: a new band (80 rows) and a whole
// section (480 rows), each restored from the copy and copied to its twin, beside memcpy of the
// same bytes (the rows restored plus the rows copied to the twin) as the floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/race/RacePainter.h"
#include "game/minigames/race/RaceSection.h"

namespace {

constexpr int16_t kW = 640, kStage = 480, kBand = 80, kSections = 4;

struct Road {
    CPixelSurface background;
    CGRacePainter painter;
    std::vector<CGRaceSection*> sections;

    Road() {
        vqt::bench::FreshEngineContext();
        background.Create(kW, int16_t(kStage * kSections), 16);
        background.Clear(0x1234);
        painter.Prepare(&background, kW, kStage, kBand);
    }
};

void BM_PaintNewBand(benchmark::State& state) {
    Road road;
    int32_t band = 0;
    for (auto _ : state) {
        road.painter.PaintNewBand(0, band, road.sections);
        band = (band + 1) % (kStage / kBand);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * kW * kBand * 2);
}
BENCHMARK(BM_PaintNewBand)->Unit(benchmark::kMicrosecond);

void BM_PaintSection(benchmark::State& state) {
    Road road;
    for (auto _ : state) road.painter.PaintSection(0, road.sections);
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * kW * kStage * 2);
}
BENCHMARK(BM_PaintSection)->Unit(benchmark::kMicrosecond);

/// The floor: the same rows copied twice with memcpy.
void BM_MemcpyRows(benchmark::State& state) {
    const size_t bytes = size_t(kW) * size_t(state.range(0)) * 2;
    std::vector<uint8_t> copy(bytes, 1), picture(bytes), twin(bytes);
    for (auto _ : state) {
        std::memcpy(picture.data(), copy.data(), bytes);
        std::memcpy(twin.data(), picture.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes) * 2);
}
BENCHMARK(BM_MemcpyRows)->Arg(kBand)->Arg(kStage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
