// The circus town {1, 0, 8} (the first town's world, class 500): a map of 31 x 23 tiles of
// 128 pixels (3968 x 2944, the world's grid of search cells) with roads between blocks of
// houses, the big top on its sand (the blocker of object id 100), a park with a pond, the dog
// house, the fireworks factory with its awning (the add-on) and the ticket booth on its shaped
// base beside the start. On it: every shared prop
// (bags, fires, lamps, tokens, crates, cones, manholes to spawn from and ducks that hide),
// bystanders wandering among the houses,
// trees that fade when they cover the vehicle, the six places where something happens
// (Interaction_Point 0 the way out, 1-4 the challenges, 5 the dog house), a way-point flag and
// the ten collectable quotas. The top left corner, where the view starts, shows a little of
// everything, and the button in the stage's top right corner leads to the town's certificate.
// The city and the zoo take the same button.
#include <array>
#include <vector>

#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/CircusBystanders.h"
#include "tools/synthetic/CircusCharacters.h"
#include "tools/synthetic/CircusTownTasks.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/CircusVehicles.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/Garage.h"
#include "tools/synthetic/GroundProps.h"
#include "tools/synthetic/ScreenButtons.h"

using namespace vqt::test;
using namespace circus;

namespace {

constexpr int16_t kColumns = 31;
constexpr int16_t kRows = 23;
constexpr std::array kRoadColumns = {2, 9, 16, 23, 28};
constexpr std::array kRoadRows = {2, 8, 14, 20};

template <size_t N>
bool Holds(const std::array<int, N>& list, int value) {
    for (int v : list)
        if (v == value) return true;
    return false;
}

bool In(int col, int row, int col0, int col1, int row0, int row1) { return col >= col0 && col <= col1 && row >= row0 && row <= row1; }

/// The tile of each map cell, row by row: roads and crossings on the road lines, the circus
/// ground in sand, the pond in the park, the factory's yard paved, grass with flowers elsewhere.
std::vector<uint16_t> Tiles() {
    std::vector<uint16_t> tiles;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) {
            const bool across = Holds(kRoadRows, row);
            const bool down = Holds(kRoadColumns, col);
            Tile t = kGrassTile;
            if (across && down) t = kCrossing;
            else if (across) t = kRoadAcross;
            else if (down) t = kRoadDown;
            else if (In(col, row, 17, 22, 9, 13)) t = kSandTile;
            else if (In(col, row, 5, 6, 11, 12)) t = kWaterTile;
            else if (In(col, row, 24, 27, 9, 13)) t = kPavingTile;
            else if (In(col, row, 3, 8, 9, 13) || (col * 7 + row * 3) % 11 == 0) t = kFlowerTile;
            tiles.push_back(t);
        }
    return tiles;
}

enum : uint32_t {
    kSimple = 1120, kAddOn = 1130, kWayPointFlag = 1150, kPlace = 1060, kSpawn = 1500, kDestructible = 1510,
    kPushable = 1520, kBlocker = 1530, kToken = 1540, kFire = 1550, kChangeable = 1560, kHider = 1570, kBag = 1580,
};

/// Object ids that give props their roles in the town.
enum : uint32_t { kBadge = 12, kMarkedBlocker = 100 };

struct Placed {
    uint32_t classId;
    uint32_t objectId;
    int16_t x;
    int16_t y;
};

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

struct HouseAt {
    int width;
    int storeys;
    int style;
    int16_t x;
    int16_t y;
};

// Every house stands inside its block, clear of the roads.
constexpr HouseAt kHouses[] = {
    {220, 4, 1, 520, 560},   {220, 4, 1, 900, 560},   // the apartments
    {180, 2, 0, 1450, 560},  {180, 2, 2, 1850, 560},  {160, 1, 3, 1650, 880},
    {180, 2, 3, 2350, 560},  {200, 3, 0, 2750, 620},  {200, 2, 2, 3300, 640},
    {200, 2, 3, 700, 2150},  {240, 3, 2, 1650, 2200}, {200, 2, 1, 2560, 2150}, {180, 2, 0, 3300, 2200},
    {300, 2, 0, 3328, 1400}, // the fireworks factory
};

struct TreeAt {
    int size;
    int16_t x;
    int16_t y;
};

constexpr TreeAt kTrees[] = {
    {96, 70, 150},     {80, 440, 100},    {96, 1000, 120},   {112, 1500, 140},  {80, 2100, 110},   {96, 2700, 150},
    {112, 3200, 120},  {96, 3850, 300},   {80, 3850, 900},   {112, 3850, 1500}, {96, 3850, 2100},  {96, 100, 900},
    {80, 120, 1600},   {112, 100, 2300},  {112, 500, 1250},  {96, 1000, 1250},  {80, 500, 1700},   {96, 1050, 1680},
    {96, 400, 2800},   {112, 1300, 2820}, {80, 2300, 2800},  {96, 3100, 2820},  {112, 3800, 2800},
};

/// The places 0-5: where each lies on a road and the target point beside it.
struct PlaceAt {
    int16_t x, y, targetX, targetY;
};
constexpr PlaceAt kPlaces[] = {
    {3648, 130, 3648, 60},     // 0 the way out
    {1216, 640, 1100, 640},    // 1 the apartments
    {3648, 1472, 3500, 1472},  // 2 the fireworks factory
    {2560, 1856, 2560, 1600},  // 3 the big top
    {320, 1472, 500, 1472},    // 4 the park
    {1664, 1856, 1664, 1660},  // 5 the dog house
};

// The shared props, by class and object id.
constexpr Placed kShared[] = {
    {kBag, 0, 170, 120},            {kBag, 0, 2300, 1700},        {kBag, 0, 900, 1720},
    {kChangeable, 0, 540, 190},     {kChangeable, 0, 1250, 980},  {kChangeable, 0, 2240, 980},
    {kChangeable, 0, 3540, 1000},   {kToken, kBadge, 500, 320},   {kToken, kBadge, 580, 320},
    {kToken, kBadge, 1700, 1088},   {kToken, kBadge, 2400, 1088}, {kToken, kBadge, 3000, 1856},
    {kToken, kBadge, 1000, 2624},   {kToken, kBadge, 2000, 2624}, {kToken, kBadge, 3648, 2000},
    {kDestructible, 0, 180, 330},   {kDestructible, 0, 1408, 1856}, {kDestructible, 0, 3648, 2400},
    {kPushable, 0, 320, 440},       {kPushable, 0, 2496, 960},   {kPushable, 0, 1400, 2250},
    // One cone on the road by the start; one on the kerb above the factory's place, clear of
    // the road so the place can be driven onto from the crossing above.
    {kPushable, 0, 3630, 470},      {kPushable, 0, 3760, 1300},
    {kSpawn, 0, 330, 200},          {kSpawn, 0, 2816, 2240},      {kSpawn, 0, kRoadSpawnX, kSpawnRoadY},
    {kHider, 0, 768, 1536},         {kHider, 0, 860, 1480},
};

/// The quotas of object ids 1-10: as many as the map holds of each (the places' numbers are
/// not object ids of that kind).
std::array<int16_t, 10> Quotas(const std::vector<ObjectPlan>& objects) {
    std::array<int16_t, 10> quotas{};
    for (const ObjectPlan& o : objects)
        if (o.classId != kPlace && o.objectId >= 1 && o.objectId <= 10) ++quotas[o.objectId - 1];
    return quotas;
}

} // namespace

uint32_t AddCertificateButtonPart(GameData& data) {
    // Placed by its bottom centre.
    PartPlan plan;
    plan.palette = PartColours();
    for (int cracks : {0, 0, 1})
        plan.states.push_back(StatePlan{.frames = {FramePlan{.picture = Crate(cracks), .hotX = 17, .hotY = 29}}});
    return data.parts.AddPart(plan).part;
}

ObjectPlan CertificateButton(uint32_t part, uint16_t certificate) {
    ObjectPlan button{.classId = 1001, .partId = part};
    button.properties.Pair(50, 1, buttons::kTownCertificateFoot.x, buttons::kTownCertificateFoot.y).Short(50, 3, 1).Short(1001, 1, int16_t(certificate));
    return button;
}

void AddCircusTown(GameData& data) {
    auto part = [&](const std::vector<std::vector<Picture>>& states) { return data.parts.AddPart(PartOf(states)).part; };
    std::array<uint32_t, 16> sharedPart{};
    auto sharedOf = [&](uint32_t classId) -> uint32_t& { return sharedPart[(classId - kSpawn) / 10]; };
    sharedOf(kBag) = part({{Sack(0)}, {Sack(-4), Sack(4), Sack(-4), Sack(0)}});
    sharedOf(kFire) = part({{Flame(30), Flame(36), Flame(26), Flame(38)}});
    sharedOf(kChangeable) = part({{Lamp(true), Lamp(false)}, {Lamp(false)}});
    sharedOf(kToken) = part({{Coin()}});
    sharedOf(kDestructible) = part({{Crate(0)}, {Crate(1)}, {Crate(2)}, {Crate(3)}});
    sharedOf(kPushable) = part({{Cone(false)}, {Cone(true)}});
    sharedOf(kSpawn) = part({{Manhole()}});
    sharedOf(kHider) = part({{Duck(0)}, {Duck(6), Duck(12), Duck(18), Duck(24), Duck(30)}});

    const uint32_t sheet = data.file.AddChunk(GameData::kFrames, GifFile(TileSheet()),
                                              {.entry = 8, .name = "Circus town tiles", .property = FrameProperty(kFrameGif)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(Colours()), {.entry = 8, .name = "Circus town"});
    ActivityPlan town{.classId = 500, .backgroundId = sheet, .paletteId = palette,
                      .properties = TiledActivityProps(kColumns, kRows, kTile, kTile, Tiles())};
    town.properties.Pair(50, 1, kColumns * kTile / 2, kRows * kTile / 2).Short(200, 1, kCounterBarPanelMode);

    for (const HouseAt& h : kHouses) town.objects.push_back(Solid(kBlocker, 0, part({{House(h.width, h.storeys, h.style)}}), h.x, h.y));
    town.objects.push_back(Solid(kBlocker, kMarkedBlocker, part({{BigTop()}}), 2560, 1440));
    town.objects.push_back(Solid(kBlocker, 0, part({{DogHouse()}}), 1664, 1600));
    town.objects.push_back(TicketBoothProp(data));
    town.objects.push_back(Prop(kAddOn, 0, part({{Awning()}}), 3328, 1452));
    for (const TreeAt& t : kTrees) town.objects.push_back(Solid(kSimple, 0, part({{Tree(t.size)}}), t.x, t.y, true));
    for (uint32_t n = 0; n < std::size(kPlaces); ++n) {
        const PlaceAt& p = kPlaces[n];
        town.objects.push_back(PlacePad(data, n, p.x, p.y, p.targetX, p.targetY));
    }
    town.objects.push_back(Prop(kWayPointFlag, 0, part({{Flag()}}), 3648, 700));
    const Bystanders people = AddBystanders(data);
    for (const Placed& p : kShared) {
        // Crates, cones and lamps stop the vehicle; what it collects, douses or drives over does not.
        const bool solid = p.classId == kDestructible || p.classId == kPushable || p.classId == kChangeable;
        town.objects.push_back(solid ? Solid(p.classId, p.objectId, sharedOf(p.classId), p.x, p.y)
                                     : Prop(p.classId, p.objectId, sharedOf(p.classId), p.x, p.y));
        if (p.classId != kSpawn) continue;
        // A spawn point makes a bystander of the first look (kind 0). It reads no z bias, so it
        // stays hidden (the vehicle still meets its manhole's shape) and the manhole it shows
        // lies flat at its place, under the vehicle.
        town.objects.back().properties.Short(kSpawn, 1, 0).Short(kSpawn, 2, int16_t(people.spawnPartEntry)).Byte(50, 4, 0);
        town.objects.push_back(FlatPicture(sharedOf(kSpawn), Manhole().height, p.x, p.y));
    }
    town.objects.insert(town.objects.end(), people.people.begin(), people.people.end());
    for (const ObjectPlan& character : CircusCharacters(data)) town.objects.push_back(character);
    for (const ObjectPlan& task : CircusTownTasks(data, sharedOf(kFire))) town.objects.push_back(task);
    AddCircusTownExtras(data);
    town.objects.push_back(CertificateButton(AddCertificateButtonPart(data), 6));
    const std::array<int16_t, 10> quotas = Quotas(town.objects);
    for (uint32_t k = 1; k <= 10; ++k) town.properties.Short(201, k, quotas[k - 1]);
    // The bump the world plays when the vehicle runs over a spawn point or into a prop that sounds.
    data.file.AddChunk(GameData::kSnippets, Tone(196.0), {.entry = 13, .name = "Bump"});
    data.file.AddChunk(GameData::kActivities, ActivityData(town), {.entry = 8, .name = "Circus town"});
}
