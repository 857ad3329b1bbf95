// Whole frames of the circus town {1, 0, 8} on the generated game data: a player past the drive
// tutorial drives the generator's roads from crossing to crossing while the town's fires burn,
// its characters wander and its lines play. Read it beside the engine-only frame of the world
// benches: the counters give the mean and the worst frame as parts of the 16.7 ms budget and
// how far the vehicle drove.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>

#include "bench/BenchContext.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/vehicles/VIsometric.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/FakeFiles.h"
#include "tests/support/HeadlessGame.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/GameData.h"

void AddTownWorlds(GameData& data);

namespace {

constexpr const char* kParts = "game.vqk";
constexpr const char* kSave = "TLVSave.vqk";
constexpr uint16_t kTown = 8;
constexpr int kSlot = 3;
constexpr uint32_t kFrameMs = 16;
constexpr double kBudgetMs = 1000.0 / 60.0;
/// A mode no driving step reads: the bench steers the vehicle itself.
constexpr int32_t kScriptedMode = 13;
/// A leg the vehicle has not finished in this many frames is given up.
constexpr int kLegFrames = 900;

/// The tour: crossings of the generator's roads (tiles of 128, the roads' middles), from the
/// vehicle's start on the east road round the middle of the town and back.
constexpr CPoint16 Crossing(int col, int row) { return CPoint16(int16_t(col * 128 + 64), int16_t(row * 128 + 64)); }
constexpr CPoint16 kTour[] = {Crossing(28, 8), Crossing(23, 8), Crossing(23, 14), Crossing(16, 14), Crossing(16, 8),
                              Crossing(9, 8),  Crossing(9, 2),  Crossing(16, 2),  Crossing(23, 2),  Crossing(28, 2)};

const std::string& PartFileBytes() {
    static const std::string bytes = [] {
        GameData data;
        AddTownWorlds(data);
        const vqt::test::Bytes built = data.file.Build();
        return std::string(built.begin(), built.end());
    }();
    return bytes;
}

plat::VirtualClock& Clock() { return static_cast<plat::VirtualClock&>(plat::clock()); }

void Frames(int n) {
    for (int i = 0; i < n; ++i) {
        Clock().Advance(kFrameMs);
        FrameTick(0);
    }
}

/// The engine with the game's data and Cy's record (past the tutorial, fires and puppies to
/// go), then the town shown; null when any of it failed.
WToon_Activity* StartTown() {
    CGameShellState::ResetForTest();
    xSRand(1);
    vqt::test::FakeFiles& files = vqt::test::FakeFiles::Install();
    files.Put(kParts, PartFileBytes());
    const vqt::test::Bytes record = vqt::test::StoredRecord("Cy")
                                        .Counter(13, 1)
                                        .WorldWord(WToon_Activity::kWorld, 25, 20)
                                        .WorldWord(WToon_Activity::kWorld, 26, 10)
                                        .WorldWord(WToon_Activity::kWorld, 27, 10)
                                        .WorldWord(WToon_Activity::kWorld, 28, 12)
                                        .WorldWord(WToon_Activity::kWorld, 29, 6)
                                        .WorldWord(WToon_Activity::kWorld, 30, 3)
                                        .bytes();
    const vqt::test::Bytes save = vqt::test::SaveFileOf({{kSlot, record}});
    files.Put(kSave, std::string(save.begin(), save.end()));
    if (!vqt::test::StartHeadlessGame({.partFile = kParts, .saveFile = kSave, .registerClasses = &xWorld_RegisterClasses}))
        return nullptr;
    CTLVApp* app = CTLVApp::Get();
    if (app->GetPlayer()->Load(kSlot) != SaveSlotState::Valid) return nullptr;
    app->SetSaveSlot(int16_t(kSlot));
    OActivityManager* manager = GetActivityManager();
    manager->RequestActivity(MakeChunkId(1, kTown));
    for (int i = 0; i < 400 && manager->IsSwitchPending(); ++i) Frames(1);
    OActivity* shown = manager->GetCurrentActivity();
    return manager->GetCurrentId() == MakeChunkId(1, kTown) && shown && shown->IsA(WToon_Activity::kClassId)
               ? static_cast<WToon_Activity*>(shown)
               : nullptr;
}

void StopGame() {
    vqt::test::StopHeadlessGame();
    CGameShellState::ResetForTest();
}

void BM_CircusTownFrame(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    WToon_Activity* town = StartTown();
    auto* vehicle = town ? dynamic_cast<VIsometric*>(town->GetVehicle()) : nullptr;
    if (!vehicle) {
        state.SkipWithError("the town or its vehicle did not start");
        StopGame();
        return;
    }
    Frames(60); // the arrival's lines and the view settle
    town->SetDrivingMode(kScriptedMode);
    size_t leg = 0;
    double travelled = 0.0, worst = 0.0, total = 0.0;
    CPointF last = vehicle->GetPosition();
    int legFrames = 0, legs = 0;
    for (auto _ : state) {
        const CPointF at = vehicle->GetPosition();
        travelled += std::hypot(double(at.x) - last.x, double(at.y) - last.y);
        last = at;
        const CPoint16 goal = kTour[leg];
        if (std::hypot(at.x - goal.x, at.y - goal.y) < 60.0 || ++legFrames > kLegFrames) {
            legs += legFrames <= kLegFrames;
            leg = (leg + 1) % std::size(kTour);
            legFrames = 0;
        }
        // As the pointer drive does: the target is set again every frame.
        vehicle->SetTarget(kTour[leg]);
        const auto start = std::chrono::steady_clock::now();
        Frames(1);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(ms / 1000.0);
        worst = std::max(worst, ms);
        total += ms;
    }
    const double frames = double(std::max<int64_t>(state.iterations(), 1));
    state.counters["mean_of_budget"] = total / frames / kBudgetMs;
    state.counters["worst_of_budget"] = worst / kBudgetMs;
    state.counters["worst_ms"] = worst;
    // A vehicle stuck on a prop would make the frame look cheap: the run shows how far it went.
    state.counters["vehicle_px_per_frame"] = travelled / frames;
    state.counters["legs_driven"] = legs;
    StopGame();
}

BENCHMARK(BM_CircusTownFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2000);

} // namespace
