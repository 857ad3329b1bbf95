// The city {1, 0, 17} (class 501) on the towns' road plan: office blocks between the roads,
// twenty criminals and bystanders on the streets, fifteen piles of stolen loot, each mission's
// eleven destructibles with its captive in a cage on the blocks of the south row, tokens, the
// places 0-4 (0 the way out; 1-4 the candy store, Main Street, the bank and the warehouse) and
// the certificate button. Every vehicle, sound, voice, picture, text and movie that the city's
// tables name is made here.
#include "game/world/towns/CityTables.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/CircusVehicles.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/TownCounterIcons.h"
#include "tools/synthetic/TownFigures.h"
#include "tools/synthetic/TownMap.h"

using namespace vqt::test;
using namespace town;

namespace {

constexpr uint8_t kDark = 29, kRed = 23, kStraw = 17, kBlue = 19;

const std::vector<Place> kPlaces = {
    {3648, 130, 3648, 60},    // 0 the way out
    {1216, 640, 1100, 640},   // 1 the candy store
    {3648, 1472, 3500, 1472}, // 2 Main Street
    {2560, 1856, 2560, 1600}, // 3 the bank
    {320, 1472, 500, 1472},   // 4 the warehouse
};

const std::vector<House> kHouses = {
    {220, 4, 1, 520, 560},  {220, 4, 1, 900, 560},   {180, 3, 0, 1450, 560}, {180, 4, 2, 1850, 560},
    {180, 3, 3, 2350, 560}, {200, 4, 0, 2750, 620},  {200, 3, 2, 3300, 640}, {200, 2, 3, 700, 1400},
    {240, 3, 2, 1700, 1400}, {200, 2, 1, 2600, 1350}, {300, 2, 0, 3328, 1400},
};

/// The left edge of each mission's block in the south row.
constexpr int16_t kMissionBlocks[] = {404, 1300, 2196};

/// The chunks the city names that no other screen makes.
void AddCityChunks(GameData& data) {
    using namespace towns::city;
    for (const TownVehicle& v : kVehicles) {
        AddVehicleParts(data, v.value, ChunkEntryOf(v.part), ChunkEntryOf(v.light), 15, 30);
        AddTownTone(data, ChunkEntryOf(v.haltSound), "City halt " + std::to_string(v.value));
        AddTownTone(data, ChunkEntryOf(v.engineLoop), "City engine " + std::to_string(v.value));
    }
    // A canister stands, flies and lands: a thrown one flies in state 1 and lands in the last,
    // which hides it once played, so the flight needs a state of its own before the landing.
    for (const CanisterBurst& b : kCanisterBursts)
        AddSharedPart(data, circus::PartOf({{circus::Coin()}, {circus::Coin(), circus::Sack(0)}, {circus::Sack(0)}}),
                      ChunkEntryOf(b.part));
    AddTownCounterIcons(data, kTaskCounters, kMissionCounters, circus::PartOf({{circus::Coin()}}), circus::PartOf({{circus::Crate(0)}}));
    for (const ChunkId sound : {kSirenSound, kMusic, kArrivalSound, kTaskDoneSound, MakeChunkId(7, 838)})
        AddTownTone(data, ChunkEntryOf(sound), "City sound " + std::to_string(ChunkEntryOf(sound)));
    for (const TownLine& l : kCityLines) AddTownTone(data, l.voice, "City voice " + std::to_string(l.voice));
    for (const TownChallenge& a : kCityAreas) {
        AddTownPicture(data, ChunkEntryOf(a.picture), uint8_t(30 + a.flag));
        // The panel asks the area's repeat question.
        AddTownText(data, ChunkEntryOf(a.text), towns::FindLine(kCityLines, a.repeatLine)->caption);
    }
    AddTownMovie(data, ChunkEntryOf(kMissionMovie), 392.0);
}

} // namespace

void AddCityTown(GameData& data) {
    AddCityChunks(data);
    TownMap map{.entry = ChunkEntryOf(towns::city::kTownActivity), .classId = towns::city::kClassId, .name = "City",
                .groundTile = circus::kPavingTile, .places = kPlaces, .houses = kHouses, .props = {},
                .certificate = ChunkEntryOf(towns::city::kEndActivity)};

    // The streets: criminals, loot, bystanders and tokens, none on a place.
    const auto street = RoadPoints(20 + 15 + 4 + 6, 1, kPlaces);
    auto take = [&, next = size_t(0)](size_t count) mutable {
        std::vector<std::array<int16_t, 2>> points(street.begin() + long(next), street.begin() + long(next + count));
        next += count;
        return points;
    };
    const uint32_t person = FigurePart(data, Figure::Person, kDark);
    PlaceAll(map.props, kAvoider, towns::city::kCriminals, person, take(20));
    PlaceAll(map.props, kBag, towns::city::kLoot, PartOfPictures(data, {{circus::Sack(0)}, {circus::Sack(-4), circus::Sack(4)}}), take(15));
    PlaceAll(map.props, kAvoider, 0, FigurePart(data, Figure::Person, kBlue), take(4));
    PlaceAll(map.props, kToken, kBadge, PartOfPictures(data, {{circus::Coin()}}), take(6));

    // Each mission's destructibles and its captive in a cage beside them, in the south row.
    const uint32_t crate = PartOfPictures(data, {{circus::Crate(0)}, {circus::Crate(1)}, {circus::Crate(2)}, {circus::Crate(3)}});
    const uint32_t captive = FigurePart(data, Figure::Person, kRed);
    const uint32_t cage = CagePart(data, kStraw);
    for (int16_t m = 0; m < 3; ++m) {
        const int16_t left = kMissionBlocks[m];
        PlaceAll(map.props, kDestructible, uint32_t(towns::city::kFirstMissionProps + m), crate,
                 Grid(towns::city::kMissionQuota, 4, 70, left, 2000));
        // Each keeps its state in the record's extra word of its index in the set.
        for (int16_t i = 0; i < towns::city::kMissionQuota; ++i)
            map.props[map.props.size() - size_t(towns::city::kMissionQuota - i)].recordWord = int16_t(towns::city::kFirstStateWord + i);
        map.props.push_back({kPen, uint32_t(towns::city::kFirstCaptive + m), cage, int16_t(left + 540), 2150});
        map.props.push_back({kCaptive, uint32_t(towns::city::kFirstCaptive + m), captive, int16_t(left + 530), 2170});
    }
    for (int16_t x : {70, 440, 1000, 1500, 2100, 2700, 3200})
        map.props.push_back({kSimple, 0, PartOfPictures(data, {{circus::Tree(96)}}), x, 130});
    AddTownMap(data, map);
}
