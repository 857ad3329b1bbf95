// The zoo arcade {1, 0, 16} on the generated game data: what the game's factory makes of it,
// and the whole program played by a bot that reads the game's state and acts only by scripted
// keys (the arrows, ALT released to shine) and clicks, until it wins and returns to the zoo;
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
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/PBeam.h"
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
constexpr int kWorld = 1, kArcade = 3;
constexpr uint16_t kVehicle = 2;

/// What a bot's run saw.
struct BotRun {
    int step = 0;
    int shines = 0;
    int vehicle = -1;
    uint16_t caught = 0, tokensCaught = 0, badgesBefore = 0, heroBefore = 0, countBefore = 0;
    std::string log;
    /// A hash of the game's state at every frame of play.
    std::vector<uint64_t> hashes;
    /// Every line queued while the game ran, in order: its voice entry and its caption bytes.
    std::string spoken;
    /// The stage with the start panel, a moment after the first catch, and with the results.
    RgbImage startPanel, firstCatch, results;
};

/// The game's state folded into a hash: the view, the vehicle, the beam, the monkeys, the items.
uint64_t StateHash(GAZoo_Activity* game) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](double v) {
        h ^= uint64_t(int64_t(std::llround(v * 1000.0)));
        h *= 1099511628211ull;
    };
    mix(game->GetScrollOffset().x);
    if (VFlat* vehicle = game->GetVehicle()) mix(vehicle->GetPosition().x), mix(vehicle->GetVelocity().x);
    mix(game->GetBeam() && game->GetBeam()->IsVisible());
    mix(game->GetCaught()), mix(game->GetItemsLeft()), mix(game->GetTokensLeft()), mix(game->GetCurrentVine());
    for (int32_t i = 0; i < game->ActiveMonkeys().Count(); ++i) {
        const Zoo_Arcade_Monkey* monkey = game->ActiveMonkeys().GetAt(i);
        mix(monkey->GetPosition().x), mix(monkey->GetPosition().y), mix(monkey->GetBehaviourState());
    }
    for (int32_t i = 0; i < game->LiveItems().Count(); ++i) mix(game->LiveItems().GetAt(i)->GetPosition().y);
    return h;
}

class ZooArcadeScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xArcade_RegisterClasses();
    }
    /// Bo at level 1 in the zoo's first vehicle, started in the arcade: the bot closes the start
    /// panel with a click on its instructions, then drives under the lowest falling item, or
    /// else under the nearest monkey still holding its piece and shines it with ALT, until the
    /// results panel shows; then button 0.
    BotRun PlayBot(uint32_t runMs = 300000);
};

TEST_F(ZooArcadeScenarioTest, TheFactoryFilesTheGeneratedJungleVinesAndLeaves) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    {
        OActivityManager manager;
        manager.Init(&file);
        manager.AddFactory(new CTLVFactory);
        const ChunkId id = MakeChunkId(1, 16);
        ASSERT_TRUE(manager.LoadActivity(&file, &id));
        ASSERT_TRUE(manager.AttachObjects(true));
        auto* game = dynamic_cast<GAZoo_Activity*>(manager.GetPendingActivity());
        ASSERT_NE(game, nullptr);
        ASSERT_EQ(game->Vines().Count(), 20);
        for (int32_t i = 0; i < game->Vines().Count(); ++i) EXPECT_EQ(game->Vines().GetAt(i)->GetObjectId(), uint32_t(i + 1));
        EXPECT_EQ(game->Leaves().Count(), 12);
        int filed = 0;
        for (int32_t g = 0; g < 6; ++g) filed += game->GroupList(g).Count();
        EXPECT_EQ(filed, 8 + 20 + 20 + 12 + 8) << "trees, ropes, vines, leaves and bushes";
        EXPECT_EQ(game->GetStartSpeed(5), 40);
        manager.SwapInPending();
    }
    DeleteAllDeferred();
}

TEST_F(ZooArcadeScenarioTest, ABotCatchesTenItemsAtLevelOneAndTheRecordIsSaved) {
    const BotRun r = PlayBot();
    ASSERT_GE(r.step, 3) << "caught: " << r.caught << ", shines: " << r.shines << "\n" << r.log;
    EXPECT_EQ(r.vehicle, kVehicle);
    EXPECT_EQ(r.caught, 10);
    EXPECT_GE(r.step, 5) << r.log;
    CPlayer saved;
    ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetActivityCount(kWorld, kArcade), r.countBefore + 1);
    EXPECT_EQ(saved.GetActivityLevel(kWorld, kArcade), 2);
    EXPECT_EQ(saved.GetHeroPoints(kWorld), r.heroBefore + 1);
    EXPECT_EQ(saved.GetBadgeCount(kWorld, kArcade), r.badgesBefore + r.tokensCaught);
    ExpectMatchesGolden("game/minigames/zoo_arcade_lines.txt", r.spoken);
    ExpectMatchesGoldenImage("game/minigames/zoo_arcade_start.png", r.startPanel);
    ExpectMatchesGoldenImage("game/minigames/zoo_arcade_first_catch.png", r.firstCatch);
    ExpectMatchesGoldenImage("game/minigames/zoo_arcade_results.png", r.results);
}

TEST_F(ZooArcadeScenarioTest, TwoRunsOfTheBotGiveTheSameStateAtEveryFrame) {
    // The first 20 seconds of each run.
    const BotRun first = PlayBot(20000);
    RenewContext();
    xWorld_RegisterClasses();
    xArcade_RegisterClasses();
    const BotRun second = PlayBot(20000);
    ASSERT_GT(first.hashes.size(), 100u);
    EXPECT_EQ(first.hashes, second.hashes);
}

BotRun ZooArcadeScenarioTest::PlayBot(uint32_t runMs) {
    std::srand(1); // the fixed seed of every run

    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    // Bo at level 1 of the zoo arcade.
    records[kBo] = StoredRecord("Bo").Counter(13, 1).WorldWord(kWorld, CPlayer::kLevels + kArcade, 1).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=16\n");

    BotRun r;
    uint32_t now = 0, arrived = 0, shone = 0, wonAt = 0, caughtAt = 0;
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
        GAZoo_Activity* game = Current<GAZoo_Activity>();
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
            if (r.caught == 0 && game->GetCaught() > 0) caughtAt = now;
            if (caughtAt && r.firstCatch.rgb.empty() && now >= caughtAt + 200) r.firstCatch = StagePicture();
            r.caught = game->GetCaught();
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
            // The lowest falling item or token, else the nearest monkey that still holds its piece.
            float target = 1e9f, lowest = -1e9f;
            auto consider = [&](const OActivityProp* thing) {
                if (!thing->IsVisible() || thing->GetPosition().y <= lowest) return;
                lowest = thing->GetPosition().y;
                target = thing->GetPosition().x - viewLeft;
            };
            for (int32_t i = 0; i < game->LiveItems().Count(); ++i) consider(game->LiveItems().GetAt(i));
            for (int32_t i = 0; i < game->LiveTokens().Count(); ++i) consider(game->LiveTokens().GetAt(i));
            const bool chasing = target < 1e8f;
            if (!chasing) {
                for (int32_t i = 0; i < game->ActiveMonkeys().Count(); ++i) {
                    const Zoo_Arcade_Monkey* monkey = game->ActiveMonkeys().GetAt(i);
                    const float mx = monkey->GetPosition().x - viewLeft;
                    if (monkey->IsHit() || !monkey->IsVisible() || mx < 80 || mx > 600) continue;
                    if (std::fabs(mx - x) < std::fabs(target - x)) target = mx;
                }
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
            if (!chasing && target < 1e8f && std::fabs(target - x) <= 20 && now >= shone + 200 &&
                game->FireClock().HasElapsed()) {
                keys += Key(0, "WM_SYSKEYDOWN", kAlt) + Key(40, "WM_SYSKEYUP", kAlt);
                shone = now;
                ++r.shines;
            }
            if (!keys.empty()) Script(keys);
        } else if (r.step == 3 && now >= wonAt + 1500) {
            r.results = StagePicture();
            Click(210, 340); // button 0: back to the zoo
            ++r.step;
        } else if (r.step == 4 && id == GAZoo_Activity::kTown && now >= arrived + 1500) {
            ++r.step;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    return r;
}

TEST_F(ZooArcadeScenarioTest, LeavingEarlyAtLevelTwoLowersTheLevelAndReturnsToTheZoo) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").Counter(13, 1).WorldWord(kWorld, CPlayer::kLevels + kArcade, 2).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=16\n");

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
        GAZoo_Activity* game = Current<GAZoo_Activity>();
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
    EXPECT_EQ(log, "{1, 0, 16}\nmenu\nleave question\n{1, 0, 14}\n");
    CPlayer saved;
    ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetActivityLevel(kWorld, kArcade), 1);
    EXPECT_EQ(saved.GetActivityCount(kWorld, kArcade), countBefore);
}

} // namespace
} // namespace vqt::test
