// The city's and the zoo's whole rounds played by the bot on the generated game data, the whole
// program running: Cy, near the end of both towns' rounds, signs in, picks the town's vehicle
// in the garage, declines the road race's area, comes back once the areas are armed again and
// enters it (a stub race sends the town back, which puts the vehicle where it was), ends both
// tasks, sees the mission's movie, does the mission, watches the rescue and ends on the
// certificate and the garage. The spoken lines and the round's pictures against golden files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "game/shell/Player.h"
#include "tests/game/world/towns/TownRoundScenario.h"

namespace vqt::test {
namespace {

/// A town's round and what its end shows.
struct OtherTown {
    const char* name;
    TownRound (*round)();
    /// The player counter of the town's visits.
    int visitCounter;
    /// The beginnings of the certificate's lines 0-3, 18, 8 and 19 (and 20 where the town has it),
    /// then the back button's.
    std::vector<std::string> ceremony;
    /// The destructibles the mission leaves broken in the record's extra words.
    int brokenCrates;
};

/// The state of a broken destructible (the last of its four).
constexpr uint16_t kCrateBroken = 3;

const OtherTown kCity = {"city", &CityRound, towns::city::kVisitCounter,
                         {"You are the hero of the day.", "It\x92s a real honor", "The Head of the Police Squad",
                          "Congratulations!", "For this I award you and promote you to the highest rank",
                          "I am also upgrading your emergency vehicle", "Hero, you are the best!", "Return to the Garage."},
                         3};
const OtherTown kZoo = {"zoo", &ZooRound, towns::zoo::kVisitCounter,
                        {"Wow!  That was great.", "The Ranger General", "You are an inspiration",
                         "Hats off to you", "For this I award you and promote you from Park Service Captain",
                         "I am also upgrading your emergency vehicle", "This is a day to celebrate.",
                         "Thank you Fennmark hero!", "Return to the Garage."},
                        0};

class OtherTownsRoundScenarioTest : public TownRoundScenarioTest, public ::testing::WithParamInterface<const OtherTown*> {};

constexpr uint32_t kRoundSeconds = 480;

TEST_P(OtherTownsRoundScenarioTest, CyEndsTheRoundPastTheRoadRaceWithTheCertificateAndTheGarage) {
    const OtherTown& town = *GetParam();
    const TownRound round = town.round();
    const int W = round.world;
    const PlayedRound played = Play(round, kRoundSeconds, 1);
    EXPECT_TRUE(played.boxes.empty()) << played.boxes.front().text;
    const std::vector<ChunkId> route = {MakeChunkId(1, 4), MakeChunkId(1, 5), round.town, round.challenge->game, round.town,
                                        round.certificate, MakeChunkId(1, 5)};
    EXPECT_EQ(played.visited, route) << "sign-in, garage, town, race, town, certificate, garage";

    // Declined at the race's area first, entered there once; any other area is declined.
    ASSERT_GE(played.answers.size(), 2u);
    EXPECT_EQ(played.answers.front(), std::make_pair(2, false));
    const auto yes = std::find_if(played.answers.begin(), played.answers.end(), [](const auto& a) { return a.second; });
    ASSERT_NE(yes, played.answers.end());
    EXPECT_EQ(yes->first, 2);
    EXPECT_EQ(std::count_if(played.answers.begin(), played.answers.end(), [](const auto& a) { return a.second; }), 1);
    ASSERT_TRUE(played.back.has_value()) << "the town came back";
    EXPECT_LE(std::fabs(played.back->x - played.stored.x), 1.0f) << "back where the race was entered";
    EXPECT_LE(std::fabs(played.back->y - played.stored.y), 1.0f) << "back where the race was entered";

    const CPlayer& record = *played.record;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(record.GetActivityCount(W, i), 1) << "count " << i;
    EXPECT_EQ(record.GetHeroPoints(W), 5);
    EXPECT_EQ(record.GetQuota1Left(W), 0);
    EXPECT_EQ(record.GetQuota2Left(W), 0);
    EXPECT_EQ(record.GetQuota3Left(W), 0) << "the town refills nothing when it stops";
    EXPECT_EQ(record.GetWorldWord31(W), 1) << "the mission's movie was seen";
    EXPECT_TRUE(played.upgradeOpen) << "the garage opens the upgrade";
    EXPECT_EQ(record.GetCounter(town.visitCounter), 2) << "two visits";
    EXPECT_EQ(record.GetBadgeCount(W, 0), played.badges) << "the badges taken are kept";
    EXPECT_EQ(played.missingChunks, "") << "every chunk the round names is in the generated file";
    EXPECT_EQ(played.switchInterrupts, "") << "the round's end asks for the certificate once";
    EXPECT_EQ(record.GetCounter(round.challenge->counter), 1) << "the race entered once";
    int broken = 0;
    for (int word = towns::city::kFirstStateWord; word <= towns::city::kLastStateWord; ++word)
        broken += record.GetExtraWord(word) == kCrateBroken ? 1 : 0;
    EXPECT_EQ(broken, town.brokenCrates) << "the record keeps each broken destructible";
    EXPECT_EQ(played.certificateLines.size(), town.ceremony.size()) << ::testing::PrintToString(played.certificateLines);
    for (size_t i = 0; i < town.ceremony.size() && i < played.certificateLines.size(); ++i)
        EXPECT_EQ(played.certificateLines[i].rfind(town.ceremony[i], 0), 0u) << played.certificateLines[i];
    ExpectOnlySlotChanged(played, kCy);
    ExpectMatchesGolden(std::string("game/world/") + town.name + "_round_lines.txt", played.lines);
    for (const char* picture : {"arrival", "panel 6", "mission", "rescue", "certificate"}) {
        ASSERT_EQ(played.pictures.count(picture), 1u) << picture;
        std::string file = std::string("game/world/") + town.name + "_round_" + picture + ".png";
        for (char& c : file)
            if (c == ' ') c = '_';
        ExpectMatchesGoldenImage(file, played.pictures.at(picture));
    }
}

TEST_P(OtherTownsRoundScenarioTest, TwoPlaysOfOneSeedGiveTheSameStateAtEveryFrame) { ExpectSamePlays(GetParam()->round(), 40, 3); }

INSTANTIATE_TEST_SUITE_P(Towns, OtherTownsRoundScenarioTest, ::testing::Values(&kCity, &kZoo),
                         [](const ::testing::TestParamInfo<const OtherTown*>& info) { return std::string(info.param->name); });

} // namespace
} // namespace vqt::test
