// The zoo {1, 0, 14} (class 503) on the towns' road plan: animal houses between the paths on
// grass, fifteen escaped monkeys and bystanders on the paths, ten penguins to lead home, each
// mission's ten guard monkeys around the keeper in a cage on the blocks of the south row,
// tokens, the places 0-5 (0 the way out; 1-4 the jungle, the safari, the lagoon and the arctic
// exhibits; 5 the penguin house) and the certificate button. Every vehicle, beam, sound, voice,
// picture, text and movie that the zoo's tables name is made here.
#include <cmath>

#include "game/world/towns/ZooTables.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/CircusVehicles.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/TownCounterIcons.h"
#include "tools/synthetic/TownFigures.h"
#include "tools/synthetic/TownMap.h"

using namespace vqt::test;
using namespace town;

namespace {

constexpr uint8_t kDark = 29, kBrown = 27, kSkin = 15, kStraw = 17, kBlue = 19, kLit = 11;

const std::vector<Place> kPlaces = {
    {3648, 130, 3648, 60},    // 0 the way out
    {1216, 640, 1100, 640},   // 1 the jungle exhibit
    {3648, 1472, 3500, 1472}, // 2 the safari exhibit
    {2560, 1856, 2560, 1600}, // 3 the lagoon
    {320, 1472, 500, 1472},   // 4 the arctic exhibit
    {1664, 1856, 1664, 1660}, // 5 the penguin house
};

const std::vector<House> kHouses = {
    {220, 2, 1, 520, 560},  {220, 2, 3, 900, 560},   {180, 1, 0, 1450, 560}, {180, 2, 2, 1850, 560},
    {180, 1, 3, 2350, 560}, {200, 2, 0, 2750, 620},  {200, 1, 2, 3300, 640}, {200, 2, 3, 700, 1400},
    {240, 2, 2, 1700, 1400}, {200, 1, 1, 2600, 1350}, {300, 1, 0, 3328, 1400},
};

/// The left edge of each mission's block in the south row.
constexpr int16_t kMissionBlocks[] = {404, 1300, 2196};

/// A cone of light thrown ahead of a vehicle at one of its 32 headings (as the vehicles' own
/// pictures: 0 down the screen, counter-clockwise), centred on the vehicle.
Picture Beam(int heading) {
    Picture p(140, 90);
    const double a = heading * 3.14159265358979 / 16.0;
    const double ux = std::sin(a), uy = std::cos(a);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const double gx = x - p.width / 2, gy = 2.0 * (y - p.height / 2);
            const double along = gx * ux + gy * uy, across = gx * uy - gy * ux;
            if (along > 30 && along < 70 && std::abs(across) < (along - 20) / 2) p.at(x, y) = kLit;
        }
    return p;
}

/// The beam's part: state h lights heading h, in each of the vehicle's two groups.
PartPlan BeamPart() {
    std::vector<std::vector<Picture>> states;
    for (int group = 0; group < 2; ++group)
        for (int h = 0; h < 32; ++h) states.push_back({Beam(h)});
    return circus::PartOf(states);
}

/// The chunks the zoo names that no other screen makes.
void AddZooChunks(GameData& data) {
    using namespace towns::zoo;
    for (const TownVehicle& v : kVehicles) {
        AddVehicleParts(data, v.value, ChunkEntryOf(v.part), ChunkEntryOf(v.light), 15, 30);
        AddTownTone(data, ChunkEntryOf(v.haltSound), "Zoo halt " + std::to_string(v.value));
        AddTownTone(data, ChunkEntryOf(v.engineLoop), "Zoo engine " + std::to_string(v.value));
    }
    for (const BeamFit& b : kBeams) {
        AddSharedPart(data, BeamPart(), ChunkEntryOf(b.part));
        AddTownTone(data, ChunkEntryOf(b.sound), "Zoo beam " + std::to_string(b.vehicle));
    }
    AddTownCounterIcons(data, kTaskCounters, kMissionCounters, circus::PartOf({{circus::Coin()}}), circus::PartOf({{circus::Coin()}}));
    for (const ChunkId sound : {kSirenSound, kMusic, kTaskDoneSound, kPenguinAttachedSound, MakeChunkId(7, 838)})
        AddTownTone(data, ChunkEntryOf(sound), "Zoo sound " + std::to_string(ChunkEntryOf(sound)));
    for (const TownLine& l : kZooLines) AddTownTone(data, l.voice, "Zoo voice " + std::to_string(l.voice));
    for (const TownChallenge& a : kZooAreas) {
        AddTownPicture(data, ChunkEntryOf(a.picture), uint8_t(30 + a.flag));
        // The panel asks the area's repeat question.
        AddTownText(data, ChunkEntryOf(a.text), towns::FindLine(kZooLines, a.repeatLine)->caption);
    }
    AddTownMovie(data, ChunkEntryOf(kMissionMovie), 349.0);
}

} // namespace

void AddZooTown(GameData& data) {
    AddZooChunks(data);
    TownMap map{.entry = ChunkEntryOf(towns::zoo::kTownActivity), .classId = towns::zoo::kClassId, .name = "Zoo",
                .groundTile = circus::kGrassTile, .places = kPlaces, .houses = kHouses, .props = {},
                .certificate = ChunkEntryOf(towns::zoo::kEndActivity)};

    // The paths: monkeys, penguins, bystanders and tokens, none on a place.
    const auto paths = RoadPoints(15 + 10 + 4 + 6, 2, kPlaces);
    auto take = [&, next = size_t(0)](size_t count) mutable {
        std::vector<std::array<int16_t, 2>> points(paths.begin() + long(next), paths.begin() + long(next + count));
        next += count;
        return points;
    };
    const uint32_t monkey = FigurePart(data, Figure::Monkey, kBrown);
    PlaceAll(map.props, kAvoider, towns::zoo::kMonkeys, monkey, take(15));
    PlaceAll(map.props, kFollower, towns::zoo::kPenguins, FigurePart(data, Figure::Penguin, kDark), take(10));
    PlaceAll(map.props, kAvoider, 0, FigurePart(data, Figure::Person, kBlue), take(4));
    PlaceAll(map.props, kToken, kBadge, PartOfPictures(data, {{circus::Coin()}}), take(6));

    // Each mission's guard monkeys around its keeper, caged in the south row.
    const uint32_t guard = FigurePart(data, Figure::Monkey, kSkin);
    const uint32_t keeper = FigurePart(data, Figure::Person, kStraw);
    const uint32_t cage = CagePart(data, kStraw);
    for (int16_t m = 0; m < 3; ++m) {
        const int16_t left = kMissionBlocks[m];
        PlaceAll(map.props, kGuard, uint32_t(towns::zoo::kFirstGuards + m), guard, Grid(10, 5, 70, left, 2000));
        map.props.push_back({kPen, uint32_t(towns::zoo::kFirstKeeper + m), cage, int16_t(left + 540), 2150});
        map.props.push_back({kCaptive, uint32_t(towns::zoo::kFirstKeeper + m), keeper, int16_t(left + 530), 2170});
    }
    for (int16_t x : {70, 440, 1000, 1500, 2100, 2700, 3200})
        map.props.push_back({kSimple, 0, PartOfPictures(data, {{circus::Tree(112)}}), x, 130});
    AddTownMap(data, map);
}
