// The city arcade {1, 0, 19} on the generated game data: what the game's factory makes of it,
// and the whole program played by a bot that reads the game's state and acts only by scripted
// keys (the arrows, ALT released to toss) and clicks, until it wins and returns to the city;
// the record the save file then holds; the same play entered from the town by its way point;
// and leaving early at level 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/DeferredDelete.h"
#include "engine/data/PartFile.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/MetroArcadeBlocker.h"
#include "game/minigames/arcade/MetroArcadeCrook.h"
#include "game/shell/TLVFactory.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/game/minigames/arcade/ArcadeScenario.h"

namespace vqt::test {
namespace {

using namespace arcade_bot;

/// The city arcade played in vehicle 4; the arcade driver keeps under the crooks on the
/// street and tosses at them.
const ArcadeBot<GAMetropolis_Activity> kCityBot{
    .entry = 19,
    .world = 2,
    .vehicle = 4,
    .firstScoreShotMs = 200,
    .score = [](GAMetropolis_Activity& game) { return game.GetStopped(); },
    .hash =
        [](GAMetropolis_Activity& game) {
            // The view, the vehicle, the crooks, the canisters.
            StateHash h;
            h.MixViewAndVehicle(game);
            h.Mix(game.GetStopped()), h.Mix(game.GetCrooksLeft()), h.Mix(game.GetTokensLeft()), h.Mix(game.Canisters().Count());
            for (int32_t i = 0; i < game.Crooks().Count(); ++i) {
                const Metro_Arcade_Crook* crook = game.Crooks().GetAt(i);
                h.Mix(crook->GetPosition().x), h.Mix(crook->GetPosition().y), h.Mix(crook->GetBehaviourState());
            }
            return h.Value();
        },
};

class CityArcadeScenarioTest : public ArcadeScenarioTest<GAMetropolis_Activity> {
protected:
    CityArcadeScenarioTest() : ArcadeScenarioTest(kCityBot) {}
};

TEST_F(CityArcadeScenarioTest, TheFactoryFilesTheGeneratedStreetAndItsBlockers) {
    AllowScreenWithoutTheGame();
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

TEST_F(CityArcadeScenarioTest, TheGeneratedFileHoldsEveryChunkTheCityArcadeNames) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    const struct {
        uint8_t index;
        std::vector<uint16_t> entries;
    } named[] = {
        {1, {19, 17}},
        {7, {151}},
        // Vehicles, token, overlays, canisters, crooks, icons, panels.
        {2, {493, 494, 826, 1142, 1143, 675, 676, 740, 741, 283, 54, 1128, 1033, 951, 1094, 349, 9, 1147}},
        // Sirens and engines, canister, token, panel sounds, then the voices.
        {7, {58, 37, 41, 108, 779, 96, 582, 574, 570, 801, 802, 803, 804, 805, 806, 808, 810, 811, 812, 966, 967, 968}},
        {17, {43, 95, 101, 34, 4, 249}},
    };
    for (const auto& n : named)
        for (const uint16_t entry : n.entries)
            EXPECT_TRUE(file.ChunkExists(MakeChunkId(n.index, entry))) << "{" << int(n.index) << ", 0, " << entry << "}";
}

TEST_F(CityArcadeScenarioTest, ABotStopsTwentyCrooksAtLevelOneAndTheRecordIsSaved) {
    ExpectWonAndSaved(PlayBot(), 20, "city_arcade", "first_stop");
}

TEST_F(CityArcadeScenarioTest, EnteredFromTheCitysWayPointByYesTheBotWinsAndTheCityHoldsTheVehicleWhereItStood) {
    // The results 2500 ms after the last stop; badges from 149 stop at 150.
    ExpectWonFromTown(PlayBot(300000, true), 20, 2500);
}

TEST_F(CityArcadeScenarioTest, PlayingAgainAfterTheWinBringsTheGameBackAtLevelTwo) {
    ExpectPlayedAgain(PlayBot(300000, false, true));
}

TEST_F(CityArcadeScenarioTest, TwoRunsOfTheBotGiveTheSameStateAtEveryFrame) { ExpectTwoRunsAlike(); }

TEST_F(CityArcadeScenarioTest, LeavingEarlyAtLevelTwoLowersTheLevelAndReturnsToTheCity) {
    ExpectLeavingEarlyLowersTheLevel("{1, 0, 19}\nmenu\nleave question\n{1, 0, 17}\n");
}

} // namespace
} // namespace vqt::test
