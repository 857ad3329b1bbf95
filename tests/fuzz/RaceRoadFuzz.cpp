// Builds a race road from arbitrary chunk lists and paths: the road list, catalogues, entry
// lists and successor lists may be short, negative, name themselves or each other, or name
// chunks of the wrong kind. Sections are laid, thinned and given kinds, ordinary and finish,
// and decorations are snapped with hot spots from the input (zero and negative ones too).
// The same road then runs as a race's track: sections laid, trimmed, placed from the pools
// (ordinary and finish), shifted by a wrap, cleaned up and painted into a background.
// Nothing may read out of bounds, hang, or leave two object points closer than the spacing.
// Last, a town road race of the generated game data is played, steered by the same input: the
// race, vehicle and level, the seed of its road, the frame length, when its clock runs out and
// the keys held frame by frame (RacePlay.h tells the bytes; RacePlay.cpp holds the races).
//
// Input: one flag byte, four bytes of hot spots, then chunks, each a kind byte (even "clst", odd
// "path") and the data behind a big-endian 16-bit length. The part file
// holds index 1 "part" (eight pictures), index 2 "path", index 3 "clst"; the road list is
// {3, 0, 1}.
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityProp.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/PixelSurface.h"
#include "game/minigames/race/RacePainter.h"
#include "game/minigames/race/RacePlacementRules.h"
#include "game/minigames/race/RaceRoad.h"
#include "game/minigames/race/RaceSection.h"
#include "game/minigames/race/RaceTrack.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVObject.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/RacePlay.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace {

using vqt::fuzz::Require;
using vqt::fuzz::Take;
using vqt::test::Bytes;

constexpr int kMaxChunks = 48;
constexpr int kSections = 12;

void RequireSpaced(const std::vector<CPointF>& points) {
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            Require(!(std::hypot(double(points[i].x) - points[j].x, double(points[i].y) - points[j].y) <
                      kRaceCandidateSpacing));
        }
    }
}

/// The base race's choices and goal halves of its own.
class Hooks : public CGRaceTrackHooks {
public:
    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias, bool finish) override {
        if (!finish) RaceThinCandidates(chosen, bias);
        RaceAssignKinds(chosen, kinds, finish, 4);
    }
    TLV_Object* MakeFinishProp(int32_t side) override { return &goal[side & 1]; }
    ChunkId PartForKind(int32_t kind, uint32_t) override { return MakeChunkId(1, uint16_t(1 + kind)); }
    void PlayFinishCue() override {}
    TLV_Object goal[2];
};

void RunTrack(CPartFile& file, ChunkId roadList, uint8_t flags) {
    OActivityProp race;
    race.SetVisible(1, 0);
    Hooks hooks;
    CGRaceTrack track;
    track.PropTypes() = {1100, 1540, 2480, 1510};
    track.Decorations() = {MakeChunkId(1, 2)};
    const int32_t stage = 480;
    track.Start(&file, &race, nullptr, &hooks, roadList, CGRaceRoad::Frame{640, stage, 1 + flags % 3, uint16_t(flags >> 6)});
    CPixelSurface background;
    background.Create(640, int16_t(stage * 4), 16);
    CGRacePainter painter;
    painter.Prepare(&background, 640, stage, 80 + flags % 200);
    int32_t section = 3;
    track.BuildRoad(section);
    for (int i = 0; i < 24; ++i) {
        track.SetFinishMode((flags & 0x20) != 0 && i >= 12);
        if (--section < 1) {
            section = 3;
            track.ShiftObjects(float(3 * stage), 0.0f);
            track.Objects().ShiftRacerTargets(float(3 * stage), 0.0f);
        }
        track.AddSectionAndTrim(section);
        while (track.PlaceNext(0, track.FinishMode(), section)) {
        }
        Require(track.Sections().size() <= CGRaceTrack::kMaxSections);
        track.Objects().Cleanup(CPoint16(0, int16_t((section - 1) * stage)), 640, stage);
        painter.PaintNewBand(section - 1, i % 6, track.Sections());
    }
    painter.PaintSection(section, track.Sections());
    track.Clear();
}

/// The road of the input's chunks, laid section by section and run as a track.
void RunRoad(const uint8_t* data, size_t size) {
    if (size < 5) return;
    const uint8_t flags = data[0];
    const int16_t hotY = int16_t(int8_t(data[1]) * 4 + data[2] % 4);
    const int16_t hotX = int16_t(int8_t(data[3]) * 4 + data[4] % 4);
    data += 5;
    size -= 5;

    vqt::test::ChunkFileBuilder image;
    const uint8_t parts = image.AddIndex("part", 8, 8);
    const uint8_t paths = image.AddIndex("path", 8, kMaxChunks);
    const uint8_t lists = image.AddIndex("clst", 0, kMaxChunks);
    for (int i = 0; i < 8; ++i) image.AddChunk(parts, Bytes(8, uint8_t(i)));
    for (int n = 0; n < kMaxChunks && size >= 3; ++n) {
        const bool isList = (data[0] & 1) == 0;
        ++data;
        --size;
        image.AddChunk(isList ? lists : paths, Take(data, size));
    }
    if (!image.WriteFile(vqt::fuzz::ScratchPath("race-road"))) return;
    CPartFile file;
    if (!file.Open(vqt::fuzz::ScratchPath("race-road").c_str(), 1)) return;

    xSRand(flags);
    CGRaceRoad road;
    road.LoadCatalogues(&file, MakeChunkId(lists, 1));
    road.PickStartEntries();
    const std::vector<ChunkId> decorations{MakeChunkId(parts, 1)};
    const CGRaceRoad::Frame frame{640, 480, 1 + flags % 4, uint16_t(flags >> 6)};
    for (int s = 0; s < kSections; ++s) {
        CGRaceSection section;
        const bool finish = (flags & 0x10) != 0 && s >= kSections / 2;
        road.LaySection(section, s == 0 ? 240.0f : 480.0f, finish, frame, decorations);
        RequireSpaced(section.placement.candidates);
        Require(section.placement.chosen.size() <= section.placement.candidates.size());
        RaceThinCandidates(section.placement.chosen, int16_t(int8_t(flags)));
        RaceAssignKinds(section.placement.chosen, section.placement.kinds, finish, flags % 7);
        Require(section.placement.kinds.size() == section.placement.chosen.size());
        for (const CPointF& p : section.decorations.points) {
            const CPointF snapped = RaceSnapToLattice(hotY, hotX, p, 640, 480);
            Require(std::isfinite(snapped.x) && std::isfinite(snapped.y));
        }
    }
    RunTrack(file, MakeChunkId(lists, 1), flags);
    file.Close();
}

} // namespace

// The races' text views make fonts; fontconfig keeps the character sets of the fonts it knows
// behind offsets instead of pointers, so the leak checks between inputs take that live memory
// for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    RunRoad(data, size);
    vqt::fuzz::PlayRace(std::span<const uint8_t>(data, size));
    return 0;
}
