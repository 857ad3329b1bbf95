#pragma once
// Road data of the races built chunk by chunk: pictures, paths, entry lists, catalogues and
// road lists in one part file, opened for the road's readers.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/data/PartFile.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {

/// A path point as the path stores it: whole pixels times 256 after the origin.
struct RoadPoint {
    int32_t x = 0;
    int32_t y = 0;
};

class RaceRoadFixture : public HeadlessTest {
public:
    /// One piece: its picture, its entry list and the parts its successor list names.
    struct Piece {
        uint32_t part = 0;
        uint32_t entry = 0;
        std::vector<uint32_t> successors;
    };

protected:
    RaceRoadFixture() {
        partIndex = b.AddIndex("part", 8, 200);
        pathIndex = b.AddIndex("path", 8, 200);
        clstIndex = b.AddIndex("clst", 0, 400);
    }

    uint32_t AddPart() { return b.AddChunk(partIndex, Bytes(16, 0)); }
    /// A path whose points are the given pixels; the origin is split off so that it counts.
    uint32_t AddPath(const std::vector<RoadPoint>& points, std::optional<int16_t> count = {}) {
        PathPlan plan;
        plan.count = count;
        plan.values[0] = uint32_t(3 * 256); // vertical origin
        plan.values[1] = uint32_t(5 * 256); // horizontal origin
        for (const RoadPoint& p : points) {
            PathRecordPlan r;
            r.words[0] = uint32_t((p.y - 3) * 256);
            r.words[1] = uint32_t((p.x - 5) * 256);
            plan.records.push_back(r);
        }
        return b.AddChunk(pathIndex, PathData(plan));
    }
    uint32_t AddList(const std::vector<uint32_t>& ids, std::optional<int16_t> count = {}) {
        ++listsAdded;
        return b.AddChunk(clstIndex, ChunkListData(ids, count));
    }
    /// The id the next list added will get (for lists that name themselves).
    uint32_t NextListId() const { return ChunkIdOf(clstIndex, uint16_t(listsAdded + 1)); }

    /// Pieces whose successor lists name parts; the lists and entries are added in one go.
    std::vector<Piece> AddPieces(const std::vector<std::vector<RoadPoint>>& paths,
                                 const std::vector<std::vector<int>>& successorsByPiece,
                                 const std::vector<uint32_t>& extraParts = {}) {
        std::vector<Piece> pieces(paths.size());
        for (auto& p : pieces) p.part = AddPart();
        for (size_t i = 0; i < pieces.size(); ++i) {
            for (int s : successorsByPiece[i]) pieces[i].successors.push_back(pieces[size_t(s)].part);
        }
        if (!extraParts.empty()) pieces[0].successors.insert(pieces[0].successors.end(), extraParts.begin(), extraParts.end());
        for (size_t i = 0; i < pieces.size(); ++i) {
            const uint32_t path = AddPath(paths[i]);
            const uint32_t successors = AddList(pieces[i].successors);
            pieces[i].entry = AddList({pieces[i].part, path, successors});
        }
        return pieces;
    }
    uint32_t AddCatalogue(const std::vector<Piece>& pieces) {
        std::vector<uint32_t> entries;
        for (const Piece& p : pieces) entries.push_back(p.entry);
        return AddList(entries);
    }

    void Open() {
        const std::string path = tmp / "road.vqk";
        ASSERT_TRUE(b.WriteFile(path));
        ASSERT_TRUE(file.Open(path.c_str(), 1));
    }

    ChunkFileBuilder b;
    uint8_t partIndex = 0;
    uint8_t pathIndex = 0;
    uint8_t clstIndex = 0;
    uint16_t listsAdded = 0;
    TempFolder tmp;
    CPartFile file;
};

} // namespace vqt::test
