#pragma once
// The three towns' board rules as the generator tests and the benchmarks use them.
#include <cstdint>

#include "game/minigames/puzzle/TrackGenerator.h"

namespace vqt::test {

struct TownBoard {
    const char* name;
    const int16_t* reserved;
    int32_t reservedCount;
};

inline constexpr int16_t kCircusReserved[] = {6, 42};
inline constexpr int16_t kZooReserved[] = {6, 42, 14, 21, 28, 35};
inline constexpr int16_t kCityReserved[] = {6, 13, 5, 12, 42, 43, 48};
inline constexpr TownBoard kTownBoards[] = {
    {"circus", kCircusReserved, 2},
    {"zoo", kZooReserved, 6},
    {"city", kCityReserved, 7},
};

inline puzzle::TrackRules RulesOf(const TownBoard& town, int32_t straightArts = 1, int32_t curveArts = 1) {
    return {town.reserved, town.reservedCount, straightArts, curveArts};
}
/// The length factor of a puzzle level, in single precision as the puzzle reckons it.
inline float LevelFactor(int level) { return float(2 * level + 2) * 0.1f; }

} // namespace vqt::test
