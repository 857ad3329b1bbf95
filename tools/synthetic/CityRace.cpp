// The city race {1, 0, 22} (class 441): the circus race's kind of road, with its own pieces and
// points, more of them than the other races' since the city thins its sections less. Left:
// straight, bulge and narrowing, each leading to the others; right: the same with different
// points. The finish pieces stand alone. Every kind the race knows may fall on a point: junk,
// crook junk and power-ups stay, the rest the race turns into junk; crooks come out of gassed
// crook junk and drop loot or tokens.
#include "tools/synthetic/CityRace.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "engine/graphics/FrameImage.h"

#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/RaceRoadArt.h"

using namespace vqt::test;
using namespace race_road;
using namespace city_race;

namespace {

/// The background's frame and palette entries.
constexpr uint16_t kPictureEntry = 631;
constexpr int kCrookStates = 10;
constexpr int kCrookFrames = 5;

/// A box with its lid's edge, darker once it was hit.
Picture Box(int w, int h, bool hit) {
    Picture p(w, h, hit ? uint8_t(kCrateDark) : uint8_t(kCrate));
    for (int x = 0; x < w; ++x) p.at(x, 0) = p.at(x, h / 3) = p.at(x, h - 1) = kCrateDark;
    for (int y = 0; y < h; ++y) p.at(0, y) = p.at(w - 1, y) = kCrateDark;
    return p;
}

/// An old sofa or cupboard: a grey block with legs.
Picture Furniture(int w, int h, bool hit) {
    Picture p(w, h, kClear);
    for (int y = 0; y < h - 6; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = hit ? uint8_t(kRatDark) : uint8_t(kRat);
    for (int y = h - 6; y < h; ++y) p.at(2, y) = p.at(3, y) = p.at(w - 3, y) = p.at(w - 4, y) = kCrateDark;
    return p;
}

/// A money bag: a round yellow sack tied at the top.
Picture MoneyBag(int size) {
    Picture p(size, size + 6, kClear);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((x - r) * (x - r) + (y - r) * (y - r) <= r * r) p.at(x, y + 6) = kBadge;
    for (int y = 0; y < 6; ++y)
        for (int x = r - 3; x <= r + 3; ++x) p.at(x, y) = kBadgeRim;
    return p;
}

/// A gas canister standing upright.
Picture Canister(uint8_t colour) {
    Picture p(16, 30, colour);
    for (int x = 0; x < 16; ++x) p.at(x, 0) = p.at(x, 1) = kRoadLine;
    return p;
}

/// A crook in a striped shirt, its legs apart in the moving frames.
Picture Crook(int frame) {
    Picture p(24, 44, kClear);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 24; ++x) {
            const int dx = x - 12, head = (y - 7) * (y - 7) + dx * dx;
            if (head <= 36) p.at(x, y) = kWall;
            else if (y >= 14 && y < 32 && std::abs(dx) < 8) p.at(x, y) = (y / 3) % 2 ? uint8_t(kRoadLine) : uint8_t(kCrateDark);
        }
    const int stride = frame == 4 ? 5 : frame == 3 ? 8 : 2;
    for (int y = 32; y < 44; ++y) p.at(12 - stride / 2 - 1, y) = p.at(12 + stride / 2 + 1, y) = kCrateDark;
    if (frame == 3)
        for (int i = 0; i < 8; ++i) p.at(2 + i, 14 - i) = p.at(21 - i, 14 - i) = kWall; // arms up when hit
    return p;
}

/// A half of the police station: a blue wall with windows and a flag pole at the road's side.
Picture StationHalf(bool left) {
    Picture p(200, 140, kRoof);
    for (int y = 40; y < 120; y += 40)
        for (int x = 30; x < 170; x += 50)
            for (int i = 0; i < 20; ++i)
                for (int j = 0; j < 20; ++j) p.at(x + i, y + j) = kWater;
    for (int x = 0; x < 200; ++x) p.at(x, 0) = p.at(x, 1) = p.at(x, 2) = kRoadLine;
    for (int y = 0; y < 140; ++y) p.at(left ? 196 : 3, y) = kRoadLine;
    return p;
}

PartPlan Pair(Picture shown, Picture hit) { return PartOf({{std::move(shown)}, {std::move(hit)}}); }

Picture Car(int) { return Filled(40, 64, kWater); }
Picture Light(int) { return Filled(10, 10, kKerbRed); }

void AddArt(GameData& data) {
    for (size_t i = 0; i < std::size(kCrookJunkParts); ++i)
        AddSharedPart(data, Pair(Box(40, 34 + int(i) * 6, false), Box(40, 34 + int(i) * 6, true)), kCrookJunkParts[i]);
    for (size_t i = 0; i < std::size(kLootParts); ++i) AddSharedPart(data, PartOf({{MoneyBag(18 + int(i) * 3)}}), kLootParts[i]);
    for (size_t i = 0; i < std::size(kJunkParts); ++i) {
        const int w = 30 + int(i % 4) * 6;
        AddSharedPart(data, i % 2 ? Pair(Furniture(w, 30, false), Furniture(w, 30, true)) : Pair(Box(w, 28, false), Box(w, 28, true)),
                      kJunkParts[i]);
    }
    AddSharedPart(data, PartOf({{Canister(kKerbRed)}}), kPowerUpParts[0]);
    AddSharedPart(data, PartOf({{Canister(kWater)}}), kPowerUpParts[1]);
    for (uint16_t crook : kCrookParts) {
        std::vector<std::vector<Picture>> states;
        for (int s = 0; s < kCrookStates; ++s) {
            std::vector<Picture> frames;
            for (int f = 0; f < kCrookFrames; ++f) frames.push_back(Crook(f));
            states.push_back(frames);
        }
        AddSharedPart(data, PartOf(states), crook);
    }
    AddSharedPart(data, PartOf({{StationHalf(false)}}), kFinishParts[0]);
    AddSharedPart(data, PartOf({{StationHalf(true)}}), kFinishParts[1]);
    AddSharedPart(data, InCounterSlot(PartOf({{MoneyBag(20)}}), 0), kScoreIcon);
    for (uint16_t canister : kCanisterParts) AddSharedPart(data, PartOf({{Canister(kRoof)}}), canister);
    // The town's police cars and lights are the race's vehicles; these stand in without the town.
    const uint16_t vehicles[2][2] = {{698, 678}, {677, 700}};
    for (const auto& [car, light] : vehicles) {
        std::vector<std::vector<Picture>> carStates, lightStates;
        for (int s = 0; s < 64; ++s) {
            carStates.push_back({Car(s)});
            lightStates.push_back({Light(s)});
        }
        AddSharedPart(data, PartOf(carStates), car);
        AddSharedPart(data, PartOf(lightStates), light);
    }
    for (uint16_t picture : kIntroPictures) AddSharedPart(data, PartOf({{Filled(120, 60, kWater)}}), picture);
    AddSharedPart(data, PartOf({{ScoreCard(StationHalf(true), kRoad, kRoadLine)}}), kEndPicture);
    AddSharedPart(data, PartOf({{Filled(120, 60, kRoof)}}), 1094);

    for (uint16_t voice : {959, 960, 961, 962, 972, 973, 974, 975, 976, 977, 978, 980, 981, 983, 970, 968, 1095})
        AddSharedTone(data, voice, 220.0 + voice % 300, "City race voice " + std::to_string(voice));
    for (uint16_t sound : {5, 37, 41, 58, 108, 184, 570, 574, 582, 779})
        AddSharedTone(data, sound, 300.0 + sound % 500, "City race sound " + std::to_string(sound));
    const std::pair<uint16_t, const char16_t*> texts[] = {
        {39, u"Gas the junk to find the crooks, gas the crooks and pick up the loot they drop."},
        {94, u"Gas the junk and the crooks and pick up the loot. The road is busier now."},
        {100, u"Gas the junk and the crooks and pick up the loot. The road is at its busiest."},
        {32, u"Police station race"},
        {252, u"You left the race early."},
    };
    for (const auto& [entry, text] : texts) AddGameText(data, entry, text, "City race text " + std::to_string(entry));
}

} // namespace

void AddCityRace(GameData& data) {
    AddArt(data);
    RoadWriter road(data, kRoadList);
    const uint32_t finishLeft = road.Catalogue({{Finish(), {{160, 120}}, {0}}}, LeftPiece, true, {}, "City finish left");
    const uint32_t finishRight = road.Catalogue({{Finish(), {{480, 120}}, {0}}}, RightPiece, false, {}, "City finish right");
    const uint32_t left = road.Catalogue({{Bump(0), {{150, 40}, {260, 120}, {200, 200}, {330, 60}}, {0, 1, 2}},
                                          {Bump(48), {{210, 30}, {300, 150}, {190, 210}}, {0, 2}},
                                          {Bump(-20), {{140, 70}, {250, 190}, {320, 100}}, {0, 1}}},
                                         LeftPiece, true, {}, "City left verge");
    const uint32_t right = road.Catalogue({{Bump(0), {{420, 50}, {500, 140}, {390, 210}}, {0, 1, 2}},
                                           {Bump(48), {{450, 100}, {380, 180}, {510, 30}}, {0, 2}},
                                           {Bump(-20), {{470, 200}, {400, 90}, {530, 160}, {360, 20}}, {0, 1}}},
                                          RightPiece, false, {}, "City right verge");
    data.file.AddChunk(GameData::kChunkLists, ChunkListData({left, right, finishLeft, finishRight}),
                       {.entry = kRoadList, .name = "City race road"});

    const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(Background(kSections)),
                                                   {.entry = kPictureEntry, .name = "City race road", .property = FrameProperty(kFrameBmp)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(Colours()), {.entry = kPictureEntry, .name = "City race"});
    ActivityPlan race{.classId = 441, .backgroundId = background, .paletteId = palette};
    // The view's centre puts the picture's top left corner at the stage's.
    race.properties.Pair(50, 1, kWidth / 2, kSections * kHeight / 2)
        .Short(200, 1, kCounterBarPanelMode)
        .Short(205, 1, int16_t(kRoadList))
        .Long(205, 2, uint32_t(kRowsPerSection))
        .Long(205, 3, uint32_t(kBandHeight));
    data.file.AddChunk(GameData::kActivities, ActivityData(race), {.entry = kScreen, .name = "City race"});
}
