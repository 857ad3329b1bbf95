// The town bot in the circus town on the generated data, the whole program running, sent back
// and forth across the map between two badges far apart, 20 seconds each way, with no task to
// do: the vehicle never keeps to one spot, and nothing gets done. After long enough it tries
// another way all the same (a chain in tow circling the place it is to be taken to is such a
// play), and then gives that way as long again. Each play ends once what it checks is known.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "game/shell/StillProps.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownRounds.h"
#include "tests/support/StageScript.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16, kLegMs = 20000, kPlayMs = 120000;
/// How long past its next look at what is done the bot is watched.
constexpr uint32_t kLookMs = 1000;

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

/// What a play across the map showed: when the town showed, how far the vehicle went from
/// where it started, when the bot tried another way, and the last frame's time.
struct StallPlay {
    bool townShown = false;
    uint32_t townAt = 0, lastAt = 0;
    float farthest = 0.0f;
    std::vector<uint32_t> waysTriedAt;
};

class TownBotStallTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        PutSave(TownRoundRecords(CircusRound()));
        Ini("STARTACTIVITY=4\n");
    }
    /// Plays for `playMs` at most, until `enough` holds for what it has shown by a frame.
    static StallPlay PlayAcrossTheMap(uint32_t playMs, const std::function<bool(const StallPlay&, uint32_t now)>& enough);
};

StallPlay TownBotStallTest::PlayAcrossTheMap(uint32_t playMs, const std::function<bool(const StallPlay&, uint32_t now)>& enough) {
    const TownRound round = CircusRound();
    uint32_t legs = 0;
    TownBot::Task task;
    task.open = [](OActivityProp*) { return false; };
    task.needsAction = [](OActivityProp*) { return false; };
    task.messagesWaiting = [] { return static_cast<plat::ScriptedMessages&>(plat::messages()).Pending(); };
    // The badges by the start and across the map, in turn.
    task.first = [&](TLVWorld_Activity* world) { return BadgeNear(world, legs % 2 ? CPointF(1000, 2624) : CPointF(3648, 2000)); };
    std::optional<TownBot> bot;
    StallPlay play;
    ChunkId shown = kNullChunkId;
    CPointF start;
    Scenario s = Game(kFrameMs);
    s.frames = playMs / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            xSRand(1);
            TLVWorld_Activity::escapeSide = 0;
        }
        play.lastAt = now;
        if (enough(play, now)) return RequestQuit();
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
            play.townShown = true;
            play.townAt = now;
            start = town->GetVehicle()->GetPosition();
        }
        legs = (now - play.townAt) / kLegMs;
        const CPointF at = town->GetVehicle()->GetPosition();
        play.farthest = std::max(play.farthest, std::hypot(at.x - start.x, at.y - start.y));
        const std::string lines = bot->Step(town, now);
        if (bot->WaysTried() > play.waysTriedAt.size()) play.waysTriedAt.push_back(now);
        if (!lines.empty()) Script(lines);
    };
    RunScenario(s);
    return play;
}

TEST_F(TownBotStallTest, NothingDoneForLongWhileTheVehicleGoesAboutItTriesAnotherWay) {
    const StallPlay play = PlayAcrossTheMap(kPlayMs, [](const StallPlay& p, uint32_t) { return !p.waysTriedAt.empty(); });
    ASSERT_TRUE(play.townShown) << "the town never showed";
    EXPECT_GT(play.farthest, 2.0f * TownBot::kRoamed) << "the vehicle went about the map";
    EXPECT_GE(play.waysTriedAt.size(), 1u) << "nothing done for " << (kPlayMs - play.townAt) / 1000 << " s and no other way tried";
}

TEST_F(TownBotStallTest, AfterAnotherWayNothingDoneIsTimedAfresh) {
    // The bot looks at what is done again kNoProgressMs after the way it tried: nothing done
    // for less than kStalledMs since then, it goes on its way.
    const StallPlay play = PlayAcrossTheMap(kPlayMs + TownBot::kNoProgressMs, [](const StallPlay& p, uint32_t now) {
        return p.waysTriedAt.size() > 1 || (!p.waysTriedAt.empty() && now > p.waysTriedAt[0] + TownBot::kNoProgressMs + kLookMs);
    });
    ASSERT_EQ(play.waysTriedAt.size(), 1u) << "no way tried, or the next one at once";
    // The bot's clock is the play's: the first way comes with the first stall, not at a look
    // before it that found the vehicle near one spot.
    EXPECT_GE(play.waysTriedAt[0], TownBot::kStalledMs) << "the first way was not for a stall";
    EXPECT_GT(play.lastAt, play.waysTriedAt[0] + TownBot::kNoProgressMs) << "the play ended before the bot looked again";
}

} // namespace
} // namespace vqt::test
