#include "tools/synthetic/TownMap.h"

#include <cstdlib>

#include "tools/builders/MovieClips.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/Garage.h"
#include "tools/synthetic/GroundProps.h"

using namespace vqt::test;

namespace town {

namespace {

template <size_t N>
bool Holds(const std::array<int, N>& list, int value) {
    for (int v : list)
        if (v == value) return true;
    return false;
}

/// The road tiles on the road lines, the town's ground elsewhere.
std::vector<uint16_t> Tiles(uint16_t ground) {
    std::vector<uint16_t> tiles;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) {
            const bool across = Holds(kRoadRows, row);
            const bool down = Holds(kRoadColumns, col);
            uint16_t tile = ground;
            if (across && down) tile = circus::kCrossing;
            else if (across) tile = circus::kRoadAcross;
            else if (down) tile = circus::kRoadDown;
            tiles.push_back(tile);
        }
    return tiles;
}

ObjectPlan Prop(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

/// A prop the vehicle stops at (family 1100, property 4), and whether it fades when it covers
/// the vehicle (property 3).
ObjectPlan Solid(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y, bool fades = false) {
    ObjectPlan object = Prop(classId, objectId, part, x, y);
    object.properties.Byte(1100, 3, fades ? 1 : 0).Byte(1100, 4, 1);
    return object;
}

bool Near(int x, int y, int px, int py, int distance) { return std::abs(x - px) < distance && std::abs(y - py) < distance; }

} // namespace

void PlaceAll(std::vector<Placed>& props, uint32_t classId, uint32_t objectId, uint32_t part,
              const std::vector<std::array<int16_t, 2>>& points) {
    for (const auto& p : points) props.push_back(Placed{classId, objectId, part, p[0], p[1]});
}

std::vector<std::array<int16_t, 2>> RoadPoints(int count, int seed, const std::vector<Place>& avoid) {
    std::vector<std::array<int16_t, 2>> points;
    constexpr int kLength = 3968 - 2 * 160;
    // Along the rows first, then down the columns, every 233 pixels from the seed's offset.
    for (int pass = 0; int(points.size()) < count && pass < 8; ++pass) {
        const int offset = (seed * 97 + pass * 61) % 233;
        for (size_t line = 0; line < kRoadRows.size() + kRoadColumns.size() && int(points.size()) < count; ++line)
            for (int along = 160 + offset; along < 160 + kLength && int(points.size()) < count; along += 233) {
                const bool across = line < kRoadRows.size();
                const int x = across ? along : RoadX(line - kRoadRows.size());
                const int y = across ? RoadY(line) : std::min(along, 2944 - 160);
                bool free = true;
                for (const Place& place : avoid) free = free && !Near(x, y, place.x, place.y, 150);
                for (const auto& p : points) free = free && !Near(x, y, p[0], p[1], 150);
                if (free) points.push_back({int16_t(x), int16_t(y)});
            }
    }
    return points;
}

std::vector<std::array<int16_t, 2>> Grid(int count, int perRow, int step, int16_t left, int16_t top) {
    std::vector<std::array<int16_t, 2>> points;
    for (int i = 0; i < count; ++i) points.push_back({int16_t(left + i % perRow * step), int16_t(top + i / perRow * step)});
    return points;
}

uint32_t PartOfPictures(GameData& data, const std::vector<std::vector<Picture>>& states) {
    return data.parts.AddPart(circus::PartOf(states)).part;
}

void AddTownMap(GameData& data, const TownMap& map) {
    // The circus town's tile sheet and colours serve every town.
    ActivityPlan town{.classId = map.classId,
                      .backgroundId = ChunkIdOf(GameData::kFrames, 8),
                      .paletteId = ChunkIdOf(GameData::kPalettes, 8),
                      .properties = TiledActivityProps(kColumns, kRows, circus::kTile, circus::kTile, Tiles(map.groundTile))};
    town.properties.Pair(50, 1, kColumns * circus::kTile / 2, kRows * circus::kTile / 2).Short(200, 1, kCounterBarPanelMode);
    std::array<int16_t, 10> quotas{};
    for (const Placed& p : map.props)
        if (p.objectId >= 1 && p.objectId <= 10 && p.classId != kPen && p.classId != kCaptive) ++quotas[p.objectId - 1];
    for (uint32_t k = 1; k <= 10; ++k) town.properties.Short(201, k, quotas[k - 1]);

    for (const House& h : map.houses)
        town.objects.push_back(Solid(kBlocker, 0, PartOfPictures(data, {{circus::House(h.width, h.storeys, h.style)}}), h.x, h.y));
    for (uint32_t n = 0; n < map.places.size(); ++n) {
        const Place& p = map.places[n];
        town.objects.push_back(PlacePad(data, n, p.x, p.y, p.targetX, p.targetY));
    }
    for (const Placed& p : map.props) {
        const bool solid = p.classId == kDestructible || p.classId == kSimple;
        ObjectPlan object = solid ? Solid(p.classId, p.objectId, p.part, p.x, p.y, p.classId == kSimple)
                                  : Prop(p.classId, p.objectId, p.part, p.x, p.y);
        if (p.recordWord >= 0) object.properties.Short(kDestructible, kRecordWordProperty, p.recordWord);
        town.objects.push_back(object);
    }
    town.objects.push_back(CertificateButton(AddCertificateButtonPart(data), map.certificate));
    data.file.AddChunk(GameData::kActivities, ActivityData(town), {.entry = map.entry, .name = map.name});
}

void AddTownTone(GameData& data, uint16_t entry, const std::string& name) {
    AddSharedTone(data, entry, 200.0 + entry % 600, name);
}

void AddTownText(GameData& data, uint16_t entry, const std::string& text, SourcePlace where) {
    std::u16string wide;
    for (const char c : text) {
        const auto byte = uint8_t(c);
        wide.push_back(byte == 0x91 ? u'\u2018' : byte == 0x92 ? u'\u2019' : char16_t(byte));
    }
    AddGameText(data, entry, wide, "Town text " + std::to_string(entry), where);
}

void AddTownPicture(GameData& data, uint16_t entry, uint8_t colour) {
    Picture picture(120, 90);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) picture.at(x, y) = (x / 15 + y / 15) % 2 ? colour : uint8_t(colour + 1);
    AddSharedPart(data, circus::PartOf({{picture}}), entry);
}

void AddTownMovie(GameData& data, uint16_t entry, double tone) {
    if (data.file.HasChunk(GameData::kMovies, entry)) return;
    data.file.AddChunk(GameData::kMovies, MakeMovieClip({.width = 320, .height = 240, .frames = 20, .toneHz = tone}),
                       {.entry = entry, .name = "Town movie " + std::to_string(entry)});
}

} // namespace town
