// The zoo's leg of the whole game played by the game bot: Ann, back after her circus round
// (from the save file the circus's leg ends with), signs in on badge 0, picks the zoo's vehicle
// in the garage, drives into the zoo, wins its four games entered from their way points,
// finishes both tasks, sees the movie, does the mission, watches the rescue, reaches the
// certificate and goes back to the garage (then the bot quits). The record the leg saves, the certificate and its ceremony, and the save file the
// city's leg starts from.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/data/Profiles.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/PlayerRecord.h"
#include "game/world/towns/WZooActivity.h"
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

/// A record with one round done, for the save file's masking: Ann's after the circus as the
/// game records it, the zoo and the city as a new player has them.
Bytes AnnAfterTheCircus() {
    StoredRecord r("Ann");
    for (int w : {kCircus, kZoo, kCity}) NewWorld(r, w);
    RoundDone(r, kCircus, 13, {1, 2, 3, 4}, false);
    return r.bytes();
}

/// The beginnings of the zoo certificate's ceremony lines 0, 1, 2, 3, 18, 8, 19 and 20, in the
/// order they play.
const std::vector<std::string> kCeremony = {"Wow!  That was great.", "The Ranger General", "You are an inspiration",
                                            "Hats off to you", "For this I award you and promote you from Park Service Captain",
                                            "I am also upgrading your emergency vehicle", "This is a day to celebrate.",
                                            "Thank you Fennmark hero!"};

class ZooLegTest : public PlayThroughTest {
protected:
    /// The save file the circus's leg ends with.
    void SetUp() override {
        PlayThroughTest::SetUp();
        WriteFileBytes(work / "TLVSave.vqk", ReadFileBytes(GoldenPath("game/playthrough/after_circus.vqk")));
    }
};

TEST(MaskedSaveTest, OnlyThePlayerChunksTimesReadZero) {
    ChunkFileLayout layout;
    const Bytes file = SaveFileOf({{0, AnnAfterTheCircus()}, {5, StoredRecord("Bo").bytes()}}, &layout);
    std::string stamped(file.begin(), file.end());
    std::vector<size_t> headers;
    for (const auto& [id, offset] : layout.chunkOffsets) headers.push_back(offset);
    ASSERT_EQ(headers.size(), 2u);
    for (size_t header : headers)
        for (size_t k = 0; k < 8; ++k) stamped[header + kChunkCreatedOffset + k] = char(0x11 + k);
    const std::string masked = MaskedSave(stamped);
    ASSERT_EQ(masked.size(), stamped.size());
    for (size_t at = 0; at < stamped.size(); ++at) {
        bool time = false;
        for (size_t header : headers) time = time || (at >= header + kChunkCreatedOffset && at < header + kChunkCreatedOffset + 8);
        EXPECT_EQ(masked[at], time ? '\0' : stamped[at]) << "byte " << at;
    }
    // What cannot be read as a chunk file stays as it is.
    EXPECT_EQ(MaskedSave("not a save file at all"), "not a save file at all");
    EXPECT_EQ(MaskedSave(stamped.substr(0, 100)), stamped.substr(0, 100));
}

TEST_F(ZooLegTest, AnnWinsTheZoosGamesDoesItsRoundAndReachesItsCertificateFromHerCircusSave) {
    // Ann's record as the circus's leg left it (positions as a load puts them back). Its upgrade
    // flag is still 0 on the disc: the garage shown after the certificate set it in memory
    // only, and the next save is the zoo's.
    xProfiles_Set("USERFILE", (work / "TLVSave.vqk").c_str());
    CPlayer stored;
    ASSERT_EQ(stored.Load(kAnn), SaveSlotState::Valid) << "the circus leg's end save";
    EXPECT_EQ(stored.Record().world[kCircus][CPlayer::kUpgrade], 0);
    const PlayThrough played = Play({ZooLeg()}, 900);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    ExpectMatchesGolden("game/playthrough/zoo_leg_route.log", played.log);
    ExpectMatchesGolden("game/playthrough/zoo_leg_tasks.log", played.tasks);
    EXPECT_NE(played.tasks.find(": world 1: 0, 0\n"), std::string::npos) << played.tasks;

    ExpectRoundEnded(played, "zoo", kZoo, towns::zoo::kVisitCounter, kCeremony);
    const std::unique_ptr<CPlayer> saved = Saved();
    EXPECT_EQ(saved->GetCounter(kMovieCounter), 0) << "the closing movie waits for the city's mission";
    // The circus's block as the circus leg left it (the stored positions are the defaults a
    // load puts back) but its upgrade flag: the garage set it on the way out, the zoo's save
    // stored it.
    const PlayerRecord& before = stored.Record();
    for (int k = 0; k < PlayerRecord::kWorldWords; ++k)
        EXPECT_EQ(saved->Record().world[kCircus][k], k == CPlayer::kUpgrade ? 1 : before.world[kCircus][k]) << "circus word " << k;
    for (int k = 0; k < PlayerRecord::kWorldWords; ++k)
        EXPECT_EQ(saved->Record().world[kCity][k], before.world[kCity][k]) << "city word " << k;
    ExpectMatchesGolden("game/playthrough/after_zoo.vqk", MaskedSave(ReadFileBytes(work / "TLVSave.vqk")));
}

} // namespace
} // namespace vqt::test
