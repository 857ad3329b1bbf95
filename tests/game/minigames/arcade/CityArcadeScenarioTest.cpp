// The city arcade {1, 0, 19} on the generated game data: what the game's factory makes of it,
// and the whole program played by a bot that reads the game's state and acts only by scripted
// keys (the arrows, ALT released to toss) and clicks, until it wins and returns to the city;
// the record the save file then holds; and leaving early at level 2.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "engine/data/PartFile.h"
#include "game/minigames/arcade/ArcadeClasses.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/MetroArcadeBlocker.h"
#include "game/minigames/arcade/MetroArcadeCrook.h"
#include "game/shell/Player.h"
#include "game/shell/TLVFactory.h"
#include "game/world/WorldClasses.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/game/minigames/arcade/ArcadeScenario.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/Golden.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

using namespace arcade_bot;

constexpr int16_t kBo = 3;
constexpr uint32_t kFrameMs = 20;
constexpr int kWorld = 2, kArcade = 3;
constexpr uint16_t kVehicle = 4;

/// What a bot's run saw.
struct BotRun {
    int step = 0;
    int tosses = 0;
    int vehicle = -1;
    uint16_t stopped = 0, tokensCaught = 0, badgesBefore = 0, heroBefore = 0, countBefore = 0;
    std::string log;
    /// A hash of the game's state at every frame of play.
    std::vector<uint64_t> hashes;
    /// Every line queued while the game ran, in order: its voice entry and its caption bytes.
    std::string spoken;
    /// The stage with the start panel, a moment after the first stop, and with the results.
    RgbImage startPanel, firstStop, results;
};

/// The game's state folded into a hash: the view, the vehicle, the crooks, the canisters.
uint64_t StateHash(GAMetropolis_Activity* game) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](double v) {
        h ^= uint64_t(int64_t(std::llround(v * 1000.0)));
        h *= 1099511628211ull;
    };
    mix(game->GetScrollOffset().x);
    if (VFlat* vehicle = game->GetVehicle()) mix(vehicle->GetPosition().x), mix(vehicle->GetVelocity().x);
    mix(game->GetStopped()), mix(game->GetCrooksLeft()), mix(game->GetTokensLeft()), mix(game->Canisters().Count());
    for (int32_t i = 0; i < game->Crooks().Count(); ++i) {
        const Metro_Arcade_Crook* crook = game->Crooks().GetAt(i);
        mix(crook->GetPosition().x), mix(crook->GetPosition().y), mix(crook->GetBehaviourState());
    }
    return h;
}

class CityArcadeScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xArcade_RegisterClasses();
    }
    /// Bo at level 1 in the city's first vehicle, started in the arcade: the bot closes the
    /// start panel with a click on its instructions, then keeps under the nearest crook not yet
    /// stopped and tosses with ALT whenever allowed, until the results panel shows; then
    /// button 0.
    BotRun PlayBot(uint32_t runMs = 300000);
};

TEST_F(CityArcadeScenarioTest, TheFactoryFilesTheGeneratedStreetAndItsBlockers) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    {
        OActivityManager manager;
        manager.Init(&file);
        manager.AddFactory(new CTLVFactory);
        const ChunkId id = MakeChunkId(1, 19);
        ASSERT_TRUE(manager.LoadActivity(&file, &id));
        ASSERT_TRUE(manager.AttachObjects(true));
        auto* game = dynamic_cast<GAMetropolis_Activity*>(manager.GetPendingActivity());
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(game->Blockers().Count(), 30);
        EXPECT_EQ(game->GroupList(5).Count(), 30);
        for (int32_t g = 0; g < 6; ++g) EXPECT_EQ(game->GetStartSpeed(g), 0) << "the street moves only when pushed";
        manager.SwapInPending();
    }
    DeleteAllDeferred();
}

TEST_F(CityArcadeScenarioTest, ABotStopsTwentyCrooksAtLevelOneAndTheRecordIsSaved) {
    const BotRun r = PlayBot();
    ASSERT_GE(r.step, 3) << "stopped: " << r.stopped << ", tosses: " << r.tosses << "\n" << r.log;
    EXPECT_EQ(r.vehicle, kVehicle);
    EXPECT_EQ(r.stopped, 20);
    EXPECT_GE(r.step, 5) << r.log;
    CPlayer saved;
    ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetActivityCount(kWorld, kArcade), r.countBefore + 1);
    EXPECT_EQ(saved.GetActivityLevel(kWorld, kArcade), 2);
    EXPECT_EQ(saved.GetHeroPoints(kWorld), r.heroBefore + 1);
    EXPECT_EQ(saved.GetBadgeCount(kWorld, kArcade), r.badgesBefore + r.tokensCaught);
    ExpectMatchesGolden("game/minigames/city_arcade_lines.txt", r.spoken);
    ExpectMatchesGoldenImage("game/minigames/city_arcade_start.png", r.startPanel);
    ExpectMatchesGoldenImage("game/minigames/city_arcade_first_stop.png", r.firstStop);
    ExpectMatchesGoldenImage("game/minigames/city_arcade_results.png", r.results);
}

TEST_F(CityArcadeScenarioTest, TwoRunsOfTheBotGiveTheSameStateAtEveryFrame) {
    // The first 20 seconds of each run.
    const BotRun first = PlayBot(20000);
    RenewContext();
    xWorld_RegisterClasses();
    xArcade_RegisterClasses();
    const BotRun second = PlayBot(20000);
    ASSERT_GT(first.hashes.size(), 100u);
    EXPECT_EQ(first.hashes, second.hashes);
}

BotRun CityArcadeScenarioTest::PlayBot(uint32_t runMs) {
    std::srand(1); // the fixed seed of every run

    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    // Bo at level 1 of the city arcade.
    records[kBo] = StoredRecord("Bo").Counter(13, 1).WorldWord(kWorld, CPlayer::kLevels + kArcade, 1).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=19\n");

    BotRun r;
    uint32_t now = 0, arrived = 0, tossed = 0, wonAt = 0, stoppedAt = 0;
    ChunkId shown = kNullChunkId;
    int heldKey = 0;
    std::vector<const OMessageRecord*> queued;
    Scenario s = Game(kFrameMs);
    s.frames = runMs / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        if (tick == 1) {
            player->Load(kBo);
            player->SetSelectedVehicle(kVehicle);
            CTLVApp::Get()->SetSaveSlot(kBo);
            r.badgesBefore = player->GetBadgeCount(kWorld, kArcade);
            r.heroBefore = player->GetHeroPoints(kWorld);
            r.countBefore = player->GetActivityCount(kWorld, kArcade);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            r.log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            arrived = now;
        }
        GAMetropolis_Activity* game = Current<GAMetropolis_Activity>();
        if (game) NoteSpokenLines(queued, r.spoken);
        const bool settled = game && manager && !manager->IsSwitchPending() && now >= arrived + 800;
        if (r.step == 0 && settled && now >= arrived + 1500 && game->IsPanelShown(Arcade_Activity::kStartPanel)) {
            r.vehicle = game->GetVehicleIndex();
            r.startPanel = StagePicture();
            Click(320, 347);
            ++r.step;
        } else if (r.step == 1 && settled && !game->IsPanelShown(-1) && now >= arrived + 2000) {
            ++r.step;
        } else if (r.step == 2 && game) {
            if (r.stopped == 0 && game->GetStopped() > 0) stoppedAt = now;
            if (stoppedAt && r.firstStop.rgb.empty() && now >= stoppedAt + 200) r.firstStop = StagePicture();
            r.stopped = game->GetStopped();
            r.hashes.push_back(StateHash(game));
            if (game->IsPanelShown(Arcade_Game::kResultsPanel)) {
                wonAt = now;
                r.tokensCaught = uint16_t(player->GetBadgeCount(kWorld, kArcade) - r.badgesBefore);
                Script(heldKey ? Key(0, "WM_KEYUP", heldKey) : "");
                ++r.step;
                return;
            }
            if (tick + 5 >= s.frames) {
                // The run ends: nothing stays held for the next one.
                Script(heldKey ? Key(0, "WM_KEYUP", heldKey) : "");
                heldKey = 0;
                return;
            }
            VFlat* vehicle = game->GetVehicle();
            if (!vehicle || game->IsPanelShown(-1)) return;
            const float viewLeft = game->GetScrollOffset().x;
            const float x = vehicle->GetPosition().x - viewLeft;
            // The nearest crook on the street not yet stopped.
            float target = 1e9f;
            for (int32_t i = 0; i < game->Crooks().Count(); ++i) {
                const Metro_Arcade_Crook* crook = game->Crooks().GetAt(i);
                const float cx = crook->GetPosition().x - viewLeft;
                if (crook->IsStopped() || crook->IsLanding() || !crook->IsVisible() || cx < 20 || cx > 620) continue;
                if (std::fabs(cx - x) < std::fabs(target - x)) target = cx;
            }
            int want = 0;
            if (target < 1e8f && target - x > 10) want = kRight;
            else if (target < 1e8f && x - target > 10) want = kLeft;
            std::string keys;
            if (want != heldKey) {
                if (heldKey) keys += Key(0, "WM_KEYUP", heldKey);
                if (want) keys += Key(0, "WM_KEYDOWN", want);
                heldKey = want;
            }
            if (target < 1e8f && now >= tossed + 100 && !game->IsBurstRunning() && game->FireClock().HasElapsed()) {
                keys += Key(0, "WM_SYSKEYDOWN", kAlt) + Key(40, "WM_SYSKEYUP", kAlt);
                tossed = now;
                ++r.tosses;
            }
            if (!keys.empty()) Script(keys);
        } else if (r.step == 3 && now >= wonAt + 1500) {
            r.results = StagePicture();
            Click(210, 340); // button 0: back to the city
            ++r.step;
        } else if (r.step == 4 && id == GAMetropolis_Activity::kTown && now >= arrived + 1500) {
            ++r.step;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    return r;
}

TEST_F(CityArcadeScenarioTest, LeavingEarlyAtLevelTwoLowersTheLevelAndReturnsToTheCity) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").Counter(13, 1).WorldWord(kWorld, CPlayer::kLevels + kArcade, 2).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=19\n");

    uint32_t now = 0, arrived = 0;
    ChunkId shown = kNullChunkId;
    uint16_t countBefore = 0;
    std::string log;
    int step = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 20000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CTLVApp::Get()->GetPlayer()->Load(kBo);
            CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(kVehicle);
            CTLVApp::Get()->SetSaveSlot(kBo);
            countBefore = CTLVApp::Get()->GetPlayer()->GetActivityCount(kWorld, kArcade);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            arrived = now;
        }
        GAMetropolis_Activity* game = Current<GAMetropolis_Activity>();
        const bool settled = game && manager && !manager->IsSwitchPending() && now >= arrived + 800;
        if (step == 0 && settled && game->IsPanelShown(Arcade_Activity::kStartPanel)) {
            Script(Key(0, "WM_KEYDOWN", kEsc) + Key(60, "WM_KEYUP", kEsc));
            ++step;
        } else if (step == 1 && game && game->IsPanelShown(CTLVActivity::kPanelMenu) && now >= arrived + 1500) {
            log += "menu\n";
            Click(430, 305); // button 1: leave
            ++step;
        } else if (step == 2 && game && game->IsPanelShown(CTLVActivity::kPanelLeave)) {
            log += "leave question\n";
            Click(430, 340); // yes
            ++step;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(log, "{1, 0, 19}\nmenu\nleave question\n{1, 0, 17}\n");
    CPlayer saved;
    ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetActivityLevel(kWorld, kArcade), 1);
    EXPECT_EQ(saved.GetActivityCount(kWorld, kArcade), countBefore);
}

} // namespace
} // namespace vqt::test
