// The three round-ups {1, 0, 18} (circus town), {1, 0, 23} (zoo) and {1, 0, 25} (city): small
// tiled driving worlds of 20 x 15 tiles of 64 pixels with twelve loose animals (object id 1,
// more than level 3 keeps), four badges (object id 2) and a few blockers; and every art, voice
// and text the round-ups name that the game data lacks so far: the vehicles and their lights,
// the track marks (32 headings and their fading copies), the animals (standing, walking,
// acting and caught), what the vehicles throw and the zoo's beams, the panel pictures and
// icons, the voices and the panels' texts.
#include <cmath>
#include <string>
#include <vector>

#include "game/minigames/roundup/RoundUpTowns.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ImageWriters.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/GameTexts.h"

using namespace vqt::test;

namespace {

constexpr int16_t kColumns = 20, kRows = 15, kTile = 64;
constexpr int kHeadings = 32;
constexpr uint32_t kAnimalClass = 2500, kTokenClass = 1540, kBlockerClass = 1530;

/// The world's colours by index: ground and its pattern, then the props'.
constexpr uint8_t kMark = 1, kBody = 2, kShade = 3, kBadge = 4, kPanel = 5, kWall = 6, kWhite = 7;

std::vector<uint8_t> Palette() {
    std::vector<uint8_t> rgb(256 * 3, 0);
    const uint8_t colours[][3] = {{0, 0, 0},     {70, 50, 30},   {200, 90, 60}, {40, 40, 40},
                                  {250, 210, 40}, {60, 80, 160}, {120, 110, 100}, {250, 250, 250}};
    for (size_t i = 0; i < std::size(colours); ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + size_t(c)] = colours[i][c];
    return rgb;
}

Picture Filled(int w, int h, uint8_t fill) { return Picture(w, h, fill); }

PartPlan Plain(int w, int h, uint8_t fill, int states = 1) {
    PartPlan part;
    part.palette = Palette();
    for (int s = 0; s < states; ++s)
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = Filled(w, h, fill), .hotX = int16_t(w / 2),
                                                             .hotY = int16_t(h / 2)}}});
    return part;
}

/// A box with a stripe pointing along heading h (of 32), so each heading looks its own.
Picture Heading(int w, int h, uint8_t fill, int heading) {
    Picture p(w, h, fill);
    const double a = heading * 6.283185307 / kHeadings;
    for (int r = 0; r < w / 2; ++r) {
        const int x = w / 2 + int(r * std::cos(a)), y = h / 2 + int(r * std::sin(a) * h / w);
        if (x >= 0 && x < w && y >= 0 && y < h) p.at(x, y) = kWhite;
    }
    return p;
}

/// 32 headings in two groups (a vehicle or its light).
PartPlan HeadingPart(int w, int h, uint8_t fill) {
    PartPlan part;
    part.palette = Palette();
    for (int g = 0; g < 2; ++g)
        for (int s = 0; s < kHeadings; ++s)
            part.states.push_back(StatePlan{.frames = {FramePlan{.picture = Heading(w, h, fill, s),
                                                                 .hotX = int16_t(w / 2), .hotY = int16_t(h / 2)}}});
    return part;
}

/// A track mark in each heading, then the same marks fading out over three frames.
PartPlan MarkPart() {
    PartPlan part;
    part.palette = Palette();
    for (int fading = 0; fading < 2; ++fading)
        for (int s = 0; s < kHeadings; ++s) {
            StatePlan state;
            const int frames = fading ? 3 : 1;
            for (int f = 0; f < frames; ++f) {
                Picture p(6, 6, f == 2 ? kShade : kMark);
                state.frames.push_back(FramePlan{.picture = p, .hotX = 3, .hotY = 3, .duration = uint16_t(fading ? 6 : 60000)});
            }
            part.states.push_back(state);
        }
    return part;
}

/// An animal: standing (0), walking (1-3), acting (4) and caught (5), each a frame or two.
PartPlan AnimalPart(uint8_t fill) {
    PartPlan part;
    part.palette = Palette();
    for (int s = 0; s < 6; ++s) {
        StatePlan state;
        for (int f = 0; f < (s == 5 ? 4 : 2); ++f) {
            Picture p(24, 20, fill);
            for (int x = 0; x < 24; ++x) p.at(x, (s * 3 + f * 5) % 20) = s == 5 ? kBadge : kShade;
            state.frames.push_back(FramePlan{.picture = p, .hotX = 12, .hotY = 18});
        }
        part.states.push_back(state);
    }
    return part;
}

void AddVoiceOnce(GameData& data, ChunkId id) {
    const uint16_t entry = ChunkEntryOf(id);
    AddSharedTone(data, entry, 300.0 + entry % 500, "Round-up voice " + std::to_string(entry));
}

/// The chunk name of the texts this file writes.
constexpr const char* kRoundUpText = "Round-up text";

ObjectPlan Placed(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan prop{.classId = classId, .objectId = objectId, .partId = part};
    prop.properties.Pair(50, 1, x, y);
    return prop;
}

struct RoundUpPlan {
    const RoundUpTown* town;
    uint32_t classId;
    uint16_t entry;
    const char* name;
    /// The two ground colours of the chequered map (0x00RRGGBB).
    uint32_t ground[2];
};

void AddRoundUp(GameData& data, const RoundUpPlan& plan) {
    const RoundUpTown& town = *plan.town;
    for (const RoundUpTown::Vehicle& v : town.vehicles) {
        AddSharedPart(data, HeadingPart(60, 40, kBody), ChunkEntryOf(v.part));
        AddSharedPart(data, HeadingPart(12, 12, kBadge), ChunkEntryOf(v.light));
        AddSharedPart(data, MarkPart(), ChunkEntryOf(v.markArt));
        AddSharedPart(data, Plain(160, 90, kBody), ChunkEntryOf(v.startPicture));
        AddVoiceOnce(data, v.haltSound);
        AddVoiceOnce(data, v.engineSound);
    }
    AddSharedPart(data, InCounterSlot(Plain(24, 24, kBody), 0), ChunkEntryOf(town.counterIcon));
    // The count caught stands in the middle of the win card's dark band, above the yellow badge.
    PartPlan winCard = Plain(220, kScoreCardHeight, kShade);
    winCard.states[0].frames[0].picture = ScoreCard(Filled(220, 50, kBadge), kShade, kWhite);
    AddSharedPart(data, winCard, ChunkEntryOf(town.winPicture));
    AddSharedPart(data, Plain(220, 140, kPanel), ChunkEntryOf(town.easierArt));
    AddVoiceOnce(data, town.winSound);
    // The music after the start panel; the certificates play the same tunes.
    AddSharedTone(data, town.music, 200.0 + town.music % 100, "Music " + std::to_string(town.music));
    for (const RoundUpTown::Hint& hint : town.hints)
        for (int c = 0; c < hint.choices; ++c) AddVoiceOnce(data, MakeChunkId(7, hint.voices[c]));
    AddGameTextById(data, town.title, u"Round them up", kRoundUpText);
    const char16_t* levels[] = {u"Level 1", u"Level 2", u"Level 3"};
    for (int l = 0; l < 3; ++l) AddGameTextById(data, town.levelTexts[l], levels[l], kRoundUpText);
    AddGameTextById(data, town.easierText, u"Do you want an easier round-up?", kRoundUpText);

    const std::vector<uint32_t> colours = {0, plan.ground[0], plan.ground[1]};
    const uint32_t sheet = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(kTile, kTile, 2, 1, colours)),
                                              {.entry = plan.entry, .name = plan.name, .property = FrameProperty(1)});
    std::vector<uint16_t> tiles(size_t(kColumns) * kRows);
    for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = uint16_t((i / kColumns + i % kColumns) % 2);
    ActivityPlan world{.classId = plan.classId, .backgroundId = sheet,
                       .properties = TiledActivityProps(kColumns, kRows, kTile, kTile, tiles)};
    world.properties.Pair(50, 1, kColumns * kTile / 2, kRows * kTile / 2).Short(200, 1, kCounterBarPanelMode);

    const uint32_t animal = data.parts.AddPart(AnimalPart(kBody)).part;
    const uint32_t badge = data.parts.AddPart(Plain(16, 16, kBadge)).part;
    const uint32_t wall = data.parts.AddPart(Plain(96, 48, kWall)).part;
    // Twelve animals in three rows across the middle, well inside the border band.
    for (int i = 0; i < 12; ++i)
        world.objects.push_back(Placed(kAnimalClass, 1, animal, int16_t(380 + (i % 4) * 180), int16_t(330 + (i / 4) * 140)));
    for (int i = 0; i < 4; ++i)
        world.objects.push_back(Placed(kTokenClass, 2, badge, int16_t(300 + i * 230), int16_t(760)));
    for (const CPoint16 at : {CPoint16(260, 250), CPoint16(1020, 250), CPoint16(640, 800)}) {
        ObjectPlan blocker = Placed(kBlockerClass, 0, wall, at.x, at.y);
        blocker.properties.Byte(1100, 3, 0).Byte(1100, 4, 1);
        world.objects.push_back(blocker);
    }
    data.file.AddChunk(GameData::kActivities, ActivityData(world), {.entry = plan.entry, .name = plan.name});
}

} // namespace

void AddRoundUps(GameData& data) {
    const RoundUpPlan plans[] = {
        {&round_up_towns::kCircus, 450, 18, "Circus round-up", {0x00C8B070u, 0x00B8A060u}},
        {&round_up_towns::kZoo, 453, 23, "Zoo round-up", {0x00509040u, 0x00448038u}},
        {&round_up_towns::kCity, 451, 25, "City round-up", {0x00808088u, 0x00707078u}},
    };
    AddSharedPart(data, Plain(560, 420, kPanel), 349);
    AddSharedPart(data, Plain(120, 50, kBadge), 9);
    AddSharedPart(data, Plain(120, 50, kPanel), 1147);
    AddSharedPart(data, InCounterSlot(Plain(24, 24, kBadge), kBadgeCounterSlot), 54);
    for (uint16_t voice : {189, 570, 574, 45, 564, 58, 16, 108, 779, 65, 67, 129, 130}) AddVoiceOnce(data, MakeChunkId(7, voice));
    // What the vehicles throw (the city's particles, the circus drops) and the zoo's beams.
    for (uint16_t thrown : {675, 676, 128}) AddSharedPart(data, Plain(10, 10, kBadge, 3), thrown);
    for (uint16_t beam : {478, 674}) AddSharedPart(data, Plain(40, 60, kWhite, 2), beam);
    AddGameTextById(data, MakeChunkId(17, 4), u"Well done!", kRoundUpText);
    for (const RoundUpPlan& plan : plans) AddRoundUp(data, plan);
}
