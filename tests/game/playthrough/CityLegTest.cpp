// The city's leg of the whole game played by the game bot, the last one: Ann, back after her
// circus and zoo rounds, signs in on badge 0, picks the city's vehicle in the garage, drives
// into the city, wins its four games entered from their way points, catches the criminals and
// picks up the loot, sees the movie, does the mission, watches the rescue and reaches the
// certificate. Leaving it, the last certificate of the game, plays the closing movie once; then
// the garage, back to the sign-in, quit, and the credits clicked away. The record the run
// saves, the certificate and its ceremony, and the save file the game ends with.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/data/Profiles.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/PlayerRecord.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "tests/game/playthrough/LegRecords.h"
#include "tests/game/playthrough/MaskedSave.h"
#include "tests/game/playthrough/PlayThroughFixture.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tests/support/bots/PlayThroughLegs.h"

namespace vqt::test {
namespace {

constexpr int kCircus = kCircusBlock, kZoo = kZooBlock, kCity = kCityBlock;
constexpr int kMovieCounter = Certificate_Activity::kMovieCounter;

/// The city certificate's ceremony lines 0, 1, 2, 3, 18, 8 and 19, in the order they play.
const std::vector<std::string> kCeremony = {
    "You are the hero of the day.  Rododizeda has been put back in order. ",
    "It\x92s a real honor to work with hero like you. ",
    "The Head of the Police Squad would like to say a few words.",
    "Congratulations!  Well done hero!",
    "For this I award you and promote you to the highest rank of Chief of Police.",
    "I am also upgrading your emergency vehicle from Tollivar Bulwarkan to Tollivar Rammelhorn.",
    "Hero, you are the best!"};

class CityLegTest : public PlayThroughTest {
protected:
    /// The save file the zoo's leg ends with: Ann's record after her circus and zoo rounds.
    void SetUp() override {
        PlayThroughTest::SetUp();
        WriteFileBytes(work / "TLVSave.vqk", ReadFileBytes(GoldenPath("game/playthrough/after_zoo.vqk")));
    }
};

TEST_F(CityLegTest, AnnWinsTheCitysGamesDoesItsRoundAndEndsTheGameWithTheClosingMovieAndTheCredits) {
    // Ann's record as the zoo's leg left it (positions as a load puts them back).
    xProfiles_Set("USERFILE", (work / "TLVSave.vqk").c_str());
    CPlayer before;
    ASSERT_EQ(before.Load(kAnn), SaveSlotState::Valid) << "the zoo leg's end save";
    const PlayThrough played = Play({CityLeg()}, 1400);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // The route ends on the credits: the garage, the sign-in, then {1, 0, 7}.
    ExpectMatchesGolden("game/playthrough/city_leg_route.log", played.log);
    EXPECT_NE(played.log.find(": {1, 0, 20}\n"), std::string::npos) << played.log;
    EXPECT_EQ(played.log.substr(played.log.rfind(": ") + 2), "{1, 0, 7}\n") << played.log;
    ExpectMatchesGolden("game/playthrough/city_leg_tasks.log", played.tasks);
    EXPECT_NE(played.tasks.find(": world 2: 0, 0\n"), std::string::npos) << played.tasks;

    // The closing movie as the certificate is left, once (the town's own movie plays to its end
    // inside a frame, not over the screens: the record's word 31 tells it was seen).
    const std::string closing = Named(Certificate_Activity::kClosingMovie);
    size_t closings = 0;
    for (size_t at = played.movies.find(closing); at != std::string::npos; at = played.movies.find(closing, at + 1)) ++closings;
    EXPECT_EQ(closings, 1u) << played.movies;
    EXPECT_NE(played.movies.find(closing + " over " + Named(towns::city::kEndActivity)), std::string::npos) << played.movies;

    ExpectRoundEnded(played, "city", kCity, towns::city::kVisitCounter, kCeremony);
    const std::unique_ptr<CPlayer> saved = Saved();
    EXPECT_EQ(saved->GetCounter(kMovieCounter), 1) << "the closing movie is played once for good";
    for (const TownChallenge& area : towns::city::kCityAreas) EXPECT_EQ(saved->GetCounter(area.counter), 1) << "counter " << area.counter;
    // The circus's and the zoo's blocks as the earlier legs left them but the zoo's upgrade flag
    // (the garage set it on the way out, the city's first save stored it), and their counters.
    for (int w : {kCircus, kZoo})
        for (int k = 0; k < PlayerRecord::kWorldWords; ++k)
            EXPECT_EQ(saved->Record().world[w][k], w == kZoo && k == CPlayer::kUpgrade ? 1 : before.Record().world[w][k])
                << "world " << w << " word " << k;
    for (int counter : {1, 2, 3, 4, 9, 10, 11, 12, 13, int(towns::zoo::kVisitCounter)})
        EXPECT_EQ(saved->GetCounter(counter), before.GetCounter(counter)) << "counter " << counter;
    ExpectMatchesGolden("game/playthrough/after_city.vqk", MaskedSave(ReadFileBytes(work / "TLVSave.vqk")));
}

} // namespace
} // namespace vqt::test
