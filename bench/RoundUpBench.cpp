// The round-up's track: one 50 ms step with 83 segments behind it (a new segment, its marks,
// its crossing tests and the oldest one fading) and one animal's move test across those 83
// segments; and a round-up frame of 400 marks, 10 animals and the vehicle beside 400 plain
// engine props. The figures are also given as shares of the 16.7 ms frame budget.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/core/ActivityProp.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/minigames/roundup/RoundUpMark.h"
#include "game/minigames/roundup/RoundUpTrack.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr double kFrameBudgetMs = 16.7;
constexpr int kSegments = 83;

/// A point of a circle driven at 150 px/s (7.5 px a step) too long to close within 83
/// segments, so the track never crosses itself and every step costs the same.
CPoint16 Circle(int step) {
    const double r = 150;
    const double a = step * 7.5 / r;
    return CPoint16(int16_t(std::lround(1000 + r * std::cos(a))), int16_t(std::lround(1000 + r * std::sin(a))));
}

/// A track whose marks get a part of 64 empty states, so that they can fade and be reused.
class DressedTrack : public CRoundUpTrack {
public:
    explicit DressedTrack(ONode* owner) : CRoundUpTrack(owner, nullptr) {}

protected:
    void LoadMarkArt(Round_Up_Track* mark, ChunkId) override {
        if (mark->GetAnimSet() != nullptr) return;
        auto* part = new CPart;
        for (int i = 0; i < 64; ++i) {
            auto* state = new CState;
            state->stateId = MakeChunkId(3, uint16_t(i + 1));
            part->AddState(state);
        }
        mark->SetAnimSet(part);
    }
};

void ShareOfBudget(benchmark::State& state) {
    state.counters["of_budget"] = benchmark::Counter(double(state.iterations()) * kFrameBudgetMs * 1e-3,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_StepTrackWith83Segments(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    OActivityProp owner("Owner", OActivityProp::kClassId);
    DressedTrack track(&owner);
    int step = 0;
    while (track.SegmentCount() < kSegments) track.Step(Circle(step++), 3, nullptr);
    int32_t crossings = 0;
    const CRoundUpTrack::Catcher count = [&crossings](int32_t) { return ++crossings, 0; };
    std::vector<Round_Up_Track*> fading;
    for (auto _ : state) {
        // The oldest segment fades in this step; its marks go back to the pool as their fading
        // animation ends.
        fading = track.GetSegment(0).marks;
        benchmark::DoNotOptimize(track.Step(Circle(step++), 3, count));
        for (Round_Up_Track* mark : fading) mark->OnAnimationEnd();
    }
    state.counters["segments"] = track.SegmentCount();
    state.counters["pool"] = double(track.GetPool().size());
    ShareOfBudget(state);
}
BENCHMARK(BM_StepTrackWith83Segments);

void BM_MoveTestAcross83Segments(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    OActivityProp owner("Owner", OActivityProp::kClassId);
    CRoundUpTrack track(&owner, nullptr);
    for (int step = 0; track.SegmentCount() < kSegments; ++step) track.Step(Circle(step), 3, nullptr);
    int i = 0;
    for (auto _ : state) {
        const CPoint16 from = Circle(i % 120);
        ++i;
        benchmark::DoNotOptimize(track.Crosses({CPoint16(int16_t(from.x - 4), from.y), CPoint16(int16_t(from.x + 4), int16_t(from.y + 3))}));
    }
    ShareOfBudget(state);
}
BENCHMARK(BM_MoveTestAcross83Segments);

/// One frame: every prop's step.
void FrameOf(benchmark::State& state, std::vector<std::unique_ptr<OActivityProp>>& props) {
    for (auto _ : state)
        for (auto& prop : props) benchmark::DoNotOptimize(prop->OnIdle());
    ShareOfBudget(state);
}

void BM_RoundUpFrame(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    std::vector<std::unique_ptr<OActivityProp>> props;
    for (int i = 0; i < 400; ++i) {
        auto mark = std::make_unique<Round_Up_Track>();
        mark->SetPosition(CPointF(float(i % 40) * 5.0f, float(i / 40) * 5.0f), 0, 0);
        props.push_back(std::move(mark));
    }
    for (int i = 0; i < 10; ++i) {
        auto animal = std::make_unique<DRoundUp>();
        animal->SetPosition(CPointF(float(100 + 40 * i), 300.0f), 0, 0);
        props.push_back(std::move(animal));
    }
    props.push_back(std::make_unique<VIsometric>());
    FrameOf(state, props);
}
BENCHMARK(BM_RoundUpFrame);

void BM_FrameOf400PlainProps(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    std::vector<std::unique_ptr<OActivityProp>> props;
    for (int i = 0; i < 400; ++i) {
        auto prop = std::make_unique<OActivityProp>();
        prop->SetPosition(CPointF(float(i % 40) * 5.0f, float(i / 40) * 5.0f), 0, 0);
        props.push_back(std::move(prop));
    }
    FrameOf(state, props);
}
BENCHMARK(BM_FrameOf400PlainProps);

} // namespace

BENCHMARK_MAIN();
