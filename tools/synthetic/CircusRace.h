#pragma once
// The circus race's data: the activity {1, 0, 11} (class 440) over a road four stages high,
// its road list, catalogues, paths and collision lists, and the parts it shows.
#include <cstdint>

struct GameData;

namespace circus_race {

constexpr uint16_t kScreen = 11;
/// The road list the activity names (an entry of the "clst" index).
constexpr uint16_t kRoadList = 600;
constexpr int kStageWidth = 640;
constexpr int kStageHeight = 480;
constexpr int kSections = 4;
constexpr int kRowsPerSection = 2;
constexpr int kBandHeight = 80;

/// The parts the race shows, by the entries the game names for them.
constexpr uint16_t kVehiclePart = 209; // the fire engine, the circus town's vehicle 0
constexpr uint16_t kTokenPart = 826;   // a badge
constexpr uint16_t kObstaclePart = 313;
constexpr uint16_t kRacerPart = 58; // a rat
constexpr uint16_t kFinishParts[2] = {940, 939}; // side 0 (right half), side 1 (left half)
constexpr uint16_t kScoreIcon = 53;
constexpr uint16_t kBadgeIcon = 54;
/// The chime of a goal counted.
constexpr uint16_t kGoalSound = 96;
/// The circus race's own objects: fires, barrels, fireworks, the pick-up sparkle, the smoke
/// of a fire put out and the spray (the fire engine's light is the town's).
constexpr uint16_t kFireParts[4] = {267, 268, 269, 270};
constexpr uint16_t kBarrelParts[4] = {271, 33, 34, 251};
constexpr uint16_t kFireworksParts[2] = {183, 184};
constexpr uint16_t kFlashPart = 289;
constexpr uint16_t kSmokePart = 1069;
constexpr uint16_t kSprayPart = 128;
constexpr uint16_t kDecorationParts[2] = {167, 168};
constexpr uint16_t kIntroPictures[2] = {547, 1030};
constexpr uint16_t kEndPicture = 1123;
/// A water drop, the shot of the test kit's race.
constexpr uint16_t kShotPart = 1990;

} // namespace circus_race

void AddCircusRace(GameData& data);
/// The art, voices, sounds and texts of the circus race that no screen made before it.
void AddCircusRaceArt(GameData& data);
