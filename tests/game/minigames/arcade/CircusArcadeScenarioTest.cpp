// The circus arcade {1, 0, 15} on the generated game data: what the game's factory makes of
// it, and the whole program played by a bot that reads the game's state and acts only by
// scripted keys (the arrows, ALT released to spray) and clicks, until it wins and returns to
// the town; the record the save file then holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Snippet.h"
#include "game/minigames/arcade/ArcadeClasses.h"
#include "game/minigames/arcade/ArcadeColumnMarker.h"
#include "game/minigames/arcade/GAToonActivity.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "game/world/WorldClasses.h"
#include "game/world/vehicles/VFlat.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/game/minigames/arcade/ArcadeScenario.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr int16_t kBo = 3;
constexpr uint32_t kFrameMs = 20;
constexpr int kWorld = 0, kArcade = 3;

using namespace arcade_bot;

GAToon_Activity* CurrentArcade() { return Current<GAToon_Activity>(); }

/// What a bot's run saw.
struct BotRun {
    int step = 0;
    int sprays = 0;
    uint16_t matches = 0, tokensCaught = 0, badgesBefore = 0, heroBefore = 0, countBefore = 0;
    std::string log;
    /// A hash of the game's state at every frame of play.
    std::vector<uint64_t> hashes;
    /// Every line queued while the game ran, in order: its voice entry and its caption bytes.
    std::string spoken;
    /// The stage with the start panel, a moment after the first match, and with the results.
    RgbImage startPanel, firstMatch, results;
};

class CircusArcadeScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xArcade_RegisterClasses();
    }
    /// Bo at level 1 in the fire engine, started in the arcade: the bot closes the start panel
    /// with a click on its instructions, then steers under the nearest waiting character of the
    /// kind the box asks for and sprays with ALT, until the results panel shows; then button 0.
    BotRun PlayBot(uint32_t runMs = 300000);
};

TEST_F(CircusArcadeScenarioTest, TheFactoryFilesTheGeneratedArcadesItemsCharactersAndMarkers) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    {
        OActivityManager manager;
        manager.Init(&file);
        manager.AddFactory(new CTLVFactory);
        const ChunkId id = MakeChunkId(1, 15);
        ASSERT_TRUE(manager.LoadActivity(&file, &id));
        ASSERT_TRUE(manager.AttachObjects(true));
        auto* game = dynamic_cast<GAToon_Activity*>(manager.GetPendingActivity());
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(game->Characters().Count(), 32);
        EXPECT_EQ(game->Markers().Count(), 8);
        int filed = 0;
        for (int32_t g = 0; g < 6; ++g) {
            EXPECT_GT(game->GroupList(g).Count(), 0) << "group " << g;
            filed += game->GroupList(g).Count();
        }
        EXPECT_EQ(filed, 6 + 8 + 6 + 40) << "clouds, flames, posts, markers and characters";
        EXPECT_EQ(game->GetStartSpeed(0), -30);
        EXPECT_EQ(game->GetEndSpeed(4), 30);
        for (int32_t i = 0; i < game->Characters().Count(); ++i) {
            const Toon_Arcade_Clown* character = game->Characters().GetAt(i);
            EXPECT_EQ(character->GetKind(), i % 4);
            EXPECT_EQ(character->GetColumn(), i / 4);
        }
        manager.SwapInPending();
    }
    DeleteAllDeferred();
}

/// The game's state folded into a hash: the view, the vehicle, the match state, the drops.
uint64_t StateHash(GAToon_Activity* game) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](double v) {
        h ^= uint64_t(int64_t(std::llround(v * 1000.0)));
        h *= 1099511628211ull;
    };
    mix(game->GetScrollOffset().x);
    if (VFlat* vehicle = game->GetVehicle()) mix(vehicle->GetPosition().x), mix(vehicle->GetVelocity().x);
    mix(game->GetMatches()), mix(game->GetWaitingKind()), mix(game->Drops().Count()), mix(game->GetTokensLeft());
    for (int32_t i = 0; i < game->Characters().Count(); ++i) mix(game->Characters().GetAt(i)->IsActive() ? i : -1);
    return h;
}

TEST_F(CircusArcadeScenarioTest, ABotWinsTenMatchesAtLevelOneAndTheRecordIsSaved) {
    const BotRun r = PlayBot();
    ASSERT_GE(r.step, 3) << "matches made: " << r.matches << ", sprays: " << r.sprays << "\n" << r.log;
    EXPECT_EQ(r.matches, 10);
    EXPECT_GE(r.step, 5) << r.log;
    CPlayer saved;
    ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetActivityCount(kWorld, kArcade), r.countBefore + 1);
    EXPECT_EQ(saved.GetActivityLevel(kWorld, kArcade), 2);
    EXPECT_EQ(saved.GetHeroPoints(kWorld), r.heroBefore + 1);
    EXPECT_EQ(saved.GetBadgeCount(kWorld, kArcade), r.badgesBefore + r.tokensCaught);
    ExpectMatchesGolden("game/minigames/circus_arcade_lines.txt", r.spoken);
    ExpectMatchesGoldenImage("game/minigames/circus_arcade_start.png", r.startPanel);
    ExpectMatchesGoldenImage("game/minigames/circus_arcade_first_match.png", r.firstMatch);
    ExpectMatchesGoldenImage("game/minigames/circus_arcade_results.png", r.results);
}

TEST_F(CircusArcadeScenarioTest, TwoRunsOfTheBotGiveTheSameStateAtEveryFrame) {
    // The first 20 seconds of each run.
    const BotRun first = PlayBot(20000);
    RenewContext();
    xWorld_RegisterClasses();
    xArcade_RegisterClasses();
    const BotRun second = PlayBot(20000);
    ASSERT_GT(first.hashes.size(), 100u);
    EXPECT_EQ(first.hashes, second.hashes);
}

BotRun CircusArcadeScenarioTest::PlayBot(uint32_t runMs) {
    std::srand(1); // the fixed seed of every run

    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    // Bo at level 1 of the circus arcade, in the fire engine.
    records[kBo] = StoredRecord("Bo").Counter(13, 1).WorldWord(kWorld, CPlayer::kLevels + kArcade, 1).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=15\n");

    BotRun r;
    uint32_t now = 0, arrived = 0, sprayed = 0;
    ChunkId shown = kNullChunkId;
    int& step = r.step;
    int heldKey = 0;
    int& sprays = r.sprays;
    uint16_t& matches = r.matches;
    uint16_t& tokensCaught = r.tokensCaught;
    uint16_t& badgesBefore = r.badgesBefore;
    uint16_t& heroBefore = r.heroBefore;
    uint16_t& countBefore = r.countBefore;
    uint32_t wonAt = 0;
    std::string& log = r.log;
    std::vector<const OMessageRecord*> queued;
    Scenario s = Game(kFrameMs);
    s.frames = runMs / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        if (tick == 1) {
            player->Load(kBo);
            CTLVApp::Get()->SetSaveSlot(kBo);
            badgesBefore = player->GetBadgeCount(kWorld, kArcade);
            heroBefore = player->GetHeroPoints(kWorld);
            countBefore = player->GetActivityCount(kWorld, kArcade);
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            arrived = now;
        }
        GAToon_Activity* game = CurrentArcade();
        if (game) NoteSpokenLines(queued, r.spoken);
        const bool settled = game && manager && !manager->IsSwitchPending() && now >= arrived + 800;
        if (step == 0 && settled && now >= arrived + 1500 && game->IsPanelShown(Arcade_Activity::kStartPanel)) {
            r.startPanel = StagePicture();
            // A click on the instructions closes the start panel and play runs.
            Click(320, 347);
            ++step;
        } else if (step == 1 && settled && !game->IsPanelShown(-1) && now >= arrived + 2000) {
            ++step;
        } else if (step == 2 && game) {
            if (matches == 0 && game->GetMatches() == 1) {
                r.firstMatch = StagePicture();
            }
            matches = game->GetMatches();
            r.hashes.push_back(StateHash(game));
            if (game->IsPanelShown(GAToon_Activity::kResultsPanel)) {
                wonAt = now;
                tokensCaught = uint16_t(player->GetBadgeCount(kWorld, kArcade) - badgesBefore);
                Script(heldKey ? Key(0, "WM_KEYUP", heldKey) : "");
                ++step;
                return;
            }
            VFlat* vehicle = game->GetVehicle();
            if (!vehicle || game->IsPanelShown(-1)) return;
            const float viewLeft = game->GetScrollOffset().x;
            const float x = vehicle->GetPosition().x - viewLeft;
            // The nearest character that waits, of the kind the box asks for when one waits.
            float best = 1e9f;
            for (int32_t i = 0; i < game->Characters().Count(); ++i) {
                Toon_Arcade_Clown* c = game->Characters().GetAt(i);
                const int32_t state = c->GetState();
                if (!c->IsActive() || (state != 0 && state != 1)) continue;
                if (game->GetWaitingKind() != -1 && c->GetKind() != game->GetWaitingKind() && game->GetHeldCharacter()) continue;
                const float cx = c->GetPosition().x - viewLeft;
                if (cx < 40 || cx > 600) continue;
                if (std::fabs(cx - x) < std::fabs(best - x)) best = cx;
            }
            int want = 0;
            if (best < 1e8f && best - x > 12) want = kRight;
            else if (best < 1e8f && x - best > 12) want = kLeft;
            std::string keys;
            if (want != heldKey) {
                if (heldKey) keys += Key(0, "WM_KEYUP", heldKey);
                if (want) keys += Key(0, "WM_KEYDOWN", want);
                heldKey = want;
            }
            if (best < 1e8f && std::fabs(best - x) <= 12 && now >= sprayed + 200 && !game->IsSprayRunning()) {
                keys += Key(0, "WM_SYSKEYDOWN", kAlt) + Key(40, "WM_SYSKEYUP", kAlt);
                sprayed = now;
                ++sprays;
            }
            if (!keys.empty()) Script(keys);
        } else if (step == 3 && now >= wonAt + 1500) {
            r.results = StagePicture();
            Click(210, 340); // button 0: back to the town
            ++step;
        } else if (step == 4 && id == MakeChunkId(1, 8) && now >= arrived + 1500) {
            ++step;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    return r;
}

TEST_F(CircusArcadeScenarioTest, LeavingEarlyAtLevelTwoLowersTheLevelAndReturnsToTheTown) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").Counter(13, 1).WorldWord(kWorld, CPlayer::kLevels + kArcade, 2).bytes();
    PutSave(records);
    Ini("STARTACTIVITY=15\n");

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
        GAToon_Activity* game = CurrentArcade();
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
    EXPECT_EQ(log, "{1, 0, 15}\nmenu\nleave question\n{1, 0, 8}\n");
    CPlayer saved;
    ASSERT_EQ(saved.Load(kBo), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetActivityLevel(kWorld, kArcade), 1);
    EXPECT_EQ(saved.GetActivityCount(kWorld, kArcade), countBefore);
}

} // namespace
} // namespace vqt::test
