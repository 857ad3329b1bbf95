// The circus race of the generated data played by the whole program, by the road race drivers.
#include "game/minigames/race/GRToonActivity.h"
#include "tests/game/minigames/race/RoadRaceScenario.h"
#include "tools/synthetic/CircusRace.h"

namespace vqt::test {
namespace {

using Race = GRToon_Activity;

class ToonRaceScenarioTest : public RoadRaceScenario<Race, circus_race::kScreen> {
protected:
    /// A three-way volley a few sprays along. Fireworks are rare on the generated road: ten
    /// seconds into the race the driver is given their bonus, as if it had picked some up.
    bool BonusShotsShown(Race& race) override {
        if (++framesRun_ == kBonusFrame && !race.IsBonusClockRunning()) race.StartBonusClock(0);
        return race.IsBurstThreeWay() && race.GetBurstShotsLeft() == Race::kMoreShots - 3;
    }
    static constexpr int kBonusFrame = 10000 / int(kFrameMs);
    int framesRun_ = 0;
};

TEST_F(ToonRaceScenarioTest, TheWinnerSpraysFiresOnTheWayAndEarnsAHeroPoint) {
    const RaceSeen seen = Play(true);
    ASSERT_TRUE(seen.started);
    EXPECT_GT(seen.finishModeAt, kRaceMs - 2 * kFrameMs) << "the race clock sets the finish";
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_GT(seen.score, 0) << "fires put out";
    EXPECT_TRUE(seen.introHeard) << "the intro lines are played over the intro panel";
    EXPECT_LT(seen.longestLineMs, kStuckLineMs) << "the message queue moves on while the race runs";
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/toon_winner_lines.txt", seen.lines);
    ExpectMatchesGoldenImage("game/minigames/race/toon_intro_panel.png", seen.intro);
    ExpectMatchesGoldenImage("game/minigames/race/toon_end_panel.png", seen.end);
    ASSERT_FALSE(seen.bonusShots.rgb.empty()) << "the winner sprays three ways under the bonus";
    ExpectMatchesGoldenImage("game/minigames/race/toon_three_way_volley.png", seen.bonusShots);
    ASSERT_FALSE(seen.goal.rgb.empty()) << "the goal building comes into view";
    ExpectMatchesGoldenImage("game/minigames/race/toon_goal_building.png", seen.goal);
}

TEST_F(ToonRaceScenarioTest, ADriverThatNeverSpraysScoresNothingButStillEnds) {
    const RaceSeen seen = Play(false);
    ASSERT_TRUE(seen.started);
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_EQ(seen.score, 0);
    EXPECT_TRUE(seen.introHeard) << "the intro lines are played over the intro panel";
    EXPECT_LT(seen.longestLineMs, kStuckLineMs) << "the message queue moves on while the race runs";
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/toon_idle_lines.txt", seen.lines);
}

} // namespace
} // namespace vqt::test
