// The city's leg of the whole game played by the game bot, the last one: Ann, back after her
// circus and zoo rounds, signs in on badge 0, picks the city's vehicle in the garage, drives
// into the city, wins its four games entered from their way points, catches the criminals and
// picks up the loot, sees the movie, does the mission, watches the rescue and reaches the
// certificate. Leaving it, the last certificate of the game, plays the closing movie once; then
// the garage, back to the sign-in, quit, and the credits clicked away. The record the run
// saves, the certificate and its ceremony, and the save file the game ends with.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/media/BinkInterstitial.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/PlayerRecord.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "tests/game/playthrough/MaskedSave.h"
#include "tests/game/playthrough/PlayThroughFixture.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tests/support/Png.h"

namespace vqt::test {
namespace {

constexpr int kCircus = 0, kZoo = 1, kCity = 2;
constexpr int kMovieCounter = Certificate_Activity::kMovieCounter;

/// A world block as a new player has it: the activities 3-6 armed at level 1, the world's
/// quotas full, word 32 at 10, no mission chosen, the vehicle at the world's start.
void NewWorld(StoredRecord& r, int w) {
    struct Defaults {
        uint16_t y, x, quota1, quota2, quota3;
    };
    constexpr Defaults kDefaults[3] = {{800, 3550, 20, 10, 10}, {150, 2100, 15, 10, 10}, {1500, 200, 15, 20, 11}};
    const Defaults& d = kDefaults[w];
    r.WorldWord(w, CPlayer::kPositionY, d.y).WorldWord(w, CPlayer::kPositionX, d.x);
    for (int i = 3; i < CPlayer::kActivities; ++i) r.WorldWord(w, CPlayer::kFlags + i, 1).WorldWord(w, CPlayer::kLevels + i, 1);
    r.WorldWord(w, CPlayer::kQuota1Max, d.quota1).WorldWord(w, CPlayer::kQuota1Left, d.quota1);
    r.WorldWord(w, CPlayer::kQuota2Max, d.quota2).WorldWord(w, CPlayer::kQuota2Left, d.quota2);
    r.WorldWord(w, CPlayer::kQuota3Max, d.quota3).WorldWord(w, CPlayer::kQuota3Left, d.quota3);
    r.WorldWord(w, CPlayer::kReserved, 10).WorldWord(w, CPlayer::kWord34, 0xFFFF);
}

/// A town's round as the game records it: the two tasks, the mission and the four games each
/// done once and the games won (level 2), a hero point for each of the seven, the movie seen
/// (word 31), the upgrade open (word 33, set when the garage shows again), the two tasks' quotas
/// used up and the mission's refilled as the town was left, the mission chosen stored; the town
/// visited five times (the drive out and back from each game) and each game's area entered once.
void RoundDone(StoredRecord& r, int w, int16_t visitCounter, const int (&areaCounters)[4]) {
    for (int i = 0; i < CPlayer::kActivities; ++i) r.WorldWord(w, CPlayer::kCounts + i, 1);
    for (int i = 3; i < CPlayer::kActivities; ++i) r.WorldWord(w, CPlayer::kLevels + i, 2);
    r.WorldWord(w, CPlayer::kHeroPoints, 7);
    r.WorldWord(w, CPlayer::kQuota1Left, 0).WorldWord(w, CPlayer::kQuota2Left, 0);
    r.WorldWord(w, CPlayer::kWord31, 1).WorldWord(w, CPlayer::kUpgrade, 1).WorldWord(w, CPlayer::kWord34, 0);
    r.Counter(visitCounter, 5);
    for (int counter : areaCounters) r.Counter(counter, 1);
}

/// Ann's record as her circus and zoo rounds leave it, the city as a new player has it. The
/// tokens taken on the way are left out: how many the bot drives over depends on its route.
Bytes AnnAfterTheZoo() {
    StoredRecord r("Ann");
    for (int w : {kCircus, kZoo, kCity}) NewWorld(r, w);
    RoundDone(r, kCircus, 13, {1, 2, 3, 4});
    RoundDone(r, kZoo, towns::zoo::kVisitCounter, {9, 10, 11, 12});
    return r.bytes();
}

PlayerRecord Decoded(const Bytes& stored) {
    PlayerRecord record;
    EXPECT_EQ(DecodePlayerRecord(stored, record), RecordFault::None);
    return record;
}

/// The city certificate's ceremony lines 0, 1, 2, 3, 18, 8 and 19, in the order they play.
const std::vector<std::string> kCeremony = {
    "You are the hero of the day.  Rododizeda has been put back in order. ",
    "It\x92s a real honor to work with hero like you. ",
    "The Head of the Police Squad would like to say a few words.",
    "Congratulations!  Well done hero!",
    "For this I award you and promote you to the highest rank of Chief of Police.",
    "I am also upgrading your emergency vehicle from Tollivar Bulwarkan to Tollivar Rammelhorn.",
    "Hero, you are the best!"};

std::string Named(ChunkId id) {
    return "{" + std::to_string(ChunkIndexOf(id)) + ", " + std::to_string(ChunkSecondOf(id)) + ", " +
           std::to_string(ChunkEntryOf(id)) + "}";
}

class CityLegTest : public PlayThroughTest {
protected:
    void SetUp() override {
        PlayThroughTest::SetUp();
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kAnn] = AnnAfterTheZoo();
        PutSave(records);
    }
};

TEST_F(CityLegTest, AnnWinsTheCitysGamesDoesItsRoundAndEndsTheGameWithTheClosingMovieAndTheCredits) {
    std::string ceremony, lastCaption, movies;
    RgbImage certificate;
    uint32_t certificateAt = 0;
    const OInterstitial* overlay = nullptr;
    TownBot::Task tasks = CityTasks();
    // From a first visit twenty criminals are caught: going round one to come at it from below
    // touches it often, and it runs off across the map with the vehicle behind.
    tasks.nearSide = true;
    const PlayThrough played = Play({{4, CityRoads(), tasks}}, 1400, [&](uint32_t now) {
        OActivityManager* manager = GetActivityManager();
        if (!manager) return;
        // Each movie as it starts, over the screen it plays on.
        OInterstitial* playing = manager->GetCurrentOverlay();
        if (playing != overlay) {
            overlay = playing;
            if (auto* movie = dynamic_cast<OBinkInterstitial*>(playing))
                movies += std::to_string(now) + " ms: " + Named(movie->GetChunkId()) + " over " + Named(manager->GetCurrentId()) + "\n";
        }
        auto* page = dynamic_cast<Certificate_Activity*>(manager->GetCurrentActivity());
        if (!page) return;
        if (!certificateAt) certificateAt = now;
        OMessageProcess* messages = CTLVApp::Get()->GetMessageProcess();
        const OMessageRecord* head = messages ? messages->Head() : nullptr;
        const std::string caption = head ? head->caption : "";
        if (!caption.empty() && caption != lastCaption) ceremony += std::to_string(now - certificateAt) + " ms: " + caption + "\n";
        lastCaption = caption;
        // The page once the ceremony is over, before anything is clicked on it.
        if (certificate.rgb.empty() && now >= certificateAt + 800 && messages && messages->QueueLength() == 0 &&
            !page->IsPanelShown(Certificate_Activity::kPanelPrint))
            certificate = StagePicture();
    });
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // The route ends on the credits: the garage, the sign-in, then {1, 0, 7}.
    ExpectMatchesGolden("game/playthrough/city_leg_route.log", played.log);
    EXPECT_NE(played.log.find(": {1, 0, 20}\n"), std::string::npos) << played.log;
    EXPECT_EQ(played.log.substr(played.log.rfind(": ") + 2), "{1, 0, 7}\n") << played.log;
    ExpectMatchesGolden("game/playthrough/city_leg_tasks.log", played.tasks);
    EXPECT_NE(played.tasks.find(": world 2: 0, 0\n"), std::string::npos) << played.tasks;

    // The closing movie as the certificate is left, once (the town's own movie plays to its end
    // inside a frame, not over the screens: word 31 below tells it was seen).
    const std::string closing = Named(Certificate_Activity::kClosingMovie);
    size_t closings = 0;
    for (size_t at = movies.find(closing); at != std::string::npos; at = movies.find(closing, at + 1)) ++closings;
    EXPECT_EQ(closings, 1u) << movies;
    EXPECT_NE(movies.find(closing + " over " + Named(towns::city::kEndActivity)), std::string::npos) << movies;

    // The ceremony's lines in order, then whatever hints follow.
    std::vector<std::string> lines;
    for (size_t at = 0; at < ceremony.size();) {
        const size_t colon = ceremony.find(": ", at), end = ceremony.find('\n', at);
        lines.push_back(ceremony.substr(colon + 2, end - colon - 2));
        at = end + 1;
    }
    ASSERT_GE(lines.size(), kCeremony.size()) << ceremony;
    for (size_t i = 0; i < kCeremony.size(); ++i) EXPECT_EQ(lines[i], kCeremony[i]) << "line " << i;
    ExpectMatchesGolden("game/playthrough/city_ceremony.log", ceremony);
    ASSERT_FALSE(certificate.rgb.empty()) << "the certificate shows";
    ExpectMatchesGoldenImage("game/playthrough/city_certificate.png", certificate);

    const std::unique_ptr<CPlayer> saved = Saved();
    EXPECT_STREQ(saved->GetName(), "Ann");
    for (int i = 0; i < CPlayer::kActivities; ++i) EXPECT_EQ(saved->GetActivityCount(kCity, i), 1) << "activity " << i;
    for (int game = 3; game <= 6; ++game) EXPECT_EQ(saved->GetActivityLevel(kCity, game), 2) << "game " << game << " was won";
    EXPECT_EQ(saved->GetHeroPoints(kCity), 7) << "a hero point a win, a task and the mission";
    EXPECT_EQ(saved->GetWorldWord31(kCity), 1) << "the movie was seen";
    EXPECT_EQ(saved->GetWorldVisited(kCity), 1) << "the garage opened the city's upgrade";
    EXPECT_EQ(saved->GetCounter(towns::city::kVisitCounter), 5) << "the drive out and back from each game";
    EXPECT_EQ(saved->GetCounter(kMovieCounter), 1) << "the closing movie is played once for good";
    for (const TownChallenge& area : towns::city::kCityAreas) EXPECT_EQ(saved->GetCounter(area.counter), 1) << "counter " << area.counter;
    // The circus's and the zoo's blocks as the earlier legs left them (the stored positions are
    // the defaults a load puts back), and their counters.
    const PlayerRecord before = Decoded(AnnAfterTheZoo());
    for (int w : {kCircus, kZoo})
        for (int k = 0; k < PlayerRecord::kWorldWords; ++k)
            EXPECT_EQ(saved->Record().world[w][k], before.world[w][k]) << "world " << w << " word " << k;
    for (int counter : {1, 2, 3, 4, 9, 10, 11, 12, 13, int(towns::zoo::kVisitCounter)})
        EXPECT_EQ(saved->GetCounter(counter), before.counters[counter]) << "counter " << counter;
    ExpectMatchesGolden("game/playthrough/after_city.vqk", MaskedSave(ReadFileBytes(work / "TLVSave.vqk")));
}

} // namespace
} // namespace vqt::test
