// The circus race {1, 0, 11} (class 440): a road four stages high between grass verges with
// striped kerbs. The road list names four catalogues (left and right verge, finish left and
// finish right). Every piece is a row of 240 pixels whose verge meets its neighbours' at the
// same width; the pieces carry object points on the road, and the left pieces collision boxes
// over their verge. Two start pieces lead nowhere: the left lay-by's successor list is empty
// (a dead end), and the right one's names a finish piece, which its catalogue lacks.
//
// The race places each piece with its centre at the left edge of the stage and at the top of
// its row, so a piece picture is twice as wide as the part of the stage it covers: the left
// verge shows in the right half of its picture, the right verge in the last columns of a
// picture twice the stage's width, and a collision box reaches as far into the road as it
// reaches off the stage. The right verge's boxes would cover the whole road, so the right
// pieces have none: the stage's right edge is their verge.
#include "tools/synthetic/CircusRace.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ImageWriters.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/RaceRoadArt.h"

using namespace vqt::test;
using namespace circus_race;
using namespace race_road;

namespace {

/// The background's frame and palette entries.
constexpr uint16_t kPictureEntry = 611;

Picture Badge() {
    Picture p(28, 28, kClear);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x) {
            const int d = (x - 14) * (x - 14) + (y - 14) * (y - 14);
            if (d <= 169) p.at(x, y) = d >= 121 ? uint8_t(kBadgeRim) : uint8_t(kBadge);
        }
    return p;
}

Picture Crate(int cracks) {
    Picture p(36, 36, kCrate);
    for (int i = 0; i < 36; ++i) {
        p.at(i, 0) = p.at(i, 35) = p.at(0, i) = p.at(35, i) = kCrateDark;
        p.at(i, i) = kCrateDark;
    }
    for (int c = 0; c < cracks; ++c)
        for (int i = 4; i < 32; ++i) p.at(35 - i, i) = kCrateDark;
    return p;
}

Picture Rat(int stride) {
    Picture p(24, 40, kClear);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 24; ++x) {
            const int dx = x - 12, dy = y - 18;
            if (dx * dx * 4 + dy * dy <= 196) p.at(x, y) = kRat;
        }
    for (int y = 32; y < 40; ++y) p.at(12 + (y % 4 < 2 ? stride : -stride), y) = kRatDark; // the tail
    p.at(9, 8) = p.at(14, 8) = kRatDark;
    return p;
}

/// A half of the fireworks factory at the finish; the left half has its roof's slope at the left.
Picture FactoryHalf(bool left) {
    Picture p(200, 140, kWall);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            const int slope = left ? 200 - x : x;
            p.at(x, y) = y * 5 >= 200 - slope ? uint8_t(kRoof) : uint8_t(kClear);
        }
    for (int y = 60; y < 120; y += 30)
        for (int x = 30; x < 170; x += 50)
            for (int i = 0; i < 16; ++i)
                for (int j = 0; j < 16; ++j) p.at(x + i, y + j) = kWater;
    return p;
}

Picture Drop(int size) {
    Picture p(size, size, kClear);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((x - r) * (x - r) + (y - r) * (y - r) <= r * r) p.at(x, y) = kWater;
    return p;
}

/// A flame on the road, taller in its second frame.
Picture Flame(int lick) {
    Picture p(30, 40, kClear);
    for (int y = 0; y < 40; ++y) {
        const int half = (y + lick) * 15 / (40 + lick);
        for (int x = 15 - half; x < 15 + half; ++x) p.at(x, y) = std::abs(x - 15) < half / 2 ? uint8_t(kBadge) : uint8_t(kKerbRed);
    }
    return p;
}

/// A rocket standing on its stick.
Picture Rocket(uint8_t body) {
    Picture p(14, 40, kClear);
    for (int y = 0; y < 28; ++y)
        for (int x = 2; x < 12; ++x) p.at(x, y) = y < 6 && std::abs(x - 7) > y ? uint8_t(kClear) : body;
    for (int y = 28; y < 40; ++y) p.at(7, y) = kCrateDark;
    return p;
}

/// A ring of sparks, wider as it fades.
Picture Sparkle(int radius) {
    Picture p(2 * radius + 2, 2 * radius + 2, kClear);
    for (int a = 0; a < 16; ++a) {
        const double t = a * 3.14159265 / 8.0;
        p.at(radius + int(std::lround(radius * std::cos(t))), radius + int(std::lround(radius * std::sin(t)))) = kBadge;
    }
    return p;
}

/// A round grey puff.
Picture Puff(int size) {
    Picture p(size, size, kClear);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((x - r) * (x - r) + (y - r) * (y - r) <= r * r) p.at(x, y) = kRat;
    return p;
}

} // namespace

void AddCircusRace(GameData& data) {
    AddSharedPart(data, PartOf({{Badge()}}), kTokenPart);
    AddSharedPart(data, PartOf({{Crate(0)}, {Crate(1)}, {Crate(2)}, {Crate(3)}}), kObstaclePart);
    std::vector<std::vector<Picture>> rat;
    for (int s = 0; s < 8; ++s) rat.push_back({Rat(s % 2 ? 3 : 0), Rat(s % 2 ? -3 : 0)});
    AddSharedPart(data, PartOf(rat), kRacerPart);
    AddSharedPart(data, PartOf({{FactoryHalf(false)}}), kFinishParts[0]);
    AddSharedPart(data, PartOf({{FactoryHalf(true)}}), kFinishParts[1]);
    // The drop is also the circus town's fire counter, its second: it stands in slot 1 here too.
    AddSharedPart(data, InCounterSlot(PartOf({{Badge()}}), kBadgeCounterSlot), kBadgeIcon);
    AddSharedPart(data, InCounterSlot(PartOf({{Drop(20)}}), 1), kScoreIcon);
    AddSharedPart(data, PartOf({{Drop(12)}, {Drop(20)}}), kShotPart);

    AddSharedTone(data, kGoalSound, 987.77, "Goal");
    RoadWriter road(data, kRoadList);
    const uint32_t finishLeft = road.Catalogue({{Finish(), {{160, 120}}, {0}}}, LeftPiece, true, {}, "Finish left");
    const uint32_t finishRight = road.Catalogue({{Finish(), {{480, 120}}, {0}}}, RightPiece, false, {}, "Finish right");
    const uint32_t finishPiece = road.LastParts().front();
    // Left: straight, bulge, narrowing, and the lay-by that only a start can pick (a dead end).
    const uint32_t left = road.Catalogue({{Bump(0), {{200, 60}, {430, 180}}, {0, 1, 2}},
                                          {Bump(64), {{330, 120}}, {0, 2}},
                                          {Bump(-24), {{260, 40}, {380, 200}}, {0, 1}},
                                          {Bump(100), {{400, 100}}, {}}},
                                         LeftPiece, true, {}, "Left verge");
    // Right: the same shapes; its start-only piece names the finish piece, which it lacks.
    const uint32_t right = road.Catalogue({{Bump(0), {{440, 100}}, {0, 1, 2}},
                                           {Bump(64), {{250, 160}, {360, 30}}, {0, 2}},
                                           {Bump(-24), {{300, 90}}, {0, 1}},
                                           {Bump(100), {{220, 140}}, {}}},
                                          RightPiece, false, {{}, {}, {}, {finishPiece}}, "Right verge");
    data.file.AddChunk(GameData::kChunkLists, ChunkListData({left, right, finishLeft, finishRight}),
                       {.entry = kRoadList, .name = "Circus race road"});

    const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(Background(kSections)),
                                                   {.entry = kPictureEntry, .name = "Circus race road", .property = FrameProperty(kFrameBmp)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(Colours()), {.entry = kPictureEntry, .name = "Circus race"});
    ActivityPlan race{.classId = 440, .backgroundId = background, .paletteId = palette};
    // The view's centre puts the picture's top left corner at the stage's.
    race.properties.Pair(50, 1, kStageWidth / 2, kSections * kStageHeight / 2)
        .Short(200, 1, kCounterBarPanelMode)
        .Short(205, 1, int16_t(kRoadList))
        .Long(205, 2, uint32_t(circus_race::kRowsPerSection))
        .Long(205, 3, uint32_t(kBandHeight));
    data.file.AddChunk(GameData::kActivities, ActivityData(race), {.entry = kScreen, .name = "Circus race"});
}

void AddCircusRaceArt(GameData& data) {
    // The race's voices, sounds and texts.
    for (uint16_t voice : {686, 687, 688, 689, 690, 691, 308, 703, 704, 705, 706, 707, 708, 709, 710, 711, 699, 698, 222,
                           223, 387})
        AddSharedTone(data, voice, 220.0 + voice % 300, "Circus race voice " + std::to_string(voice));
    for (uint16_t sound : {45, 65, 67, 570, 574, 575})
        AddSharedTone(data, sound, 300.0 + sound % 500, "Circus race sound " + std::to_string(sound));
    const std::pair<uint16_t, const char16_t*> texts[] = {
        {8, u"Spray the fires on the way to the fireworks factory."},
        {79, u"Spray the fires and the rats. The road is busier now."},
        {80, u"Spray the fires and the rats. The road is at its busiest."},
        {17, u"Fireworks factory race"},
        {250, u"You left the race early."},
    };
    for (const auto& [entry, text] : texts) AddGameText(data, entry, text, "Circus race text " + std::to_string(entry));

    // What the circus race itself shows beside the test kit's parts.
    for (uint16_t fire : kFireParts) AddSharedPart(data, PartOf({{Flame(0), Flame(6)}, {Puff(24)}}), fire);
    for (uint16_t barrel : kBarrelParts) AddSharedPart(data, PartOf({{Crate(0)}, {Crate(2)}}), barrel);
    AddSharedPart(data, PartOf({{Rocket(kKerbRed)}}), kFireworksParts[0]);
    AddSharedPart(data, PartOf({{Rocket(kRoof)}}), kFireworksParts[1]);
    AddSharedPart(data, PartOf({{Sparkle(10), Sparkle(16), Sparkle(22)}}), kFlashPart);
    AddSharedPart(data, PartOf({{Puff(20), Puff(28), Puff(36)}}), kSmokePart);
    AddSharedPart(data, PartOf({{Drop(10)}, {Drop(14)}, {Drop(18)}}), kSprayPart);
    // The intro panel's pictures of the two fire engines and the end panel's of the factory.
    AddSharedPart(data, PartOf({{Filled(120, 60, kKerbRed)}}), kIntroPictures[0]);
    AddSharedPart(data, PartOf({{Filled(140, 60, kKerbRed)}}), kIntroPictures[1]);
    AddSharedPart(data, PartOf({{ScoreCard(FactoryHalf(true), kRoad, kRoadLine)}}), kEndPicture);
    for (uint16_t decoration : kDecorationParts) AddSharedPart(data, PartOf({{Filled(30, 18, kGrassDark)}}), decoration);
}
