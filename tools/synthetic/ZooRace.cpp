// The zoo race {1, 0, 9} (class 443): the circus race's kind of road, with its own pieces and
// points. Left: straight, bulge and narrowing, each leading to the others; right: the same with
// different points. The finish pieces stand alone. Clothes, badges and flashlights on the road
// are the race's to turn; monkeys come from their points.
#include "tools/synthetic/ZooRace.h"

#include <string>
#include <utility>

#include "engine/graphics/FrameImage.h"

#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/RaceRoadArt.h"

using namespace vqt::test;
using namespace race_road;
using namespace zoo_race;

namespace {

/// The background's frame and palette entries.
constexpr uint16_t kPictureEntry = 621;
constexpr int kVehicleStates = 64;
constexpr int kBeamStates = 12;
constexpr int kBeamGap = 30;

/// A shirt: a body with two sleeves.
Picture Shirt(uint8_t colour) {
    Picture p(30, 26, kClear);
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 30; ++x)
            if ((x >= 8 && x < 22) || y < 8) p.at(x, y) = colour;
    return p;
}

/// A monkey: a round brown head over a body, its arms up or down.
Picture Monkey(bool armsUp) {
    Picture p(28, 40, kClear);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 28; ++x) {
            const int dx = x - 14, head = (y - 8) * (y - 8) + dx * dx, body = dx * dx * 3 + (y - 26) * (y - 26);
            if (head <= 49 || body <= 120) p.at(x, y) = kCrate;
        }
    for (int i = 0; i < 10; ++i) p.at(2 + i / 3, armsUp ? 18 - i : 22 + i) = p.at(25 - i / 3, armsUp ? 18 - i : 22 + i) = kCrateDark;
    return p;
}

/// A cone of light, wider in the wide states.
Picture Cone(int state) {
    const int spread = state >= 5 ? 60 : 30;
    Picture p(2 * spread + 2, 120, kClear);
    for (int y = 0; y < 120; ++y) {
        const int half = spread * (120 - y) / 120 + 2;
        const int shift = (state % 5 - 2) * (120 - y) / 8;
        for (int x = spread - half + shift; x <= spread + half + shift; ++x)
            if (x >= 0 && x < p.width) p.at(x, y) = kBadge;
    }
    return p;
}

/// A half of the zoo park entrance: a wall with bars and a pillar at the road's side.
Picture GateHalf(bool left) {
    Picture p(200, 140, kWall);
    for (int x = 20; x < 180; x += 20)
        for (int y = 30; y < 140; ++y) p.at(x, y) = kRoof;
    for (int y = 0; y < 140; ++y)
        for (int x = 0; x < 24; ++x) p.at(left ? 199 - x : x, y) = kCrateDark;
    return p;
}

PartPlan StatesOf(int count, Picture (*draw)(int)) {
    std::vector<std::vector<Picture>> states;
    for (int s = 0; s < count; ++s) states.push_back({draw(s)});
    return PartOf(states);
}

Picture Van(int) { return Filled(40, 64, kWall); }
Picture Lamp(int) { return Filled(10, 10, kBadge); }

void AddArt(GameData& data) {
    for (size_t i = 0; i < std::size(kClothesParts); ++i)
        AddSharedPart(data, PartOf({{Shirt(uint8_t(i % 2 ? kKerbRed : kWater))}}), kClothesParts[i]);
    for (uint16_t obstacle : kObstacleParts)
        AddSharedPart(data, PartOf({{Filled(36, 30, kRoof)}, {Filled(36, 18, kRoof)}}), obstacle);
    AddSharedPart(data, PartOf({{Filled(12, 30, kRoadLine)}}), kFlashlightPart);
    std::vector<std::vector<Picture>> monkey;
    for (int s = 0; s < 8; ++s) monkey.push_back({Monkey(false), Monkey(true)});
    AddSharedPart(data, PartOf(monkey), kMonkeyPart);
    AddSharedPart(data, PartOf({{GateHalf(false)}}), kFinishParts[0]);
    AddSharedPart(data, PartOf({{GateHalf(true)}}), kFinishParts[1]);
    AddSharedPart(data, InCounterSlot(PartOf({{Shirt(kWater)}}), 0), kScoreIcon);
    for (int v = 0; v < 2; ++v) {
        AddSharedPart(data, StatesOf(kVehicleStates, Van), kVehicleParts[v]);
        AddSharedPart(data, StatesOf(kVehicleStates, Lamp), kLightParts[v]);
        // The cone reaches ahead of the vehicle: the race places the beam at the vehicle's
        // position less the frame point, which lies below the cone's narrow end.
        PartPlan beam = StatesOf(kBeamStates, Cone);
        for (StatePlan& state : beam.states) state.frames[0].offsetY = int16_t(state.frames[0].picture.height / 2 + kBeamGap);
        AddSharedPart(data, beam, kBeamParts[v]);
    }
    for (uint16_t picture : {1036, 808, 1131, 1096}) AddSharedPart(data, PartOf({{Filled(120, 60, kCrate)}}), picture);
    for (uint16_t decoration : {484, 490, 491, 489}) AddSharedPart(data, PartOf({{Filled(30, 18, kGrassDark)}}), decoration);

    for (uint16_t voice : {840, 841, 996, 997, 998, 995, 1009, 1010, 1012, 863, 864, 1013, 866, 868, 1014, 855, 1008,
                           857, 1006, 1092})
        AddSharedTone(data, voice, 220.0 + voice % 300, "Zoo race voice " + std::to_string(voice));
    for (uint16_t sound : {5, 16, 129, 130, 576})
        AddSharedTone(data, sound, 300.0 + sound % 500, "Zoo race sound " + std::to_string(sound));
    const std::pair<uint16_t, const char16_t*> texts[] = {
        {15, u"Shine the monkeys and pick up the clothes they drop."},
        {98, u"Shine the monkeys and pick up their clothes. The road is busier now."},
        {104, u"Shine the monkeys and pick up their clothes. The road is at its busiest."},
        {20, u"Zoo race"},
        {251, u"You left the race early."},
    };
    for (const auto& [entry, text] : texts) AddGameText(data, entry, text, "Zoo race text " + std::to_string(entry));
}

} // namespace

void AddZooRace(GameData& data) {
    AddArt(data);
    RoadWriter road(data, kRoadList);
    const uint32_t finishLeft = road.Catalogue({{Finish(), {{160, 120}}, {0}}}, LeftPiece, true, {}, "Zoo finish left");
    const uint32_t finishRight = road.Catalogue({{Finish(), {{480, 120}}, {0}}}, RightPiece, false, {}, "Zoo finish right");
    const uint32_t left = road.Catalogue({{Bump(0), {{220, 80}, {420, 170}}, {0, 1, 2}},
                                          {Bump(48), {{340, 110}}, {0, 2}},
                                          {Bump(-20), {{250, 50}, {390, 200}}, {0, 1}}},
                                         LeftPiece, true, {}, "Zoo left verge");
    const uint32_t right = road.Catalogue({{Bump(0), {{430, 120}}, {0, 1, 2}},
                                           {Bump(48), {{260, 150}, {370, 40}}, {0, 2}},
                                           {Bump(-20), {{310, 100}}, {0, 1}}},
                                          RightPiece, false, {}, "Zoo right verge");
    data.file.AddChunk(GameData::kChunkLists, ChunkListData({left, right, finishLeft, finishRight}),
                       {.entry = kRoadList, .name = "Zoo race road"});

    const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(Background(kSections)),
                                                   {.entry = kPictureEntry, .name = "Zoo race road", .property = FrameProperty(kFrameBmp)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(Colours()), {.entry = kPictureEntry, .name = "Zoo race"});
    ActivityPlan race{.classId = 443, .backgroundId = background, .paletteId = palette};
    // The view's centre puts the picture's top left corner at the stage's.
    race.properties.Pair(50, 1, kWidth / 2, kSections * kHeight / 2)
        .Short(200, 1, kCounterBarPanelMode)
        .Short(205, 1, int16_t(kRoadList))
        .Long(205, 2, uint32_t(kRowsPerSection))
        .Long(205, 3, uint32_t(kBandHeight));
    data.file.AddChunk(GameData::kActivities, ActivityData(race), {.entry = kScreen, .name = "Zoo race"});
}
