// Painting the race's road into its 16-bit background: a new band (80 rows) and a whole
// section (480 rows), each restored from the copy and copied to its twin, beside memcpy of the
// same bytes (the rows restored plus the rows copied to the twin) as the floor. Then one race
// frame (the idle walk and the draw of 40 live objects, 10 racing characters and the vehicle)
// beside the same frame of as many plain engine props; the game's budget is 16.7 ms a frame and
// each frame reports its share of it. Each town road race's busiest frame adds the race's own
// tick: 60 live objects, its bonus shots (a three-way volley in flight, the zoo's wide beam), a
// band painted and the racers; the races are rows of a table.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/RunLoop.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/race/CGRace.h"
#include "game/minigames/race/GRMetropolisActivity.h"
#include "game/minigames/race/GRToonActivity.h"
#include "game/minigames/race/GRZooActivity.h"
#include "game/minigames/race/RacePainter.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/TLVObject.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"
#include "platform/Platform.h"
#include "platform/headless/VirtualClock.h"
#include "tools/builders/PartBuilder.h"

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

constexpr int kFrameMs = 16;
/// The game's frame budget: each frame is also reported as a share of it.
constexpr double kBudgetMs = 16.7;
constexpr int kObjects = 40, kRacers = 10;

/// Twelve states of two 24 x 24 frames (the racers' frames 0-4 and the wide beam's among them).
vqt::test::PartPlan SpritePart() {
    vqt::test::PartPlan part;
    for (int s = 0; s < 12; ++s) {
        vqt::test::StatePlan state;
        for (int f = 0; f < 2; ++f) {
            state.frames.push_back(vqt::test::FramePlan{
                .picture = vqt::test::RandomPicture(24, 24, uint32_t(s * 2 + f + 1)), .hotX = 12, .hotY = 12});
        }
        part.states.push_back(state);
    }
    return part;
}

/// A stage with its part file; the frame walks and draws whatever activity it is given.
struct Stage {
    Stage() {
        vqt::bench::FreshEngineContext();
        vqt::test::PartBuilder parts(image);
        partId = parts.AddPart(SpritePart()).part;
        file = std::make_unique<vqt::test::OpenedPartFile>(image);
        surface.Create(640, 480, 16);
        surface.SetPixelFormat(2);
    }
    void Place(OActivity& activity, OActivityProp* prop, int i) {
        activity.AddChild(prop);
        prop->SetPartID(file->get(), partId, 1);
        prop->SetPosition(CPointF(float(20 + (i * 37) % 600), float(20 + (i * 53) % 440)), 0, 0);
    }
    void Frame(OActivity& activity) {
        static_cast<plat::VirtualClock&>(plat::clock()).Advance(kFrameMs);
        IdleWalk(&activity);
        const CClipRect all(0, 0, 640, 480);
        activity.Draw(&surface, CPoint16(0, 0), all, all);
        benchmark::ClobberMemory();
    }

    vqt::test::ChunkFileBuilder image;
    uint32_t partId = 0;
    std::unique_ptr<vqt::test::OpenedPartFile> file;
    CPixelSurface surface;
};

void BM_RaceFrame(benchmark::State& state) {
    Stage stage;
    CGRace race;
    race.SetSize(CPoint16(640, 480), 0);
    race.SetPosition(CPointF(320, 240), 0, 0);
    xActivity_SetCurrentView(&race);
    race.OnActivated();
    race.SetScrollVelocity(0.0f, 0.0f, false);
    for (int i = 0; i < kObjects; ++i) {
        auto* object = new TLV_Object();
        stage.Place(race, object, i);
        race.Track().Objects().AddLive(object, i % 3);
    }
    for (int i = 0; i < kRacers; ++i) {
        auto* racer = new DRacing(&race);
        stage.Place(race, racer, kObjects + i);
        race.Track().Objects().AddLive(racer, 3);
    }
    auto* vehicle = new VFlat();
    stage.Place(race, vehicle, kObjects + kRacers);
    for (auto _ : state) stage.Frame(race);
    state.counters["of_budget"] = benchmark::Counter(double(state.iterations()) * kBudgetMs * 1e-3,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    xActivity_SetCurrentView(nullptr);
    race.FlushSoundQueues();
    race.DestroyChildren();
}
BENCHMARK(BM_RaceFrame)->Unit(benchmark::kMicrosecond);

constexpr int kBusyObjects = 60;

/// A town road race as its busiest frame is measured: how to make it and the kinds its live
/// objects and its racers are placed as. Adding a race is adding a row.
struct BusyRace {
    const char* name;
    std::unique_ptr<CGRace> (*make)();
    int32_t objectKinds;
    int32_t racerKind;
};

template <class Race>
std::unique_ptr<CGRace> Make() {
    return std::make_unique<Race>();
}

const BusyRace kBusyRaces[] = {
    {"Circus", &Make<GRToon_Activity>, GRToon_Activity::kRat, GRToon_Activity::kRat},
    {"Zoo", &Make<GRZoo_Activity>, GRZoo_Activity::kMonkey, GRZoo_Activity::kMonkey},
    {"City", &Make<GRMetropolis_Activity>, GRMetropolis_Activity::kCrook, GRMetropolis_Activity::kCrook},
};

/// The race's own props (shots, the beam, puffs) show the stage's sprite: the bench has no
/// game file to take their pictures from.
void Dress(CGRace& race, Stage& stage) {
    for (int32_t i = 0; i < race.ChildCount(); ++i) {
        auto* prop = dynamic_cast<OActivityProp*>(race.ChildAt(i));
        if (prop && xProp_StateCount(prop) == 0) prop->SetPartID(stage.file->get(), stage.partId, 1);
    }
}

/// The busiest frame: 60 live objects, the racers, the bonus shots (the three-way volley or
/// the wide beam) kept flying, a band of the road painted.
void BM_BusiestFrame(benchmark::State& state, const BusyRace& row) {
    Road road; // before the stage: each starts a fresh engine context
    Stage stage;
    std::unique_ptr<CGRace> made = row.make();
    CGRace& race = *made;
    race.SetSize(CPoint16(640, 480), 0);
    race.SetPosition(CPointF(320, 240), 0, 0);
    xActivity_SetCurrentView(&race);
    race.OnActivated();
    race.HidePanel(CGRoadRace::kIntroPanel, 1);
    race.SetScrollVelocity(0.0f, 0.0f, false);
    for (int i = 0; i < kBusyObjects; ++i) {
        auto* object = new TLV_Object();
        stage.Place(race, object, i);
        race.Track().Objects().AddLive(object, i % row.objectKinds);
    }
    for (int i = 0; i < kRacers; ++i) {
        auto* racer = new DRacing(&race);
        stage.Place(race, racer, kBusyObjects + i);
        race.Track().Objects().AddLive(racer, row.racerKind);
    }
    if (race.GetVehicle() == nullptr) {
        state.SkipWithError("the race made no vehicle");
        return;
    }
    race.GetVehicle()->SetPartID(stage.file->get(), stage.partId, 1);
    int32_t band = 0;
    for (auto _ : state) {
        // The bonus clock runs out on the virtual clock: it is started again so that every
        // frame fires the bonus shots. A volley running refuses another; the beam shines anew.
        if (!race.IsBonusClockRunning()) race.StartBonusClock(0);
        race.Fire();
        Dress(race, stage);
        stage.Frame(race);
        road.painter.PaintNewBand(0, band, road.sections);
        band = (band + 1) % (kStage / kBand);
    }
    state.counters["of_budget"] = benchmark::Counter(double(state.iterations()) * kBudgetMs * 1e-3,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    xActivity_SetCurrentView(nullptr);
    race.FlushSoundQueues();
    race.DestroyChildren();
}

void BM_PlainPropsFrame(benchmark::State& state) {
    Stage stage;
    OActivity activity{"Activity", OActivity::kClassId};
    activity.SetSize(CPoint16(640, 480), 0);
    activity.SetPosition(CPointF(320, 240), 0, 0);
    xActivity_SetCurrentView(&activity);
    for (int i = 0; i < kObjects + kRacers + 1; ++i) stage.Place(activity, new OActivityProp, i);
    for (auto _ : state) stage.Frame(activity);
    xActivity_SetCurrentView(nullptr);
    activity.DestroyChildren();
}
BENCHMARK(BM_PlainPropsFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    for (const BusyRace& row : kBusyRaces) {
        benchmark::RegisterBenchmark((std::string("BM_BusiestFrame/") + row.name).c_str(), BM_BusiestFrame, row)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
