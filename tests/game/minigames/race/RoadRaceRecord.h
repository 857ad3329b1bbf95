#pragma once
// The save file of a road race's scenario: Ann in slot 3 with twenty badges of the race's world
// and the race at level 1, the other slots held by named drivers. The race scenarios and the
// window that shows the race driver's play start from it.
#include <map>
#include <string>

#include "game/minigames/race/CGRoadRace.h"
#include "game/shell/Player.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

inline constexpr int16_t kRoadRaceSlot = 3;
inline constexpr uint16_t kRoadRaceStartBadges = 20;

/// The stored records by slot, for the race of world `world`.
inline std::map<int, Bytes> RoadRaceRecords(int world) {
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord("Driver " + std::to_string(slot)).bytes();
    records[kRoadRaceSlot] = StoredRecord("Ann")
                                 .WorldWord(world, CPlayer::kBadges, kRoadRaceStartBadges)
                                 .WorldWord(world, CPlayer::kLevels + CGRoadRace::kRaceGame, 1)
                                 .bytes();
    return records;
}

} // namespace vqt::test
