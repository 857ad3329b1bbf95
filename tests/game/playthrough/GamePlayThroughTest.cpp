// The whole game played by the game bot on the generated data: a new player, Ann, signs in,
// picks the circus town's vehicle in the garage, closes the drive tutorial and enters the
// town's four games from their way points, winning each; the saved record after the run. Then
// the town's fire task, the fires put out over time.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/game/playthrough/PlayThroughFixture.h"

namespace vqt::test {
namespace {

using GamePlayThroughTest = PlayThroughTest;

TEST_F(GamePlayThroughTest, AnnSignsInAndWinsTheCircusTownsFourGamesEnteredFromTheirWayPoints) {
    const PlayThrough played = Play({{0, CircusRoads(), CircusTasks()}}, 620);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // The sign-in, the garage, the town; then each game and back: the race, the puzzle, the
    // round-up and the arcade, as the way points lie nearest. The seed and the virtual clock
    // make every play the same, to the frame.
    ExpectMatchesGolden("game/playthrough/circus_games_route.log", played.log);
    const std::unique_ptr<CPlayer> saved = Saved();
    EXPECT_STREQ(saved->GetName(), "Ann");
    constexpr int W = kCircusWorld;
    for (int game = 3; game <= 6; ++game) {
        EXPECT_EQ(saved->GetActivityCount(W, game), 1) << "game " << game;
        EXPECT_EQ(saved->GetActivityLevel(W, game), 2) << "game " << game << " was won";
    }
    EXPECT_EQ(saved->GetHeroPoints(W), 4) << "a hero point a win";
}

TEST_F(GamePlayThroughTest, AfterTheGamesAnnSpraysTheCircusFiresOutComingAtEachFromAnotherSideWhenCircled) {
    TownBot::Task tasks = CircusTasks();
    // Two fires by the big top have their usual stand-off point in its sand: the vehicle would
    // circle them for ever.
    tasks.sideMs = 30000;
    const PlayThrough played = Play({{0, CircusRoads(), tasks}}, 800);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // A new player's twenty fires and ten puppies; the fires go out one by one (a count at each
    // change) once the games are won.
    ExpectMatchesGolden("game/playthrough/circus_fires.log", played.tasks);
    EXPECT_NE(played.tasks.find(": world 0: 13, 10"), std::string::npos) << played.tasks;
}

} // namespace
} // namespace vqt::test
