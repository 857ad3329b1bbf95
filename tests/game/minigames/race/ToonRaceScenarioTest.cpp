// The circus race of the generated data played by the whole program, by the road race drivers.
#include "game/minigames/race/GRToonActivity.h"
#include "tests/game/minigames/race/RoadRaceScenario.h"
#include "tools/synthetic/CircusRace.h"

namespace vqt::test {
namespace {

using Race = GRToon_Activity;

bool Good(int32_t kind) { return kind == Race::kFire || kind == Race::kBadge || kind == Race::kFireworks; }

class ToonRaceScenarioTest : public RoadRaceScenario<Race, circus_race::kScreen, Good> {};

TEST_F(ToonRaceScenarioTest, TheWinnerSpraysFiresOnTheWayAndEarnsAHeroPoint) {
    const RaceSeen seen = Play(true);
    ASSERT_TRUE(seen.started);
    EXPECT_GT(seen.finishModeAt, kRaceMs - 2 * kFrameMs) << "the race clock sets the finish";
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_GT(seen.score, 0) << "fires put out";
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/toon_winner_lines.txt", seen.lines);
    ExpectMatchesGoldenImage("game/minigames/race/toon_intro_panel.png", seen.intro);
    ExpectMatchesGoldenImage("game/minigames/race/toon_end_panel.png", seen.end);
}

TEST_F(ToonRaceScenarioTest, ADriverThatNeverSpraysScoresNothingButStillEnds) {
    const RaceSeen seen = Play(false);
    ASSERT_TRUE(seen.started);
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_EQ(seen.score, 0);
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/toon_idle_lines.txt", seen.lines);
}

} // namespace
} // namespace vqt::test
