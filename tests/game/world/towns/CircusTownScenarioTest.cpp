// The circus town played by the bot on the generated game data, the whole program running: a
// prepared player with four fires left drives the roads to them and sprays them out, ending the
// fire task, and goes on to bring the puppies home and end the mission with the certificate and
// the garage; the spoken lines against golden logs and pictures on the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/Player.h"
#include "tests/game/world/towns/TownRoundScenario.h"

namespace vqt::test {
namespace {

constexpr int W = kCircusWorld;

using CircusTownScenarioTest = TownRoundScenarioTest;

TEST_F(CircusTownScenarioTest, CySpraysTheLastFiresOutAndTheSavedRecordShowsTheFireTaskDone) {
    const PlayedRound played = Play(CircusRound(), 130, 1);
    EXPECT_TRUE(played.boxes.empty()) << played.boxes.front().text;
    const CPlayer& record = *played.record;
    EXPECT_EQ(record.GetQuota1Left(W), 0);
    EXPECT_EQ(record.GetQuota2Left(W), 4) << "no puppy was brought home";
    EXPECT_EQ(record.GetQuota3Left(W), 3);
    EXPECT_EQ(record.GetActivityCount(W, 0), 1);
    EXPECT_EQ(record.GetActivityCount(W, 1), 0);
    EXPECT_EQ(record.GetHeroPoints(W), 3);
    EXPECT_EQ(record.GetCounter(13), 2);
    EXPECT_EQ(record.GetWorldWord34(W), 0);
    ExpectMatchesGolden("game/world/circus_town_fires_lines.txt", played.lines);
    for (const auto& [name, golden] : {std::pair{"arrival", "arrival"}, std::pair{"first task done", "fires_out"}}) {
        ASSERT_EQ(played.pictures.count(name), 1u) << name;
        ExpectMatchesGoldenImage(std::string("game/world/circus_town_") + golden + ".png", played.pictures.at(name));
    }
}

TEST_F(CircusTownScenarioTest, CyEndsTheRoundWithTheCertificateAndGoesBackToTheGarageWithTheUpgrade) {
    // The fires, a chain of puppies brought home, the mission's movie, fires and rescue.
    const PlayedRound played = Play(CircusRound(), 600, 1);
    EXPECT_TRUE(played.boxes.empty()) << played.boxes.front().text;
    const std::vector<ChunkId> route = {MakeChunkId(1, 4), MakeChunkId(1, 5), MakeChunkId(1, 8), MakeChunkId(1, 6), MakeChunkId(1, 5)};
    EXPECT_EQ(played.visited, route) << "sign-in, garage, town, certificate, garage";
    const CPlayer& record = *played.record;
    EXPECT_EQ(record.GetQuota1Left(W), 0);
    EXPECT_EQ(record.GetQuota2Left(W), 0) << "every puppy is home";
    EXPECT_EQ(record.GetQuota3Left(W), record.GetQuota3Max(W)) << "the third quota is refilled";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(record.GetActivityCount(W, i), 1) << "count " << i;
    EXPECT_EQ(record.GetHeroPoints(W), 5);
    EXPECT_EQ(record.GetCounter(13), 2);
    EXPECT_EQ(record.GetWorldWord31(W), 1) << "the mission is done";
    EXPECT_TRUE(played.upgradeOpen) << "the garage opens the upgrade";
    EXPECT_EQ(record.GetBadgeCount(W, 0), played.tokens.Count()) << "a badge for each token taken";
    EXPECT_EQ(played.missingChunks, "");
    EXPECT_EQ(played.switchInterrupts, "") << "the round's end asks for the certificate once";
    ExpectOnlySlotChanged(played, kCy);
    EXPECT_GE(record.GetWorldWord34(W), 0);
    EXPECT_LE(record.GetWorldWord34(W), 2) << "the mission played";
    ExpectMatchesGolden("game/world/circus_town_win_lines.txt", played.lines);
    for (const char* name : {"certificate", "garage", "movie", "rescue"}) {
        ASSERT_EQ(played.pictures.count(name), 1u) << name;
        ExpectMatchesGoldenImage(std::string("game/world/circus_town_win_") + name + ".png", played.pictures.at(name));
    }
}

TEST_F(CircusTownScenarioTest, TwoPlaysOfOneSeedGiveTheSameStateAtEveryFrame) {
    ExpectSamePlays(CircusRound(), 40, 3);
}

} // namespace
} // namespace vqt::test
