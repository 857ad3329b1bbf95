// The town bot in the circus town on the generated data, the whole program running, sent back
// and forth across the map between two badges far apart, 20 seconds each way, with no task to
// do: the vehicle never keeps to one spot, and nothing gets done. After long enough it tries
// another way all the same (a chain in tow circling the place it is to be taken to is such a
// play).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "game/shell/StillProps.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownRounds.h"
#include "tests/support/StageScript.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16, kLegMs = 20000, kPlayMs = 120000;

class TownBotStallTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }
};

/// The badge nearest to `at`.
OActivityProp* BadgeNear(TLVWorld_Activity* world, const CPointF& at) {
    OActivityProp* best = nullptr;
    double bestDistance = 1e18;
    for (int list = 0; list < TLVWorld_Activity::kPropLists; ++list)
        for (int32_t i = 0; i < world->GetList(list).Count(); ++i) {
            OActivityProp* prop = world->GetList(list).GetAt(i);
            if (!prop->IsA(Token::kClassId)) continue;
            const double d = std::hypot(prop->GetPosition().x - at.x, prop->GetPosition().y - at.y);
            if (d < bestDistance) bestDistance = d, best = prop;
        }
    return best;
}

TEST_F(TownBotStallTest, NothingDoneForLongWhileTheVehicleGoesAboutItTriesAnotherWay) {
    const TownRound round = CircusRound();
    PutSave(TownRoundRecords(round));
    Ini("STARTACTIVITY=4\n");
    uint32_t legs = 0;
    TownBot::Task task;
    task.open = [](OActivityProp*) { return false; };
    task.needsAction = [](OActivityProp*) { return false; };
    task.messagesWaiting = [] { return static_cast<plat::ScriptedMessages&>(plat::messages()).Pending(); };
    // The badges by the start and across the map, in turn.
    task.first = [&](TLVWorld_Activity* world) { return BadgeNear(world, legs % 2 ? CPointF(1000, 2624) : CPointF(3648, 2000)); };
    std::optional<TownBot> bot;
    ChunkId shown = kNullChunkId;
    uint32_t townAt = 0;
    float farthest = 0.0f;
    CPointF start;
    Scenario s = Game(kFrameMs);
    s.frames = kPlayMs / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            xSRand(1);
            TLVWorld_Activity::escapeSide = 0;
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            if (id == MakeChunkId(1, 4)) Script(SignInInput(kTownRoundSlot));
            if (id == MakeChunkId(1, 5)) Script(GarageInput(round.vehicle));
        }
        TownWorld* town = CurrentTown();
        if (!town || manager->IsSwitchPending() || !town->GetVehicle()) return;
        if (!bot) {
            bot.emplace(round.roads, task);
            townAt = now;
            start = town->GetVehicle()->GetPosition();
        }
        legs = (now - townAt) / kLegMs;
        const CPointF at = town->GetVehicle()->GetPosition();
        farthest = std::max(farthest, std::hypot(at.x - start.x, at.y - start.y));
        const std::string lines = bot->Step(town, now);
        if (!lines.empty()) Script(lines);
    };
    RunScenario(s);
    ASSERT_TRUE(bot.has_value()) << "the town never showed";
    EXPECT_GT(farthest, 2.0f * TownBot::kRoamed) << "the vehicle went about the map";
    EXPECT_GE(bot->WaysTried(), 1u) << "nothing done for " << (kPlayMs - townAt) / 1000 << " s and no other way tried";
}

} // namespace
} // namespace vqt::test
