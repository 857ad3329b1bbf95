// The whole game played by the game bot on the generated data: a new player, Ann, signs in,
// picks the circus town's vehicle in the garage, closes the drive tutorial and enters the
// town's four games from their way points, winning each; the saved record after the run. Then
// the circus's leg to its end: the two tasks (the fires put out over time, the puppies brought
// home), the mission, the certificate and its print, and the save file the zoo's leg starts
// from.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/game/playthrough/MaskedSave.h"
#include "tests/game/playthrough/PlayThroughFixture.h"
#include "tests/support/Golden.h"
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

/// The beginnings of the circus certificate's ceremony lines, in the order they play.
const std::vector<std::string> kCircusCeremony = {
    "Way to go Fennmark hero!", "We\x92ve got the Head of the Fire Department here", "Fennmark hero, you saved the city",
    "Job well done.", "For this I award you and promote you to the highest rank of Fire Chief.",
    "I am also upgrading your emergency vehicle", "We salute you!"};

TEST_F(GamePlayThroughTest, AfterTheGamesAnnPutsOutTheCircusFiresBringsThePuppiesHomeAndEndsTheRoundWithTheMission) {
    const PlayThrough played = Play({CircusLeg()}, 2100);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // A new player's twenty fires (fourteen on the roads, six running characters) and ten
    // puppies: the fires go out one by one (a count at each change) once the games are won, the
    // characters after them; then the puppies, led home in chains. The mission's ten fires, each
    // lit again once, follow; then the certificate and the garage.
    ExpectMatchesGolden("game/playthrough/circus_leg_route.log", played.log);
    ExpectMatchesGolden("game/playthrough/circus_leg_tasks.log", played.tasks);
    EXPECT_NE(played.tasks.find(": world 0: 0, 10\n"), std::string::npos) << played.tasks;
    EXPECT_NE(played.tasks.find(": world 0: 0, 0\n"), std::string::npos) << played.tasks;

    ExpectRoundEnded(played, "circus", kCircusWorld, 13, kCircusCeremony);
    // The save the zoo's leg starts from.
    ExpectMatchesGolden("game/playthrough/after_circus.vqk", MaskedSave(ReadFileBytes(work / "TLVSave.vqk")));
}

} // namespace
} // namespace vqt::test
