// The driving world's spatial buckets over a town's 3968 x 2944 map of 400 still and 70 moving
// props: filing the moving props afresh (as every frame does) and asking for the props of a
// screen or of a vehicle-sized box, beside a plain scan of the same props for the same cells.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/base/Random.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVSimpleObject.h"
#include "game/world/WorldBuckets.h"

namespace {

constexpr int kStill = 400;
constexpr int kMoving = 70;
constexpr int kMapWidth = 3968;
constexpr int kMapHeight = 2944;
constexpr size_t kRects = 64;

using PropList = CWorldBuckets::PropList;

struct Town {
    Town() {
        vqt::bench::FreshEngineContext();
        xSRand(1);
        for (int i = 0; i < kStill + kMoving; ++i) {
            std::unique_ptr<OActivityProp> prop;
            if (i < kStill) prop = std::make_unique<TLVSimple_Object>();
            else prop = std::make_unique<TLVComplex_Object>();
            const float x = float(xRand() % kMapWidth);
            const float y = float(xRand() % kMapHeight);
            const int16_t w = int16_t(20 + xRand() % 180);
            const int16_t h = int16_t(20 + xRand() % 180);
            prop->SetPosition(CPointF(x, y), 0, 0);
            prop->SetSize(CPoint16(w, h), 0);
            (i < kStill ? still : moving).push_back(prop.get());
            owned.push_back(std::move(prop));
        }
        for (OActivityProp* prop : still) buckets.AddStill(prop);
        RebuildMoving();
    }
    void RebuildMoving() {
        buckets.ClearMoving();
        for (auto it = moving.rbegin(); it != moving.rend(); ++it) buckets.AddMoving(*it);
    }
    /// Corners of boxes of the given size spread over the map.
    std::vector<std::pair<CPoint16, CPoint16>> Boxes(int16_t w, int16_t h) const {
        std::vector<std::pair<CPoint16, CPoint16>> boxes;
        for (size_t i = 0; i < kRects; ++i) {
            const int16_t x = int16_t(xRand() % (kMapWidth - w));
            const int16_t y = int16_t(xRand() % (kMapHeight - h));
            boxes.emplace_back(CPoint16(x, y), CPoint16(int16_t(x + w), int16_t(y + h)));
        }
        return boxes;
    }
    /// The same cells asked of every prop in turn.
    void Scan(CPoint16 a, CPoint16 b, PropList& result) const {
        const int c0 = CWorldBuckets::ColumnOf(a.x), c1 = CWorldBuckets::ColumnOf(b.x);
        const int r0 = CWorldBuckets::RowOf(a.y), r1 = CWorldBuckets::RowOf(b.y);
        for (const std::vector<OActivityProp*>* list : {&still, &moving})
            for (OActivityProp* prop : *list) {
                const CRect16 box = CWorldBuckets::BoxOf(prop);
                if (CWorldBuckets::ColumnOf(box.right) >= c0 && CWorldBuckets::ColumnOf(box.left) <= c1 &&
                    CWorldBuckets::RowOf(box.bottom) >= r0 && CWorldBuckets::RowOf(box.top) <= r1)
                    result.push_back(prop);
            }
    }

    std::vector<std::unique_ptr<OActivityProp>> owned;
    std::vector<OActivityProp*> still;
    std::vector<OActivityProp*> moving;
    CWorldBuckets buckets;
};

/// Both ways find the same props (in their own orders) for every box, or the run is void.
bool SameFinds(const Town& town, const std::vector<std::pair<CPoint16, CPoint16>>& boxes) {
    for (const auto& [a, b] : boxes) {
        PropList byBuckets, byScan;
        town.buckets.QueryRect(a, b, byBuckets);
        town.Scan(a, b, byScan);
        std::sort(byBuckets.begin(), byBuckets.end(), std::less<>());
        std::sort(byScan.begin(), byScan.end(), std::less<>());
        if (byBuckets != byScan) return false;
    }
    return true;
}

void BM_RebuildMovingBuckets(benchmark::State& state) {
    Town town;
    for (auto _ : state) {
        town.RebuildMoving();
        benchmark::ClobberMemory();
    }
}

/// Arguments: the box's width and height (a screen, or a vehicle's move test).
template <bool kBuckets>
void BM_Query(benchmark::State& state) {
    Town town;
    const auto boxes = town.Boxes(int16_t(state.range(0)), int16_t(state.range(1)));
    if (!SameFinds(town, boxes)) {
        state.SkipWithError("the buckets and the scan disagree");
        return;
    }
    PropList result;
    size_t i = 0;
    size_t found = 0;
    for (auto _ : state) {
        const auto& [a, b] = boxes[i++ % kRects];
        result.clear();
        if constexpr (kBuckets) town.buckets.QueryRect(a, b, result);
        else town.Scan(a, b, result);
        found += result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["found"] = benchmark::Counter(double(found) / double(std::max<int64_t>(state.iterations(), 1)));
}

/// One frame of the world's use: the moving props filed afresh, then `range(2)` queries;
/// the scan needs no filing.
template <bool kBuckets>
void BM_Frame(benchmark::State& state) {
    Town town;
    const auto boxes = town.Boxes(int16_t(state.range(0)), int16_t(state.range(1)));
    PropList result;
    size_t i = 0;
    for (auto _ : state) {
        if constexpr (kBuckets) town.RebuildMoving();
        for (int64_t q = 0; q < state.range(2); ++q) {
            const auto& [a, b] = boxes[i++ % kRects];
            result.clear();
            if constexpr (kBuckets) town.buckets.QueryRect(a, b, result);
            else town.Scan(a, b, result);
            benchmark::DoNotOptimize(result.data());
        }
    }
}

BENCHMARK(BM_RebuildMovingBuckets);
BENCHMARK(BM_Query<true>)->Name("BM_QueryRect_Buckets")->Args({640, 480})->Args({64, 64});
BENCHMARK(BM_Query<false>)->Name("BM_QueryRect_Scan")->Args({640, 480})->Args({64, 64});
BENCHMARK(BM_Frame<true>)->Name("BM_Frame_Buckets")->Args({640, 480, 1})->Args({64, 64, 8});
BENCHMARK(BM_Frame<false>)->Name("BM_Frame_Scan")->Args({640, 480, 1})->Args({64, 64, 8});

} // namespace

BENCHMARK_MAIN();
