// The zoo arcade {1, 0, 16} on the generated game data: what the game's factory makes of it,
// and the whole program played by a bot that reads the game's state and acts only by scripted
// keys (the arrows, ALT released to shine) and clicks, until it wins and returns to the zoo;
// the record the save file then holds; the same play entered from the town by its way point;
// and leaving early at level 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "engine/data/PartFile.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/PBeam.h"
#include "game/shell/TLVFactory.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/game/minigames/arcade/ArcadeScenario.h"

namespace vqt::test {
namespace {

using namespace arcade_bot;

/// The zoo arcade played in vehicle 2; the arcade driver catches what falls and shines at the
/// monkeys still holding their pieces.
const ArcadeBot<GAZoo_Activity> kZooBot{
    .entry = 16,
    .world = 1,
    .vehicle = 2,
    .firstScoreShotMs = 200,
    .score = [](GAZoo_Activity& game) { return game.GetCaught(); },
    .hash =
        [](GAZoo_Activity& game) {
            // The view, the vehicle, the beam, the monkeys, the items.
            StateHash h;
            h.MixViewAndVehicle(game);
            h.Mix(game.GetBeam() && game.GetBeam()->IsVisible());
            h.Mix(game.GetCaught()), h.Mix(game.GetItemsLeft()), h.Mix(game.GetTokensLeft()), h.Mix(game.GetCurrentVine());
            for (int32_t i = 0; i < game.ActiveMonkeys().Count(); ++i) {
                const Zoo_Arcade_Monkey* monkey = game.ActiveMonkeys().GetAt(i);
                h.Mix(monkey->GetPosition().x), h.Mix(monkey->GetPosition().y), h.Mix(monkey->GetBehaviourState());
            }
            for (int32_t i = 0; i < game.LiveItems().Count(); ++i) h.Mix(game.LiveItems().GetAt(i)->GetPosition().y);
            return h.Value();
        },
};

class ZooArcadeScenarioTest : public ArcadeScenarioTest<GAZoo_Activity> {
protected:
    ZooArcadeScenarioTest() : ArcadeScenarioTest(kZooBot) {}
};

TEST_F(ZooArcadeScenarioTest, TheFactoryFilesTheGeneratedJungleVinesAndLeaves) {
    AllowScreenWithoutTheGame();
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

TEST_F(ZooArcadeScenarioTest, TheGeneratedFileHoldsEveryChunkTheZooArcadeNames) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    const struct {
        uint8_t index;
        std::vector<uint16_t> entries;
    } named[] = {
        {1, {16, 14}},
        {7, {581}},
        // Vehicles, token, monkey, spotlights, clothes, icons, panels.
        {2, {495, 496, 826, 602, 623, 223, 502, 504, 505, 506, 507, 897, 54, 1132, 724, 725, 1096}},
        // Sirens and engines, beams, landings, token, panel sounds, then the voices.
        {7, {16, 59, 50, 129, 130, 139, 132, 133, 134, 834, 96, 576, 574, 570,
             992, 837, 993, 994, 871, 872, 873, 1015, 1016, 876, 1017, 1004, 1005, 1006}},
        {17, {12, 99, 106, 21, 248}},
    };
    for (const auto& n : named)
        for (const uint16_t entry : n.entries)
            EXPECT_TRUE(file.ChunkExists(MakeChunkId(n.index, entry))) << "{" << int(n.index) << ", 0, " << entry << "}";
}

TEST_F(ZooArcadeScenarioTest, ABotCatchesTenItemsAtLevelOneAndTheRecordIsSaved) {
    ExpectWonAndSaved(PlayBot(), 10, "zoo_arcade", "first_catch");
}

TEST_F(ZooArcadeScenarioTest, EnteredFromTheZoosWayPointByYesTheBotWinsAndTheZooHoldsTheVehicleWhereItStood) {
    // The results at the last catch; badges from 149 stop at 150.
    ExpectWonFromTown(PlayBot(300000, true), 10, 0);
}

TEST_F(ZooArcadeScenarioTest, PlayingAgainAfterTheWinBringsTheGameBackAtLevelTwo) {
    ExpectPlayedAgain(PlayBot(300000, false, true));
}

TEST_F(ZooArcadeScenarioTest, TwoRunsOfTheBotGiveTheSameStateAtEveryFrame) { ExpectTwoRunsAlike(); }

TEST_F(ZooArcadeScenarioTest, LeavingEarlyAtLevelTwoLowersTheLevelAndReturnsToTheZoo) {
    ExpectLeavingEarlyLowersTheLevel("{1, 0, 16}\nmenu\nleave question\n{1, 0, 14}\n");
}

} // namespace
} // namespace vqt::test
