// What the circus town's play needs beside its map: the fires of the fire task on the roads and
// the running fire characters (twenty in all, a new player's quota), the puppies, the three
// missions' fires with a captive behind a pen each, the smoke, the puppies' counter icon, the
// challenge areas' pictures and texts, the mission's movie and the town's voices and sounds.
#include <cmath>
#include <string>
#include <vector>

#include "tools/builders/ChunkFileBuilder.h"
#include "tools/builders/MovieClips.h"
#include "tools/synthetic/CircusTownArt.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

void AddCircusTownSounds(GameData& data);

namespace {

enum : uint32_t { kFire = 1550, kFollower = 2410, kAvoider = 2420, kCaptive = 2440, kPen = 2450 };
enum : uint32_t { kTaskId = 1, kPuppyId = 2, kFirstMissionFireId = 3, kFirstCaptiveId = 6 };

// The fire task's fires stand in rows on the two roads that run down the middle of the map, with
// open road below them: the spray puts a fire out only as its drops fly up across its foot, so
// a vehicle coming up the road from the crossing below puts a row out in one run. Clear of the
// places, the cones and the bystanders' roads.
constexpr int kTaskFireSpots[][2] = {
    {1216, 1130}, {1216, 1250}, {1216, 1370}, {1216, 1870}, {1216, 1990}, {2112, 240},  {2112, 360},
    {2112, 480},  {2112, 1130}, {2112, 1250}, {2112, 1370}, {2112, 1870}, {2112, 1990}, {2112, 2110},
};
constexpr int kFireCharacters = 6;
constexpr int kPuppies = 10;
/// A mission's fires: as many as a new player's third quota asks.
constexpr size_t kMissionFires = 10;
constexpr int kRoadColumns[] = {2, 9, 16, 23, 28};
constexpr int kRoadRows[] = {2, 8, 14, 20};

constexpr uint8_t kRed = 23, kYellow = 11, kDark = 29, kBrown = 27;

ObjectPlan At(uint32_t classId, uint32_t objectId, uint32_t part, int x, int y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, int16_t(x), int16_t(y));
    return object;
}

/// A spot beside a road: road line `n` of the rows and columns in turn, a step along it.
void BesideRoad(int n, int step, int* x, int* y) {
    const int lines = int(std::size(kRoadRows) + std::size(kRoadColumns));
    const int line = n % lines;
    const int along = 300 + (step * 457 + n * 131) % 3300;
    if (line < int(std::size(kRoadRows))) {
        *x = along;
        *y = kRoadRows[line] * circus::kTile + circus::kTile / 2 + (n % 2 ? 90 : -90);
    } else {
        *x = kRoadColumns[line - int(std::size(kRoadRows))] * circus::kTile + circus::kTile / 2 + (n % 2 ? 90 : -90);
        *y = 200 + (step * 389 + n * 97) % 2500;
    }
}

/// A figure of `body` colour with a flame over its head (a fire character), or a small dog.
Picture Runner(uint8_t body, int pose, bool burning) {
    Picture p(28, 48);
    const int step = pose % 3 - 1;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 28; ++x) {
            const bool head = std::hypot(x - 14, y - 14) < 6;
            const bool flame = burning && y < 8 && std::abs(x - 14) < 8 - y;
            const bool trunk = y >= 20 && y < 36 && x >= 8 && x < 20;
            const bool legs = y >= 36 && (std::abs(x - 11 - step * 3) < 3 || std::abs(x - 17 + step * 3) < 3);
            if (flame) p.at(x, y) = kYellow;
            else if (head || trunk || legs) p.at(x, y) = head ? kDark : body;
        }
    return p;
}

Picture Puppy(int pose) {
    Picture p(30, 20);
    const int step = pose % 3 - 1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool body = y >= 6 && y < 13 && x >= 5 && x < 25;
            const bool head = y >= 1 && y < 9 && x < 8;
            const bool legs = y >= 13 && (std::abs(x - 8 - step * 2) < 2 || std::abs(x - 21 + step * 2) < 2);
            if (body || head || legs) p.at(x, y) = kBrown;
        }
    return p;
}

/// A pen of bars around straw, the captive's ground.
Picture PenBars() {
    Picture p(140, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 140; ++x) {
            if (x % 14 == 0 || y < 3 || y >= 97) p.at(x, y) = kDark;
            else if (y >= 60) p.at(x, y) = kYellow;
        }
    return p;
}

Picture Puff(int size) {
    Picture p(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (std::hypot(x - 20, y - 20) < size) p.at(x, y) = kDark;
    return p;
}

/// A picture of one colour with a band across it, for the panels and icons.
Picture Card(int w, int h, uint8_t colour, uint8_t band) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = (y > h / 3 && y < 2 * h / 3) ? band : colour;
    return p;
}

uint32_t Part(GameData& data, const std::vector<std::vector<Picture>>& states) {
    return data.parts.AddPart(circus::PartOf(states)).part;
}

struct ChallengeText {
    uint16_t picture;
    uint16_t text;
    const char16_t* words;
};
constexpr ChallengeText kChallenges[] = {
    {1081, 65, u"The apartments: rescue the people from the smoke!"},
    {1083, 64, u"The fireworks factory: race to the fire!"},
    {1082, 63, u"The big top: trouble under the tent!"},
    {1084, 67, u"The park: round up the animals!"},
};

} // namespace

std::vector<ObjectPlan> CircusTownTasks(GameData& data, uint32_t firePart) {
    std::vector<ObjectPlan> objects;
    int x = 0, y = 0;
    for (const auto& [fireX, fireY] : kTaskFireSpots) objects.push_back(At(kFire, kTaskId, firePart, fireX, fireY));
    std::vector<std::vector<Picture>> runner, dog;
    for (int pose = 0; pose < 19; ++pose) {
        runner.push_back({Runner(kRed, pose, pose < 12)});
        dog.push_back({Puppy(pose)});
    }
    const uint32_t character = Part(data, runner);
    const uint32_t puppy = Part(data, dog);
    for (int i = 0; i < kFireCharacters; ++i) {
        BesideRoad(i + 3, 2, &x, &y);
        objects.push_back(At(kAvoider, kTaskId, character, x, y));
    }
    // The puppies play in two rows on the grass above the dog house, in the block it stands in.
    for (int i = 0; i < kPuppies; ++i)
        objects.push_back(At(kFollower, kPuppyId, puppy, 1380 + (i % 5) * 140, 1250 + (i / 5) * 150));
    // Each mission: the captive behind its pen, and its fires where the fire task's stood (put
    // out by then), each mission's from another of them on.
    constexpr int kMissionPlaces[][2] = {{800, 2450}, {1650, 2500}, {3330, 1700}};
    const uint32_t pen = Part(data, {{PenBars()}});
    const uint32_t lion = Part(data, {{Runner(kYellow, 0, false)}, {Runner(kYellow, 1, false)}, {Runner(kYellow, 2, false)}});
    for (uint32_t m = 0; m < 3; ++m) {
        const int cx = kMissionPlaces[m][0], cy = kMissionPlaces[m][1];
        for (size_t i = 0; i < kMissionFires; ++i) {
            const auto& [fireX, fireY] = kTaskFireSpots[(i + 4 * m) % std::size(kTaskFireSpots)];
            objects.push_back(At(kFire, kFirstMissionFireId + m, firePart, fireX, fireY));
        }
        objects.push_back(At(kPen, kFirstCaptiveId + m, pen, cx, cy));
        objects.push_back(At(kCaptive, kFirstCaptiveId + m, lion, cx, cy + 20));
    }
    return objects;
}

void AddCircusTownExtras(GameData& data) {
    // The drop {2, 0, 128} and the fire and badge icons {2, 0, 53} and {2, 0, 54} are the
    // arcade's and the race's, which share them.
    AddSharedPart(data, circus::PartOf({{Puff(14), Puff(10), Puff(6)}, {Puff(16)}}), 1069);
    // The puppies are the first counter, the fires the second (the race's icon, in slot 1).
    AddSharedPart(data, InCounterSlot(circus::PartOf({{Puppy(0)}}), 0), 52);
    for (const ChallengeText& c : kChallenges) {
        AddSharedPart(data, circus::PartOf({{Card(200, 120, uint8_t(40 + c.picture % 7), kRed)}}), c.picture);
        AddGameText(data, c.text, c.words, "Circus challenge " + std::to_string(c.text));
    }
    data.file.AddChunk(GameData::kMovies, MakeMovieClip({.width = 320, .height = 240, .frames = 20, .toneHz = 550.0}),
                       {.entry = 2, .name = "Circus mission movie"});
    AddCircusTownSounds(data);
}
