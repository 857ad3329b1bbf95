// The player record in memory: the new-player values, the stored byte orders, the accessors'
// limits and the run-time lists.
#include <gtest/gtest.h>

#include <cstdio>

#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

using PlayerTest = HeadlessTest;

Bytes Stored(const PlayerRecord& record) {
    const PlayerRecordBytes bytes = EncodePlayerRecord(record);
    return Bytes(bytes.begin(), bytes.end());
}

TEST_F(PlayerTest, ANewPlayerHoldsTheNewPlayerValuesAndNoneOfAnotherPlayer) {
    StoredRecord expected;
    const uint16_t position[3][2] = {{800, 3550}, {150, 2100}, {1500, 200}};
    const uint16_t quota[3][3] = {{20, 10, 10}, {15, 10, 10}, {15, 20, 11}};
    for (int w = 0; w < 3; ++w) {
        expected.WorldWord(w, 0, position[w][0]).WorldWord(w, 1, position[w][1]);
        for (int i = 3; i <= 6; ++i) expected.WorldWord(w, 2 + i, 1).WorldWord(w, 17 + i, 1);
        for (int q = 0; q < 3; ++q) expected.WorldWord(w, 25 + q, quota[w][q]).WorldWord(w, 28 + q, quota[w][q]);
        expected.WorldWord(w, 32, 10).WorldWord(w, 34, 0xFFFF);
    }
    CPlayer player;
    EXPECT_EQ(Stored(player.Record()), expected.bytes());
    EXPECT_EQ(player.GetWorldPosition(2), CPoint16(200, 1500));

    // The defaults clear what another player left: mission flags and levels, extra word 11,
    // the name and the selected vehicle.
    player.SetActivityFlag(0, 1, 1);
    player.IncActivityLevel(1, 0);
    player.SetExtraWord(11, 7);
    player.SetName("Ann");
    player.SetSelectedVehicle(4);
    player.SetDefaults();
    EXPECT_EQ(Stored(player.Record()), expected.bytes());
    EXPECT_EQ(player.GetSelectedVehicle(), 0);
}

TEST_F(PlayerTest, TheStoredRecordHasItsNumbersInTheirByteOrders) {
    PlayerRecord r{};
    r.version = 19;
    std::snprintf(r.name, sizeof r.name, "Ann");
    r.pad = 0x5A;
    r.world[2][34] = 0xFFFE;
    r.counters[16] = 0x01020304;
    r.extra[11] = 0x1234;
    const Bytes bytes = Stored(r);
    EXPECT_EQ(bytes, StoredRecord("Ann").Raw(69, {0x5A}).WorldWord(2, 34, 0xFFFE).Counter(16, 0x01020304).Extra(11, 0x1234).bytes());
    PlayerRecord decoded;
    ASSERT_EQ(DecodePlayerRecord(bytes, decoded), RecordFault::None);
    EXPECT_EQ(Stored(decoded), bytes);
}

TEST_F(PlayerTest, CountsLevelsBadgesAndQuotasStopAtTheirLimits) {
    CPlayer player;
    for (int n = 0; n < 200; ++n) {
        player.IncBadgeCount(1, 0);
        player.DecQuota1Left(0);
        player.DecQuota2Left(1);
        player.DecQuota3Left(2);
        player.IncActivityLevel(0, 5);
        player.DecActivityLevel(0, 4);
    }
    EXPECT_EQ(player.GetBadgeCount(1, 0), 150);
    EXPECT_EQ(player.GetQuota1Left(0) + player.GetQuota2Left(1) + player.GetQuota3Left(2), 0);
    EXPECT_EQ(player.GetActivityLevel(0, 5), 3);
    EXPECT_EQ(player.GetActivityLevel(0, 4), 1);
    for (int n = 0; n < 20; ++n) player.IncQuota3Left(2);
    EXPECT_EQ(player.GetQuota3Left(2), 11) << "the quota-3 maximum";
    player.AddHeroPoints(1, 0xFFFF);
    player.AddHeroPoints(1, 2);
    EXPECT_EQ(player.GetHeroPoints(1), 1) << "hero points wrap";
    *player.Quota1LeftPtr(1) = 3;
    EXPECT_EQ(player.GetQuota1Left(1), 3) << "the counter panel's address is the record's word";
}

TEST_F(PlayerTest, IndexesOutOfRangeAreTracedReadZeroAndChangeNothing) {
    CPlayer player;
    const Bytes before = Stored(player.Record());
    player.IncCounter(17);
    player.SetExtraWord(-1, 5);
    player.SetActivityFlag(3, 0, 1);
    EXPECT_EQ(player.IncActivityCount(0, 7), nullptr);
    EXPECT_EQ(player.GetCounter(17) + player.GetExtraWord(12) + player.GetHeroPoints(-1), 0);
    EXPECT_EQ(Stored(player.Record()), before);
    for (const char* what : {"counter 17", "extra word -1", "world 3", "activity 7", "extra word 12", "world -1"})
        EXPECT_NE(traced().find(std::string("*** CPlayer : ") + what + " is out of range\n"), std::string::npos) << what;
}

TEST_F(PlayerTest, TheRunTimeListsFindWhatWasAddedUntilClearedAndTheNameIsCut) {
    CPlayer player;
    for (uint32_t n = 0; n < 70; ++n) player.AddEntry(n % 10, n, 0); // past one growth chunk
    ASSERT_NE(player.FindEntry(7), nullptr);
    EXPECT_EQ(player.FindEntry(7)->first, 7u) << "the first entry with the id";
    EXPECT_EQ(player.FindEntry(10), nullptr);
    player.ClearEntries();
    EXPECT_EQ(player.FindEntry(7), nullptr);

    player.AddPoint(CPoint16(10, -20));
    EXPECT_TRUE(player.HasPoint(CPoint16(10, -20)));
    EXPECT_FALSE(player.HasPoint(CPoint16(-20, 10))) << "both halves count";
    player.ClearPoints();
    EXPECT_FALSE(player.HasPoint(CPoint16(10, -20)));

    player.SetName(std::string(80, 'B').c_str());
    EXPECT_EQ(std::string(player.GetName()), std::string(64, 'B'));
}

} // namespace
} // namespace vqt::test
