// The city race of the generated data played by the whole program, by the road race drivers:
// the winner steers to crook junk, crooks, loot, tokens and power-ups and throws at every
// reload, so that it gasses junk, then the crooks that come out, and drives over their loot.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/data/PartFile.h"
#include "game/minigames/race/GRMetropolisActivity.h"
#include "tests/game/minigames/race/RoadRaceScenario.h"
#include "tools/synthetic/CityRace.h"

namespace vqt::test {
namespace {

using Race = GRMetropolis_Activity;

/// FNV-1a over the picture's size and pixels, in hex.
std::string HashOf(const RgbImage& image) {
    uint64_t h = 14695981039346656037ull;
    auto mix = [&h](uint8_t byte) { h = (h ^ byte) * 1099511628211ull; };
    for (int side : {image.width, image.height})
        for (int shift = 0; shift < 32; shift += 8) mix(uint8_t(uint32_t(side) >> shift));
    for (uint8_t byte : image.rgb) mix(byte);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

class CityRaceScenarioTest : public RoadRaceScenario<Race, city_race::kScreen> {
protected:
    /// A three-way volley a few canisters along (the winner takes the road's power-ups).
    bool BonusShotsShown(Race& race) override {
        return race.IsBurstThreeWay() && race.GetBurstShotsLeft() == Race::kMoreShots - 3;
    }
};

TEST_F(CityRaceScenarioTest, TheWinnerGassesJunkThenCrooksTakesTheLootAndEarnsAHeroPoint) {
    const RaceSeen seen = Play(true);
    ASSERT_TRUE(seen.started);
    EXPECT_GT(seen.finishModeAt, kRaceMs - 2 * kFrameMs) << "the race clock sets the finish";
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_GT(seen.score, 0) << "loot taken";
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/city_winner_lines.txt", seen.lines);
    ExpectMatchesGoldenImage("game/minigames/race/city_intro_panel.png", seen.intro);
    ASSERT_FALSE(seen.bonusShots.rgb.empty()) << "a power-up taken and a three-way volley thrown";
    ExpectMatchesGoldenImage("game/minigames/race/city_three_way_volley.png", seen.bonusShots);
    ASSERT_FALSE(seen.goal.rgb.empty());
    ExpectMatchesGoldenImage("game/minigames/race/city_goal_building.png", seen.goal);
    ExpectMatchesGoldenImage("game/minigames/race/city_end_panel.png", seen.end);

    // The same seed plays the same race: the pictures' hashes are kept beside the pictures.
    std::string hashes;
    for (const RgbImage* picture : {&seen.intro, &seen.bonusShots, &seen.goal, &seen.end}) hashes += HashOf(*picture) + "\n";
    ExpectMatchesGolden("game/minigames/race/city_winner_hashes.txt", hashes);
}

TEST_F(CityRaceScenarioTest, ADriverThatNeverThrowsScoresNothingButStillEnds) {
    const RaceSeen seen = Play(false);
    ASSERT_TRUE(seen.started);
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt, kRaceMs + kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_EQ(seen.score, 0);
    ExpectSaved(seen);
    ExpectMatchesGolden("game/minigames/race/city_idle_lines.txt", seen.lines);
}

TEST_F(CityRaceScenarioTest, TheGeneratedDataHoldsEveryPictureSoundAndTextTheRaceNames) {
    CPartFile file;
    ASSERT_TRUE(file.Open((work / "TLVFMH.vqk").c_str(), 1));
    const struct {
        uint16_t index;
        std::vector<uint16_t> entries;
    } named[] = {
        {1, {city_race::kScreen}},
        {2, {758, 760, 831, 832, 833, 834, 826, 753, 754, 755, 759, 763, 761, 752, 756, 1070, 1071, 742, 743,
             698, 677, 678, 700, 675, 676, 1063, 1064, 895, 54, 1127, 1034, 952, 1094, 349, 9, 1147}},
        {7, {959, 960, 961, 962, 972, 973, 974, 975, 976, 977, 978, 980, 981, 983, 970, 968, 1095,
             5, 13, 37, 41, 58, 108, 184, 570, 574, 582, 779}},
        {17, {4, 32, 39, 94, 100, 252}},
    };
    for (const auto& kind : named) {
        for (uint16_t entry : kind.entries) {
            EXPECT_TRUE(file.ChunkExists(MakeChunkId(kind.index, entry))) << "{" << kind.index << ", 0, " << entry << "}";
        }
    }
}

} // namespace
} // namespace vqt::test
