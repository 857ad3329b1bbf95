// The three track-turning puzzles {1, 0, 13} (circus town), {1, 0, 10} (zoo) and {1, 0, 24}
// (city): each activity holds its go button and two crowds (object ids 0 and 1); and every
// art, voice and text their puzzles name that the game data lacks so far: the straight and
// curve tiles (resting at four rotations with their exits drawn, and four-frame quarter
// turns), the vehicles and their lights (32 headings in two groups), the waiting people, the
// badge, the pointer, the tile highlight, the panel pictures and icons, the voices and the
// panels' texts; the towns' characters, the circus smoke and the zoo's spot lights.
#include <cmath>
#include <string>
#include <vector>

#include "game/minigames/puzzle/PuzzleTownValues.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/GameTexts.h"

using namespace vqt::test;

namespace {

/// Colour indices of the puzzles' palette.
constexpr uint8_t kRail = 1, kSleeper = 2, kGround = 3, kEdge = 4, kRed = 5, kYellow = 6, kGreen = 7, kBlue = 8, kSkin = 9, kWhite = 10;

std::vector<uint8_t> Palette() {
    std::vector<uint8_t> rgb(256 * 3, 0);
    const uint8_t colours[][3] = {{0, 0, 0},       {90, 90, 100},  {140, 90, 40},  {120, 170, 90},
                                  {60, 100, 50},   {220, 40, 40},  {250, 210, 40}, {40, 170, 60},
                                  {50, 90, 220},   {240, 190, 150}, {250, 250, 250}};
    for (size_t i = 0; i < std::size(colours); ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + size_t(c)] = colours[i][c];
    return rgb;
}

constexpr int kTileW = 114, kTileH = 58;
/// The point a resting tile's frame holds: a character lifts the tile by up to this much.
constexpr int16_t kLiftPointY = 20;
/// A character's frames per state: the lift follows them and ends at the last.
constexpr int kCharacterFrames = 5;

/// The screen direction of a grid exit (north, west, south, east) from a tile's centre.
void ExitDirection(int exit, double* dx, double* dy) {
    const double steps[4][2] = {{-57, -29}, {57, -29}, {57, 29}, {-57, 29}};
    *dx = steps[exit & 3][0] / 2;
    *dy = steps[exit & 3][1] / 2;
}

/// The tile's diamond with a rail from its centre toward each exit; `turn` (0 to 1) turns the
/// rails a part of a quarter for the turning frames.
Picture TileAt(bool straight, int rotation, double turn) {
    Picture p(kTileW, kTileH);
    const double cx = kTileW / 2.0, cy = kTileH / 2.0;
    for (int y = 0; y < kTileH; ++y)
        for (int x = 0; x < kTileW; ++x) {
            const double d = std::abs(x - cx) / cx + std::abs(y - cy) / cy;
            if (d <= 1.0) p.at(x, y) = d > 0.9 ? kEdge : kGround;
        }
    const int first = straight ? (2 + rotation) & 3 : (3 + rotation) & 3;
    const int second = straight ? rotation & 3 : rotation & 3;
    for (int exit : {first, second}) {
        double dx, dy;
        ExitDirection(exit, &dx, &dy);
        // A quarter turn moves each exit to the next one: part of the way in between.
        double nx, ny;
        ExitDirection(exit + 1, &nx, &ny);
        const double ex = dx + (nx - dx) * turn, ey = dy + (ny - dy) * turn;
        for (int s = 0; s <= 60; ++s) {
            const int x = int(cx + ex * s / 60.0), y = int(cy + ey * s / 60.0);
            for (int w = -2; w <= 2; ++w)
                if (x + w >= 0 && x + w < kTileW && y >= 0 && y < kTileH) p.at(x + w, y) = std::abs(w) == 2 ? kSleeper : kRail;
        }
    }
    return p;
}

PartPlan TilePart(bool straight) {
    PartPlan part;
    part.palette = Palette();
    for (int r = 0; r < 4; ++r)
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = TileAt(straight, r, 0), .hotX = kTileW / 2, .hotY = kTileH / 2,
                                                             .offsetY = kLiftPointY}}});
    for (int r = 0; r < 4; ++r) {
        StatePlan turn;
        for (int f = 0; f < 4; ++f)
            turn.frames.push_back(FramePlan{.picture = TileAt(straight, r, f / 4.0), .hotX = kTileW / 2, .hotY = kTileH / 2, .duration = 5});
        part.states.push_back(turn);
    }
    return part;
}

/// A coloured box with a mark toward the heading (32 headings, two groups a shade apart).
PartPlan HeadingPart(uint8_t colour, int width, int height) {
    PartPlan part;
    part.palette = Palette();
    for (int g = 0; g < 2; ++g)
        for (int h = 0; h < 32; ++h) {
            Picture p(width, height, 0);
            for (int y = height / 4; y < height * 3 / 4; ++y)
                for (int x = width / 4; x < width * 3 / 4; ++x) p.at(x, y) = g == 0 ? colour : kWhite;
            const double a = h * 2 * 3.14159265 / 32;
            for (int s = 0; s < width / 2; ++s) {
                const int x = width / 2 + int(std::sin(a) * s), y = height / 2 - int(std::cos(a) * s / 2);
                if (x >= 0 && x < width && y >= 0 && y < height) p.at(x, y) = kYellow;
            }
            part.states.push_back(StatePlan{.frames = {FramePlan{.picture = p, .hotX = int16_t(width / 2), .hotY = int16_t(height / 2)}}});
        }
    return part;
}

/// A plain picture of one colour in `states` states (each a shade of its own).
PartPlan Plain(int width, int height, uint8_t colour, int states = 1) {
    PartPlan part;
    part.palette = Palette();
    for (int s = 0; s < states; ++s)
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(width, height, uint8_t(colour + s)),
                                                            .hotX = int16_t(width / 2), .hotY = int16_t(height / 2)}}});
    return part;
}

/// A waiting person: standing (frame 0), two waving frames and a walking one.
PartPlan PersonPart(uint8_t shirt) {
    PartPlan part;
    part.palette = Palette();
    for (int f = 0; f < 4; ++f) {
        Picture p(20, 40, 0);
        for (int y = 0; y < 40; ++y)
            for (int x = 6; x < 14; ++x) p.at(x, y) = y < 10 ? kSkin : y < 28 ? shirt : kBlue;
        if (f == 1 || f == 2)
            for (int y = 4; y < 14; ++y) p.at(f == 1 ? 2 : 17, y) = kSkin;
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = p, .hotX = 10, .hotY = 20}}});
    }
    return part;
}

/// A town's puzzle character: rising out of its tile (state 0), standing on it with its arms
/// up (1) and sinking back (2), five frames each.
PartPlan CharacterPart(uint8_t body) {
    PartPlan part;
    part.palette = Palette();
    for (int s = 0; s < 3; ++s) {
        StatePlan state;
        for (int f = 0; f < kCharacterFrames; ++f) {
            const int shown = s == 0 ? f + 1 : s == 1 ? kCharacterFrames : kCharacterFrames - f;
            // Drawn under its tile, so only what rises above the tile's top shows.
            const int top = 70 - shown * 14;
            Picture p(36, 70, 0);
            for (int y = top; y < 70; ++y)
                for (int x = 8; x < 28; ++x) p.at(x, y) = y < top + 10 ? kWhite : body;
            if (s == 1)
                for (int y = top; y < top + 16; ++y) p.at(f % 2 == 0 ? 3 : 32, y) = body;
            state.frames.push_back(FramePlan{.picture = p, .hotX = 18, .hotY = 60, .duration = 8});
        }
        part.states.push_back(state);
    }
    return part;
}

/// A puff of smoke: flying (state 0) and thinning out where it lands (1).
PartPlan SmokePart() {
    PartPlan part;
    part.palette = Palette();
    auto puff = [](int radius, uint8_t colour) {
        Picture p(16, 16, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if ((x - 8) * (x - 8) + (y - 8) * (y - 8) <= radius * radius) p.at(x, y) = colour;
        return FramePlan{.picture = p, .hotX = 8, .hotY = 8, .duration = 4};
    };
    part.states.push_back(StatePlan{.frames = {puff(6, kWhite)}});
    part.states.push_back(StatePlan{.frames = {puff(7, kWhite), puff(5, kEdge), puff(3, kEdge)}});
    return part;
}

/// A spot light: a pool of yellow light round the vehicle and a cone toward each of the 32
/// headings.
PartPlan SpotLightPart() {
    PartPlan part;
    part.palette = Palette();
    for (int h = 0; h < 32; ++h) {
        Picture p(90, 60, 0);
        for (int y = 20; y < 40; ++y)
            for (int x = 25; x < 65; ++x)
                if ((x - 45) * (x - 45) + 4 * (y - 30) * (y - 30) <= 400) p.at(x, y) = kYellow;
        const double a = h * 2 * 3.14159265 / 32;
        for (int s = 8; s < 44; ++s)
            for (int w = -s / 4; w <= s / 4; ++w) {
                const int x = 45 + int(std::sin(a) * s + std::cos(a) * w), y = 30 - int((std::cos(a) * s - std::sin(a) * w) / 2);
                if (x >= 0 && x < 90 && y >= 0 && y < 60) p.at(x, y) = kYellow;
            }
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = p, .hotX = 45, .hotY = 30}}});
    }
    return part;
}

void AddPartOnce(GameData& data, ChunkId id, const PartPlan& plan) {
    AddSharedPart(data, plan, ChunkEntryOf(id));
}

void AddVoiceOnce(GameData& data, uint16_t entry) {
    AddSharedTone(data, entry, 300.0 + entry % 500, "Puzzle voice " + std::to_string(entry));
}

/// The chunk name of the texts this file writes.
constexpr const char* kPuzzleText = "Puzzle text";

void AddTown(GameData& data, const PuzzleTownValues& town, uint32_t goButton, uint32_t crowd) {
    AddPartOnce(data, town.straightArt, TilePart(true));
    AddPartOnce(data, town.curveArt, TilePart(false));
    for (int v = 0; v < 2; ++v) {
        AddPartOnce(data, town.vehicleArts[v], HeadingPart(kRed, 60, 40));
        AddPartOnce(data, town.lightArts[v], HeadingPart(kBlue, 12, 12));
        AddPartOnce(data, puzzle_towns::kPanelVehicles[town.firstVehicle + v], Plain(160, 90, kRed));
    }
    const uint8_t shirts[] = {kRed, kGreen, kYellow, kBlue};
    for (int i = 0; i < 4; ++i) AddPartOnce(data, town.personArts[i], PersonPart(shirts[i]));
    AddPartOnce(data, town.endPicture, Plain(220, kScoreCardHeight, kGreen));
    AddPartOnce(data, town.peopleIcon, InCounterSlot(Plain(24, 24, kSkin), 0));
    AddPartOnce(data, town.leavePicture, Plain(220, 140, kBlue));
    AddPartOnce(data, town.characterArt, CharacterPart(town.city ? kBlue : town.angleTest ? kGreen : kRed));
    for (const ChunkId voice : {town.endVoices[0], town.endVoices[1], town.farewellVoice, town.siren})
        AddVoiceOnce(data, ChunkEntryOf(voice));
    AddGameTextById(data, town.title, u"Turn the tracks", kPuzzleText);
    const char16_t* levels[] = {u"Level 1", u"Level 2", u"Level 3"};
    for (int l = 0; l < 3; ++l) AddGameTextById(data, town.levelPictures[l], levels[l], kPuzzleText);
    AddGameTextById(data, town.leaveText, u"Do you want to leave the puzzle?", kPuzzleText);

    ObjectPlan go{.classId = 1630, .objectId = 0, .partId = goButton};
    go.properties.Pair(50, 1, 580, 420);
    ObjectPlan left{.classId = 1620, .objectId = 0, .partId = crowd};
    left.properties.Pair(50, 1, 60, 420);
    ObjectPlan right{.classId = 1620, .objectId = 1, .partId = crowd};
    right.properties.Pair(50, 1, 60, 60);
    ActivityPlan puzzle{.classId = town.classId,
                        .backgroundId = ChunkIdOf(GameData::kFrames, 5),
                        .paletteId = ChunkIdOf(GameData::kPalettes, 5),
                        .objects = {go, left, right}};
    puzzle.properties.Pair(50, 1, 320, 240).Short(200, 1, kCounterBarPanelMode);
    data.file.AddChunk(GameData::kActivities, ActivityData(puzzle), {.entry = town.ownEntry, .name = town.name});
}

} // namespace

void AddPuzzles(GameData& data, const std::vector<const PuzzleTownValues*>& towns) {
    // Going (green), ready (yellow) and stopped (red); the crowd resting and cheering.
    PartPlan go = Plain(80, 40, kGreen, 1);
    go.states.push_back(Plain(80, 40, kYellow).states[0]);
    go.states.push_back(Plain(80, 40, kRed).states[0]);
    const uint32_t goButton = data.parts.AddPart(go).part;
    const uint32_t crowd = data.parts.AddPart(Plain(100, 60, kBlue, 3)).part;
    AddPartOnce(data, MakeChunkId(2, 70), Plain(kTileW, kTileH, kYellow));
    AddPartOnce(data, puzzle_towns::kBadgeArt, Plain(16, 16, kYellow));
    AddPartOnce(data, puzzle_towns::kBadgeIcon, InCounterSlot(Plain(24, 24, kYellow), kBadgeCounterSlot));
    AddPartOnce(data, puzzle_towns::kPointerArt, Plain(12, 12, kWhite));
    for (uint16_t voice : {692, 693, 694, 695, 696, 721, 723, 724, 725, 726, 727, 728, 729, 730, 700, 570, 838, 96})
        AddVoiceOnce(data, voice);
    for (const ChunkId sound : puzzle_towns::kEngineSounds) AddVoiceOnce(data, ChunkEntryOf(sound));
    AddGameTextById(data, puzzle_towns::kEndTitle, u"Well done!", kPuzzleText);
    AddPartOnce(data, puzzle_towns::kSprayArt, SmokePart());
    for (int v = 0; v < 2; ++v) {
        AddPartOnce(data, puzzle_towns::kSpotLightArts[v], SpotLightPart());
        AddVoiceOnce(data, ChunkEntryOf(puzzle_towns::kSpraySounds[v]));
        AddVoiceOnce(data, ChunkEntryOf(puzzle_towns::kSpotLightSounds[v]));
    }
    for (const PuzzleTownValues* town : towns) AddTown(data, *town, goButton, crowd);
}

void AddPuzzles(GameData& data) { AddPuzzles(data, {&puzzle_towns::kCircus, &puzzle_towns::kZoo, &puzzle_towns::kCity}); }
