// The whole game played by the game bot on the generated data: a new player, Ann, signs in,
// picks the circus town's vehicle in the garage, closes the drive tutorial and enters the
// town's four games from their way points, winning each; the saved record after the run. Then
// the town's two tasks: the fires put out over time, and the puppies brought home.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/game/playthrough/PlayThroughFixture.h"
#include "tests/support/bots/PlayThroughLegs.h"

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

TEST_F(GamePlayThroughTest, AfterTheGamesAnnPutsOutTheCircusFiresAndBringsThePuppiesHome) {
    const PlayThrough played = Play({CircusLeg()}, 1100);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // A new player's twenty fires (fourteen on the roads, six running characters) and ten
    // puppies: the fires go out one by one (a count at each change) once the games are won, the
    // characters after them; then the puppies, led home in chains.
    ExpectMatchesGolden("game/playthrough/circus_fires.log", played.tasks);
    EXPECT_NE(played.tasks.find(": world 0: 0, 10\n"), std::string::npos) << played.tasks;
    EXPECT_NE(played.tasks.find(": world 0: 0, 0\n"), std::string::npos) << played.tasks;
}

} // namespace
} // namespace vqt::test
