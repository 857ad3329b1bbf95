// Whole frames of a driving world on the headless stage: the vehicle touring a map of 400
// still props, and the busy world where 60 characters wander and shy from it as well, each
// beside the engine's frame over the same props as plain activity props with the view
// scrolling the same way (the cost of drawing and walking them with none of the world's work).
// The zoo's frame: 30 guards patrolling their keeper, 40 avoiders, 10 followers linked behind
// the vehicle and the spot-light beam on, among the same still props (beside the plain frame
// with as many props).
// The counters give the mean and the worst frame as parts of the 16.7 ms budget, the world's
// bucket queries per frame, and how far the vehicle drove.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityProp.h"
#include "game/shell/StillProps.h"
#include "game/shell/PBeam.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DGuard.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/towns/ZooBeam.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/world/DrivingWorldHarness.h"

namespace {

using namespace vqt::harness;

constexpr int kStill = 400;
constexpr int kCharacters = 60;
/// The zoo's characters: guards, avoiders and followers, and the beam among the plain props.
constexpr int kGuards = 30, kAvoiders = 40, kFollowers = 10;
constexpr int kZooProps = kGuards + kAvoiders + kFollowers + 1;
constexpr double kBudgetMs = 1000.0 / 60.0;
/// The tour: the vehicle heads for each corner of the map's inner ring in turn.
constexpr CPoint16 kTour[] = {{200, 200}, {1080, 220}, {1060, 760}, {220, 740}, {640, 480}};
constexpr double kRoadHalfWidth = 70.0;
/// The vehicle's pace on the tour, in pixels a frame (150 pixels a second).
constexpr double kViewStep = 2.4;
/// A leg the vehicle has not finished in this many frames is given up.
constexpr int kLegFrames = 600;
/// A mode no driving step reads: the bench steers the vehicle itself.
constexpr int32_t kScriptedMode = 13;

struct Placed {
    float x, y;
    ChunkId part;
};

/// How far the point lies from the tour's road (the last leg leads back to the first).
double FromTour(float x, float y) {
    double nearest = 1e9;
    for (size_t i = 0; i < std::size(kTour); ++i) {
        const CPoint16 next = kTour[(i + 1) % std::size(kTour)];
        const double ax = kTour[i].x, ay = kTour[i].y, dx = next.x - ax, dy = next.y - ay;
        const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(x - (ax + t * dx), y - (ay + t * dy)));
    }
    return nearest;
}

/// Where the props stand, the same for the world and the plain frame: the still props off the
/// tour's road (characters anywhere).
std::vector<Placed> Layout(int characters) {
    xSRand(5);
    std::vector<Placed> layout;
    while (int(layout.size()) < kStill + characters) {
        const bool still = int(layout.size()) < kStill;
        const ChunkId part = still ? MakeChunkId(2, kBlockers[layout.size() % 2]) : StatesPart(8);
        const float x = float(20 + xRand() % (kMapWidth - 40)), y = float(20 + xRand() % (kMapHeight - 40));
        if (!still || FromTour(x, y) > kRoadHalfWidth) layout.push_back({x, y, part});
    }
    return layout;
}

/// Runs frames until the loop ends, timing each one; the counters of the run.
template <class Step>
void TimeFrames(benchmark::State& state, Step step, const CWorldBuckets* buckets) {
    double worst = 0.0, total = 0.0;
    const uint64_t queriesBefore = buckets ? buckets->QueryCount() : 0;
    for (auto _ : state) {
        step();
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
    if (buckets) state.counters["queries_per_frame"] = double(buckets->QueryCount() - queriesBefore) / frames;
}

/// The harness's player has never driven, so the world opens the drive tutorial, which holds
/// the vehicle still; the benches drive as a player past it. The vehicle, or null.
VIsometric* DrivingVehicle(FuzzWorld* world) {
    if (!world) return nullptr;
    world->HidePanel(TLVWorld_Activity::kTutorialPanel, 1);
    return world->IsPanelShown(-1) ? nullptr : dynamic_cast<VIsometric*>(world->GetVehicle());
}

/// The world with the props of the layout (still props as blockers and trees, characters
/// wandering with the vehicle as their target) and the vehicle on its tour.
void BM_WorldFrame(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    const int characters = int(state.range(0));
    FuzzWorld* world = StartWorld(MakeChunkId(2, kVehicles[0]));
    VIsometric* vehicle = DrivingVehicle(world);
    if (!vehicle) {
        state.SkipWithError("the world or its vehicle did not start, or a panel holds it");
        StopGame();
        return;
    }
    int i = 0;
    for (const Placed& p : Layout(characters)) {
        if (i++ < kStill) {
            Place(world, new Blocker, p.x, p.y, p.part, 0)->CreateOverlay();
            continue;
        }
        auto* d = Place(world, new Dweeble, p.x, p.y, p.part, 0);
        d->OnPartLoaded();
        d->SetTargetObject(vehicle);
    }
    world->SetDrivingMode(kScriptedMode);
    vehicle->SetPosition(CPointF(640, 480), 0, 1);
    size_t leg = 0;
    vehicle->SetTarget(kTour[leg]);
    double travelled = 0.0;
    CPointF last = vehicle->GetPosition();
    int legFrames = 0, legs = 0;
    auto tour = [&] {
        const CPointF at = vehicle->GetPosition();
        travelled += std::hypot(double(at.x) - last.x, double(at.y) - last.y);
        last = at;
        const CPoint16 goal = kTour[leg];
        if (std::hypot(at.x - goal.x, at.y - goal.y) < 60.0 || ++legFrames > kLegFrames) {
            legs += legFrames <= kLegFrames;
            leg = (leg + 1) % std::size(kTour);
            legFrames = 0;
            vehicle->SetTarget(kTour[leg]);
        }
    };
    TimeFrames(state, tour, &world->GetBuckets());
    // A vehicle stuck on a prop would make the frame look cheap: the run shows how far it went.
    state.counters["vehicle_px_per_frame"] = travelled / double(std::max<int64_t>(state.iterations(), 1));
    state.counters["legs_driven"] = legs;
    StopGame();
}

/// The beam hands what it lights to the world's contact pass.
bool BeamHook(TLV_Object* beam) { return WorldShownPropHook(beam) != 0; }

/// The vehicle's tour as a step of the frame loop: the next corner once near, or after a leg
/// too long; the distance driven and the legs finished.
struct Tour {
    VIsometric* vehicle;
    size_t leg = 0;
    double travelled = 0.0;
    CPointF last;
    int legFrames = 0, legs = 0;

    explicit Tour(VIsometric* v) : vehicle(v), last(v->GetPosition()) { vehicle->SetTarget(kTour[leg]); }
    void operator()() {
        const CPointF at = vehicle->GetPosition();
        travelled += std::hypot(double(at.x) - last.x, double(at.y) - last.y);
        last = at;
        const CPoint16 goal = kTour[leg];
        if (std::hypot(at.x - goal.x, at.y - goal.y) < 60.0 || ++legFrames > kLegFrames) {
            legs += legFrames <= kLegFrames;
            leg = (leg + 1) % std::size(kTour);
            legFrames = 0;
            vehicle->SetTarget(kTour[leg]);
        }
    }
};

/// The zoo's frame: the keeper in the middle with 30 guards patrolling 100 pixels round it, 40
/// avoiders shying from the vehicle, 10 followers picked up behind it, the beam switched on.
void BM_ZooFrame(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    FuzzWorld* world = StartWorld(MakeChunkId(2, kVehicles[0]));
    VIsometric* vehicle = DrivingVehicle(world);
    if (!vehicle) {
        state.SkipWithError("the world or its vehicle did not start, or a panel holds it");
        StopGame();
        return;
    }
    vehicle->SetPosition(CPointF(640, 480), 0, 1);
    const std::vector<Placed> layout = Layout(kGuards + kAvoiders);
    for (int i = 0; i < kStill; ++i) Place(world, new Blocker, layout[size_t(i)].x, layout[size_t(i)].y, layout[size_t(i)].part, 0)->CreateOverlay();
    auto* keeper = Place(world, new DCaptive, 900, 300, StatesPart(kMaxStates), 0);
    keeper->OnPartLoaded();
    for (int i = 0; i < kGuards; ++i) {
        const Placed& p = layout[size_t(kStill + i)];
        auto* guard = Place(world, new DGuard, p.x, p.y, StatesPart(kMaxStates), 0);
        guard->OnPartLoaded();
        guard->SetGuardFlag(1);
        guard->SetPen(keeper);
        guard->SetMargin(100);
    }
    for (int i = 0; i < kAvoiders; ++i) {
        const Placed& p = layout[size_t(kStill + kGuards + i)];
        auto* avoider = Place(world, new DAvoider, p.x, p.y, StatesPart(kMaxStates), 0);
        avoider->OnPartLoaded();
        avoider->SetTargetObject(vehicle);
    }
    // Followers beside the start, each picked up by a touch of something thrown.
    std::vector<DFollower*> followers;
    for (int i = 0; i < kFollowers; ++i) {
        auto* follower = Place(world, new DFollower, float(600 + 12 * i), 540, StatesPart(kMaxStates), 0);
        follower->OnPartLoaded();
        follower->SetTargetObject(vehicle);
        followers.push_back(follower);
    }
    Frames(2);
    for (DFollower* follower : followers) {
        Blocker touch;
        touch.SetPartID(CTLVApp::Get()->GetPartFile(), StatesPart(1), 1);
        touch.SetPosition(follower->GetPosition(), 0, 0);
        WorldPropHook(&touch);
        Frames(1);
    }
    CZooBeam beam;
    if (!beam.Make(*world, CTLVApp::Get()->GetPartFile(), *vehicle, 2, &BeamHook) || !beam.SwitchOn()) {
        state.SkipWithError("the beam did not start");
        StopGame();
        return;
    }
    world->SetDrivingMode(kScriptedMode);
    Tour tour(vehicle);
    TimeFrames(state, [&] { tour(); }, &world->GetBuckets());
    state.counters["vehicle_px_per_frame"] = tour.travelled / double(std::max<int64_t>(state.iterations(), 1));
    state.counters["legs_driven"] = tour.legs;
    state.counters["followers_linked"] = world->CountFollowers();
    beam.Remove();
    StopGame();
}

/// The engine's own frame over the same props as plain activity props, the view scrolling
/// round the tour.
void BM_PlainFrame(benchmark::State& state) {
    vqt::bench::FreshEngineContext();
    OActivity* activity = StartGame(kPlainEntry, kNullChunkId);
    if (!activity) {
        state.SkipWithError("the activity did not start");
        StopGame();
        return;
    }
    std::vector<Placed> layout = Layout(int(state.range(0)));
    layout.push_back({640, 480, MakeChunkId(2, kVehicles[0])}); // where the vehicle would be
    for (const Placed& p : layout) {
        auto* prop = new OActivityProp;
        prop->SetPartID(CTLVApp::Get()->GetPartFile(), p.part, 1);
        prop->SetPosition(CPointF(p.x, p.y), 0, 0);
        activity->AddChild(prop);
    }
    // The view follows a point driven round the tour at the vehicle's pace, as the world's view
    // follows its vehicle.
    size_t leg = 0;
    CPointF at(kTour[std::size(kTour) - 1].x, kTour[std::size(kTour) - 1].y);
    auto follow = [&] {
        const CPoint16 goal = kTour[leg];
        const double dx = goal.x - at.x, dy = goal.y - at.y, left = std::hypot(dx, dy);
        if (left < kViewStep) {
            leg = (leg + 1) % std::size(kTour);
        } else {
            at.x += float(dx / left * kViewStep);
            at.y += float(dy / left * kViewStep);
        }
        activity->ScrollTo(CPointF(std::max(0.0f, at.x - 320), std::max(0.0f, at.y - 240)), 1);
    };
    TimeFrames(state, follow, nullptr);
    StopGame();
}

// Argument: the characters among the still props (0: the vehicle's tour alone).
BENCHMARK(BM_WorldFrame)->Arg(0)->Arg(kCharacters)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2000);
BENCHMARK(BM_ZooFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2000);
BENCHMARK(BM_PlainFrame)->Arg(0)->Arg(kCharacters)->Arg(kZooProps)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2000);

} // namespace
