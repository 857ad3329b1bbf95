#pragma once
// Ann's record as the play-through's legs leave it, built field by field from what the game
// records, for a leg played on its own. A world block is a new player's until its round is
// done: the two tasks, the mission and the four games each done once, the games won.
#include <cstdint>

#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "tests/support/Golden.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

inline constexpr int kCircusBlock = 0, kZooBlock = 1, kCityBlock = 2;

/// A world block as a new player has it: the activities 3-6 armed at level 1, the world's
/// quotas full, word 32 at 10, no mission chosen, the vehicle at the world's start.
inline void NewWorld(StoredRecord& r, int w) {
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

/// A town's round as the game records it: each activity done once and the games won (level 2),
/// a hero point for each of the seven, the movie seen (word 31), the two tasks' quotas used up
/// and the mission's refilled as the town was left, the mission chosen stored; the town visited
/// five times (the drive out and back from each game) and each game's area entered once. The
/// upgrade flag (word 33) reaches the disc only with a save after the garage that sets it. The
/// tokens taken are left out: how many the bot drives over depends on its route.
inline void RoundDone(StoredRecord& r, int w, int visitCounter, const int (&areaCounters)[4], bool upgradeSaved) {
    for (int i = 0; i < CPlayer::kActivities; ++i) r.WorldWord(w, CPlayer::kCounts + i, 1);
    for (int i = 3; i < CPlayer::kActivities; ++i) r.WorldWord(w, CPlayer::kLevels + i, 2);
    r.WorldWord(w, CPlayer::kHeroPoints, 7);
    r.WorldWord(w, CPlayer::kQuota1Left, 0).WorldWord(w, CPlayer::kQuota2Left, 0);
    r.WorldWord(w, CPlayer::kWord31, 1).WorldWord(w, CPlayer::kUpgrade, upgradeSaved ? 1 : 0).WorldWord(w, CPlayer::kWord34, 0);
    r.Counter(visitCounter, 5);
    for (int counter : areaCounters) r.Counter(counter, 1);
}

inline PlayerRecord Decoded(const Bytes& stored) {
    PlayerRecord record;
    EXPECT_EQ(DecodePlayerRecord(stored, record), RecordFault::None);
    return record;
}

} // namespace vqt::test
