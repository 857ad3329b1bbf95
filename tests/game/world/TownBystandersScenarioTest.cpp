// The circus town's people on the generated game data, the whole program running: the
// bystanders wander among the town's blockers, and the spawn point on the middle road makes
// one person, once, when the vehicle drives over it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/vehicles/VIsometric.h"
#include "platform/Platform.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/ScriptLines.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/CircusBystanders.h"

namespace vqt::test {
namespace {

constexpr int16_t kBo = 3;
constexpr uint32_t kFrameMs = 16;
constexpr int32_t kHeadingRight = 8;
/// The frames of the drive whose pictures are kept.
constexpr uint32_t kShots[] = {0, 120, 240};

WToon_Activity* Town() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(WToon_Activity::kClassId) ? static_cast<WToon_Activity*>(current) : nullptr;
}

/// The people the town's data placed (the spawned ones are listed by their kind).
std::vector<Dweeble*> PlacedPeople(WToon_Activity* town) {
    std::vector<Dweeble*> people;
    for (int32_t i = 0; i < town->ChildCount(); ++i)
        if (auto* d = dynamic_cast<Dweeble*>(town->ChildAt(i)); d && d->GetClassId() == Dweeble::kClassId) {
            bool spawned = false;
            for (int32_t k = 0; k < town->GetList(TLVWorld_Activity::kAvoiders).Count(); ++k)
                spawned = spawned || town->GetList(TLVWorld_Activity::kAvoiders).GetAt(k) == d;
            if (!spawned) people.push_back(d);
        }
    return people;
}

Spawn* RoadSpawn(WToon_Activity* town) {
    const auto& spawns = town->GetList(TLVWorld_Activity::kSpawns);
    for (int32_t i = 0; i < spawns.Count(); ++i)
        if (spawns.GetAt(i)->GetPosition() == CPointF(circus::kRoadSpawnX, circus::kSpawnRoadY))
            return static_cast<Spawn*>(spawns.GetAt(i));
    return nullptr;
}

bool OnABlocker(WToon_Activity* town, const CPointF& p) {
    const auto& blockers = town->GetList(TLVWorld_Activity::kBlockers);
    for (int32_t i = 0; i < blockers.Count(); ++i)
        if (CWorldBuckets::BoxOf(blockers.GetAt(i)).ContainsPoint(int16_t(p.x), int16_t(p.y))) return true;
    return false;
}

/// What the run saw from the start of the drive on.
struct Seen {
    bool started = false;
    size_t people = 0;
    size_t moved = 0;
    int onBlockers = 0;
    std::vector<int32_t> made; ///< the spawned people, each frame of the drive
    bool spawnUsed = false;
    ChunkId madePart = kNullChunkId;
    ChunkId spawnPart = kNullChunkId;
    std::map<uint32_t, RgbImage> shots;
};

class TownBystandersScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }
};

TEST_F(TownBystandersScenarioTest, BystandersWanderAmongTheBlockersAndTheRoadSpawnMakesOnePersonOnce) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").Counter(13, 1).bytes(); // no drive tutorial
    PutSave(records);
    Ini("STARTACTIVITY=5\n");

    Seen seen;
    std::vector<CPointF> starts;
    uint32_t now = 0, arrived = 0, drive = 0;
    ChunkId shown = kNullChunkId;
    int step = 0;
    int avoidersBefore = 0;
    auto settledOn = [&](uint16_t entry) {
        OActivityManager* manager = GetActivityManager();
        return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && !manager->IsOverlayActive() &&
               now >= arrived + 800;
    };
    Scenario s = Game(kFrameMs);
    s.frames = 12000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        if (tick == 1) {
            player->Load(kBo);
            CTLVApp::Get()->SetSaveSlot(kBo);
        }
        const ChunkId id = GetActivityManager() ? GetActivityManager()->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            arrived = now;
        }
        if (step == 0 && settledOn(5)) {
            // The fire engine, stored on the middle road left of the spawn point.
            player->SetSelectedVehicle(0);
            player->SetWorldPosition(CPoint16(circus::kRoadSpawnX - 220, circus::kSpawnRoadY), WToon_Activity::kWorld);
            Script(ClickAt(buttons::kGarageGo)); // go
            ++step;
            return;
        }
        WToon_Activity* town = Town();
        if (step == 1 && settledOn(8) && town) {
            auto* vehicle = dynamic_cast<VIsometric*>(town->GetVehicle());
            if (!vehicle) return;
            vehicle->SetState(kHeadingRight); // along the road, toward the spawn point
            for (Dweeble* d : PlacedPeople(town)) starts.push_back(d->GetGroundPosition());
            if (Spawn* spawn = RoadSpawn(town)) seen.spawnPart = spawn->GetSpawnPartId();
            avoidersBefore = town->GetList(TLVWorld_Activity::kAvoiders).Count();
            // '3' chooses mode 7, where a tap of Space latches the drive on.
            Script("0 WM_KEYDOWN 51 0 0 0\n50 WM_KEYUP 51 0 0 0\n100 WM_KEYDOWN 32 0 0 0\n150 WM_KEYUP 32 0 0 0\n");
            seen.started = true;
            drive = tick;
            ++step;
        }
        if (step != 2 || !town) return;
        const uint32_t frame = tick - drive;
        const auto& made = town->GetList(TLVWorld_Activity::kAvoiders);
        // The town's own avoiders share the list; the spawned person comes after them.
        seen.made.push_back(made.Count() - avoidersBefore);
        if (made.Count() > avoidersBefore) made.GetAt(made.Count() - 1)->GetPartID(&seen.madePart);
        for (const uint32_t shot : kShots)
            if (frame == shot) {
                const plat::Window* window = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
                if (window) seen.shots[shot] = ToRgb(window->Presented());
            }
        if (frame == kShots[2]) {
            const std::vector<Dweeble*> people = PlacedPeople(town);
            seen.people = people.size();
            for (size_t i = 0; i < people.size() && i < starts.size(); ++i) {
                const CPointF at = people[i]->GetLastPosition();
                seen.moved += !(at == starts[i]);
                seen.onBlockers += OnABlocker(town, at);
            }
            if (Spawn* spawn = RoadSpawn(town)) seen.spawnUsed = spawn->IsUsed();
            ++step;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    ASSERT_TRUE(seen.started) << "the town started with its vehicle";
    ASSERT_GT(seen.made.size(), size_t(kShots[2]));

    EXPECT_EQ(seen.people, starts.size());
    EXPECT_GE(seen.people, 8u) << "the town's bystanders";
    EXPECT_GE(seen.moved * 2, seen.people) << "at least half of them walked";
    EXPECT_EQ(seen.onBlockers, 0) << "none stands on a blocker";

    EXPECT_EQ(seen.made.front(), 0) << "nobody spawned before the vehicle came";
    EXPECT_EQ(seen.made.back(), 1) << "the spawn point made one person";
    for (size_t f = 1; f < seen.made.size(); ++f) EXPECT_LE(seen.made[f], 1) << "once, frame " << f;
    EXPECT_TRUE(seen.spawnUsed);
    EXPECT_NE(seen.spawnPart, kNullChunkId);
    EXPECT_EQ(seen.madePart, seen.spawnPart) << "made from the spawn point's part";

    for (const uint32_t shot : kShots) {
        SCOPED_TRACE(shot);
        ASSERT_EQ(seen.shots.count(shot), 1u);
        ExpectMatchesGoldenImage("game/world/town_bystanders_" + std::to_string(shot) + ".png", seen.shots[shot]);
    }
}

} // namespace
} // namespace vqt::test
