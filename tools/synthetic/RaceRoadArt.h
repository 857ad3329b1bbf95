#pragma once
// What the road races' generated roads are drawn and written with: the shared palette, verge
// shapes and pieces, the tall background and the writer of catalogues, paths and collision
// lists. Each race's road is a list of four catalogues: left and right verge, finish left and
// finish right.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "engine/data/ChunkId.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ImageWriters.h"
#include "tools/synthetic/GameData.h"

namespace race_road {

using namespace vqt::test;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kRowsPerSection = 2;
constexpr int kRow = kHeight / kRowsPerSection;
constexpr int kVerge = 56; // grass at both ends of every piece
constexpr int kKerb = 8;
constexpr int kLeftPictureWidth = 2 * 192;
constexpr int kRightPictureWidth = 2 * kWidth;

enum : uint8_t {
    kClear = 0, kGrass, kGrassDark, kRoad, kRoadLine, kKerbRed, kKerbWhite, kBadge, kBadgeRim, kCrate, kCrateDark,
    kRat, kRatDark, kWall, kRoof, kWater, kCollider, kColourCount,
};

uint32_t Rgb(int r, int g, int b);
std::vector<uint32_t> Colours();
std::vector<uint8_t> PartColours();
/// Grass with a darker speckle that repeats the same way every run.
uint8_t GrassAt(int x, int y);
/// The verge's width at row y of a piece: its shape's bump over the plain verge.
using Shape = std::function<int(int y)>;
Shape Bump(int height);
uint8_t VergeAt(int fromEdge, int width, int y);
vqt::test::Picture LeftPiece(const Shape& shape);
vqt::test::Picture RightPiece(const Shape& shape);
/// The plain verge of the finish, on both sides.
Shape Finish();
vqt::test::Picture Filled(int w, int h, uint8_t colour);
/// One frame per picture in each state, the hot spot at the picture's centre.
vqt::test::PartPlan PartOf(const std::vector<std::vector<vqt::test::Picture>>& states);
/// The tall picture of `sections` stages: grass verges and a road with a dashed middle line.
vqt::test::IndexedPicture Background(int sections);

/// What one catalogue entry is made of.
struct PieceSpec {
    Shape shape;
    std::vector<std::pair<int, int>> points; // object points (x, y) in the piece's row
    std::vector<int> successors;             // pieces of the same catalogue, by index
};

class RoadWriter {
public:
    RoadWriter(GameData& data, uint16_t roadList) : data_(data), nextList_(uint16_t(roadList + 1)), nextPath_(roadList) {}

    uint32_t List(const std::vector<uint32_t>& ids, const char* name) {
        return data_.file.AddChunk(GameData::kChunkLists, ChunkListData(ids), {.entry = nextList_++, .name = name});
    }

    uint32_t Path(const std::vector<std::pair<int, int>>& points) {
        // The origin is split off the points, as drawn paths keep it.
        PathPlan plan;
        plan.values[0] = uint32_t(kRow / 2 * 256);
        plan.values[1] = uint32_t(kWidth / 2 * 256);
        for (const auto& [x, y] : points) {
            PathRecordPlan r;
            r.words[0] = uint32_t((y - kRow / 2) * 256);
            r.words[1] = uint32_t((x - kWidth / 2) * 256);
            plan.records.push_back(r);
        }
        return data_.file.AddChunk(GameData::kPaths, PathData(plan), {.entry = nextPath_++});
    }

    /// A piece part; its third word names its collision list when it has one.
    uint32_t Piece(const Picture& picture, uint32_t collisionList) {
        PartPlan plan = PartOf({{picture}});
        plan.words[2] = uint16_t(collisionList == 0 ? 0 : ChunkEntryOf(collisionList));
        return data_.parts.AddPart(plan).part;
    }

    /// The catalogue of the pieces: their parts, each piece's entry list (part, path,
    /// successors) and the catalogue list over them. `extra` is added to the successor lists.
    uint32_t Catalogue(const std::vector<PieceSpec>& specs, const std::function<Picture(const Shape&)>& draw,
                       bool colliders, const std::vector<std::vector<uint32_t>>& extra, const char* name) {
        std::vector<uint32_t> parts;
        for (const PieceSpec& s : specs) {
            uint32_t collision = 0;
            if (colliders) {
                int widest = 0;
                for (int y = 0; y < kRow; ++y) widest = std::max(widest, s.shape(y));
                const uint32_t box = data_.parts.AddPart(PartOf({{Filled(2 * (widest + kKerb), kRow, kCollider)}})).part;
                collision = List({box}, "Collision list");
            }
            parts.push_back(Piece(draw(s.shape), collision));
        }
        std::vector<uint32_t> entries;
        for (size_t i = 0; i < specs.size(); ++i) {
            std::vector<uint32_t> next;
            for (int s : specs[i].successors) next.push_back(parts[size_t(s)]);
            if (i < extra.size()) next.insert(next.end(), extra[i].begin(), extra[i].end());
            entries.push_back(List({parts[i], Path(specs[i].points), List(next, "Successors")}, "Road piece"));
        }
        lastParts_ = parts;
        return List(entries, name);
    }

    const std::vector<uint32_t>& LastParts() const { return lastParts_; }

private:
    GameData& data_;
    uint16_t nextList_;
    uint16_t nextPath_;
    std::vector<uint32_t> lastParts_;
};

} // namespace race_road
