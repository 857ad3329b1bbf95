#pragma once
// The city race's data: the activity {1, 0, 22} (class 441) over a road four stages high, its
// road list, catalogues, paths and collision lists, and the parts, voices and texts it shows.
#include <cstdint>

struct GameData;

namespace city_race {

constexpr uint16_t kScreen = 22;
/// The road list the activity names (an entry of the "clst" index).
constexpr uint16_t kRoadList = 800;
constexpr int kSections = 4;
constexpr int kBandHeight = 80;

/// The parts the race shows, by the entries the game names for them.
constexpr uint16_t kCrookJunkParts[2] = {758, 760};
constexpr uint16_t kLootParts[4] = {831, 832, 833, 834};
constexpr uint16_t kJunkParts[8] = {753, 754, 755, 759, 763, 761, 752, 756};
constexpr uint16_t kPowerUpParts[2] = {1070, 1071}; // by vehicle
constexpr uint16_t kCrookParts[2] = {742, 743};
constexpr uint16_t kCanisterParts[2] = {675, 676}; // by vehicle
constexpr uint16_t kFinishParts[2] = {1064, 1063}; // side 0 (right half), side 1 (left half)
constexpr uint16_t kScoreIcon = 895;
constexpr uint16_t kIntroPictures[2] = {1034, 952};
constexpr uint16_t kEndPicture = 1127;

} // namespace city_race

/// The city race's road, screen and everything it shows that no screen made before it.
void AddCityRace(GameData& data);
