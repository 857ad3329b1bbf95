#pragma once
// The zoo race's data: the activity {1, 0, 9} (class 443) over a road four stages high, its
// road list, catalogues, paths and collision lists, and the parts, voices and texts it shows.
#include <cstdint>

struct GameData;

namespace zoo_race {

constexpr uint16_t kScreen = 9;
/// The road list the activity names (an entry of the "clst" index).
constexpr uint16_t kRoadList = 700;
constexpr int kSections = 4;
constexpr int kBandHeight = 80;

/// The parts the race shows, by the entries the game names for them.
constexpr uint16_t kVehicleParts[2] = {533, 773};
constexpr uint16_t kLightParts[2] = {534, 774};
constexpr uint16_t kBeamParts[2] = {1072, 1109};
constexpr uint16_t kClothesParts[5] = {712, 713, 714, 715, 716};
constexpr uint16_t kObstacleParts[5] = {387, 33, 34, 271, 391};
constexpr uint16_t kFlashlightPart = 503;
constexpr uint16_t kMonkeyPart = 601;
constexpr uint16_t kFinishParts[2] = {1062, 1061}; // side 0 (right half), side 1 (left half)
constexpr uint16_t kScoreIcon = 896;

} // namespace zoo_race

/// The zoo race's road, screen and everything it shows that no screen made before it.
void AddZooRace(GameData& data);
