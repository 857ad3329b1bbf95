#pragma once
// The plan the city and the zoo share with the circus town's map: 31 x 23 tiles of 128 pixels
// with roads along the same columns and rows (so a bot's road graph fits every town), blocks of
// houses between them, the places where something happens on the roads, and the certificate
// button in the stage's top right corner. Each town lists what stands where; the builder here
// turns the list into the town's activity.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/GameTexts.h"

namespace town {

constexpr int16_t kColumns = 31;
constexpr int16_t kRows = 23;
constexpr std::array kRoadColumns = {2, 9, 16, 23, 28};
constexpr std::array kRoadRows = {2, 8, 14, 20};

/// The centre of a road column or row, in map pixels.
constexpr int16_t RoadX(size_t i) { return int16_t(kRoadColumns[i] * 128 + 64); }
constexpr int16_t RoadY(size_t i) { return int16_t(kRoadRows[i] * 128 + 64); }

enum : uint32_t {
    kSimple = 1120, kWayPointFlag = 1150, kPlace = 1060, kDestructible = 1510, kToken = 1540, kBag = 1580,
    kBlocker = 1530, kFollower = 2410, kAvoider = 2420, kCaptive = 2440, kPen = 2450, kGuard = 2460,
};

/// A destructible's property (family 1510) naming its record word.
constexpr uint32_t kRecordWordProperty = 2;

/// Object id of the badge tokens, as in the circus town.
constexpr uint32_t kBadge = 12;

/// A place where something happens: where it lies on a road and the target point beside it.
struct Place {
    int16_t x, y, targetX, targetY;
};

struct House {
    int width;
    int storeys;
    int style;
    int16_t x;
    int16_t y;
};

/// One prop of the town: its class, object id, part and position, and for a destructible the
/// player record's extra word that keeps its state (-1: none given).
struct Placed {
    uint32_t classId;
    uint32_t objectId;
    uint32_t part;
    int16_t x;
    int16_t y;
    int16_t recordWord = -1;
};

struct TownMap {
    uint16_t entry;
    uint32_t classId;
    std::string name;
    /// The tile the town's open ground shows between the roads.
    uint16_t groundTile;
    /// The places 0, 1, ... in number order.
    std::vector<Place> places;
    std::vector<House> houses;
    std::vector<Placed> props;
    uint16_t certificate;
};

/// A prop of object id `objectId` at each point.
void PlaceAll(std::vector<Placed>& props, uint32_t classId, uint32_t objectId, uint32_t part,
              const std::vector<std::array<int16_t, 2>>& points);

/// `count` points spread along the roads, none within 150 pixels of a place or of another
/// point of the same `seed`'s walk; the walk visits the roads in a fixed order from `seed`.
std::vector<std::array<int16_t, 2>> RoadPoints(int count, int seed, const std::vector<Place>& avoid);

/// `count` points in rows of `perRow`, `step` pixels apart, from a top-left point.
std::vector<std::array<int16_t, 2>> Grid(int count, int perRow, int step, int16_t left, int16_t top);

/// Adds the town's tile sheet, palette and activity at its entry.
void AddTownMap(GameData& data, const TownMap& map);

/// A part of one picture a state, hot spot in the middle.
uint32_t PartOfPictures(GameData& data, const std::vector<std::vector<vqt::test::Picture>>& states);

/// A named snippet the town plays: a tone of 250 ms, made once for every screen that names it.
void AddTownTone(GameData& data, uint16_t entry, const std::string& name);

/// A text {17, 0, entry} from Windows-1252 bytes (AddGameText: the same text again adds nothing).
void AddTownText(GameData& data, uint16_t entry, const std::string& text,
                 SourcePlace where = SourcePlace::current());

/// A picture part {2, 0, entry} of one frame, unless a screen made before has it.
void AddTownPicture(GameData& data, uint16_t entry, uint8_t colour);

/// A movie {18, 0, entry} of a few frames, unless a screen made before has it.
void AddTownMovie(GameData& data, uint16_t entry, double tone);

} // namespace town
