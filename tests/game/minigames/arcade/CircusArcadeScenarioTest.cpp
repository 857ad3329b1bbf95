// The circus arcade {1, 0, 15} on the generated game data: what the game's factory makes of
// it, and the whole program played by a bot that reads the game's state and acts only by
// scripted keys (the arrows, ALT released to spray) and clicks, until it wins and returns to
// the town; the record the save file then holds.
#include <gtest/gtest.h>

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

namespace vqt::test {
namespace {

using namespace arcade_bot;

/// The circus arcade played in the record's vehicle (the fire engine); the arcade driver
/// steers under the waiting characters and sprays them.
const ArcadeBot<GAToon_Activity> kCircusBot{
    .entry = 15,
    .world = 0,
    .vehicle = -1,
    .firstScoreShotMs = 0,
    .score = [](GAToon_Activity& game) { return game.GetMatches(); },
    .hash =
        [](GAToon_Activity& game) {
            // The view, the vehicle, the match state, the drops.
            StateHash h;
            h.MixViewAndVehicle(game);
            h.Mix(game.GetMatches()), h.Mix(game.GetWaitingKind()), h.Mix(game.Drops().Count()), h.Mix(game.GetTokensLeft());
            for (int32_t i = 0; i < game.Characters().Count(); ++i) h.Mix(game.Characters().GetAt(i)->IsActive() ? i : -1);
            return h.Value();
        },
};

class CircusArcadeScenarioTest : public ArcadeScenarioTest<GAToon_Activity> {
protected:
    CircusArcadeScenarioTest() : ArcadeScenarioTest(kCircusBot) {}
};

TEST_F(CircusArcadeScenarioTest, TheFactoryFilesTheGeneratedArcadesItemsCharactersAndMarkers) {
    AllowScreenWithoutTheGame();
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

TEST_F(CircusArcadeScenarioTest, ABotWinsTenMatchesAtLevelOneAndTheRecordIsSaved) {
    ExpectWonAndSaved(PlayBot(), 10, "circus_arcade", "first_match");
}

TEST_F(CircusArcadeScenarioTest, TwoRunsOfTheBotGiveTheSameStateAtEveryFrame) { ExpectTwoRunsAlike(); }

TEST_F(CircusArcadeScenarioTest, ADriverThatPlayedOneRunPlaysTheNextOneAlike) { ExpectTwoRunsAlike(true); }

TEST_F(CircusArcadeScenarioTest, LeavingEarlyAtLevelTwoLowersTheLevelAndReturnsToTheTown) {
    ExpectLeavingEarlyLowersTheLevel("{1, 0, 15}\nmenu\nleave question\n{1, 0, 8}\n");
}

} // namespace
} // namespace vqt::test
