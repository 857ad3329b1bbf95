// The zoo race of the generated data played by the whole program, by the road race drivers:
// the winner steers to monkeys, clothes and flashlights and shines at every reload.
#include "game/minigames/race/GRZooActivity.h"
#include "game/shell/PBeam.h"
#include "tests/game/minigames/race/RoadRaceScenario.h"
#include "tools/synthetic/ZooRace.h"

namespace vqt::test {
namespace {

using Race = GRZoo_Activity;

class ZooRaceScenarioTest : public RoadRaceScenario<Race, zoo_race::kScreen> {
protected:
    /// The wide beam shining.
    bool BonusShotsShown(Race& race) override {
        PBeam* beam = race.GetBeam();
        return beam != nullptr && beam->IsVisible() && beam->GetState() >= Race::kWide;
    }
};

TEST_F(ZooRaceScenarioTest, TheWinnerShinesAtMonkeysOnTheWayAndReachesTheGate) {
    const RaceSeen seen = Play(true);
    ASSERT_TRUE(seen.started);
    EXPECT_GT(seen.finishModeAt, kRaceMs - 2 * kFrameMs) << "the race clock sets the finish";
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_GT(seen.score, 0) << "clothes picked up";
    EXPECT_TRUE(seen.introHeard) << "the intro lines are played over the intro panel";
    EXPECT_LT(seen.longestLineMs, kStuckLineMs) << "the message queue moves on while the race runs";
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/zoo_winner_lines.txt", seen.lines);
    ExpectMatchesGoldenImage("game/minigames/race/zoo_intro_panel.png", seen.intro);
    ExpectMatchesGoldenImage("game/minigames/race/zoo_end_panel.png", seen.end);
    ASSERT_FALSE(seen.bonusShots.rgb.empty()) << "the winner picks up a flashlight and shines wide";
    ExpectMatchesGoldenImage("game/minigames/race/zoo_wide_beam.png", seen.bonusShots);
    ASSERT_FALSE(seen.goal.rgb.empty());
    ExpectMatchesGoldenImage("game/minigames/race/zoo_goal_building.png", seen.goal);
}

TEST_F(ZooRaceScenarioTest, ADriverThatNeverShinesScoresNothingButStillEnds) {
    const RaceSeen seen = Play(false);
    ASSERT_TRUE(seen.started);
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_EQ(seen.score, 0);
    EXPECT_TRUE(seen.introHeard) << "the intro lines are played over the intro panel";
    EXPECT_LT(seen.longestLineMs, kStuckLineMs) << "the message queue moves on while the race runs";
    ExpectSaved(seen);
    EXPECT_EQ(seen.lines, "0\n1\n2\n3\n4\n5\n19\n") << "the intro and the closing line of a run without a score";
}

} // namespace
} // namespace vqt::test
