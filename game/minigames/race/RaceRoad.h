#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/race/RaceCatalogue.h"
#include "game/minigames/race/RaceChunkCache.h"

class CPartFile;
struct CGRacePieceList;
struct CGRacePlacement;
struct CGRaceSection;

/// The road's data side: the four catalogues (left verge, right verge, finish left, finish
/// right) read through the chunk-list cache, where each verge continues, and the laying of a
/// section's pieces and object points along the pieces' successor lists.
class CGRaceRoad {
public:
    static constexpr int32_t kCatalogues = 4;

    /// What a section is laid in.
    struct Frame {
        int32_t stageWidth = 640;
        int32_t stageHeight = 480;
        int32_t rowsPerSection = 1;
        uint16_t world = 0;
    };

    /// Empties the catalogues and fills them from the road list: at least two catalogue ids fill
    /// the verges, a third and a fourth the finish verges. False (traced) without a road.
    bool LoadCatalogues(CPartFile* partFile, ChunkId roadList);
    /// Starts every catalogue at a random entry (the null id for an empty one).
    void PickStartEntries();
    /// Lays the pieces, decoration and object points of one section `height` pixels high; in
    /// finish mode the first section laid gets the finish mark. The chosen points are the
    /// candidates above the section's lower edge, not yet thinned.
    void LaySection(CGRaceSection& section, float height, bool finishMode, const Frame& frame,
                    const std::vector<ChunkId>& decorations);
    /// Lays one piece of the entry list into the list, its path points into the candidates,
    /// and answers the entry where the verge continues (the null id ends it).
    ChunkId LayPiece(CGRacePieceList& pieces, CGRacePlacement& placement, int32_t catalogue, ChunkId entry,
                     const CPointF& row, bool finishMode);
    /// Adds the path's points, moved by the row point, to the candidates, skipping any within
    /// the spacing of one taken; walks the records last first.
    static void AddPathPoints(std::vector<CPointF>& candidates, CPartFile* partFile, ChunkId path,
                             const CPointF& row);

    const CGRaceCatalogue& Catalogue(int32_t i) const { return catalogues_[size_t(i)]; }
    ChunkId CurrentEntry(int32_t i) const { return current_[size_t(i)]; }
    void SetCurrentEntry(int32_t i, ChunkId entry) { current_[size_t(i)] = entry; }
    bool FinishSectionLaid() const { return finishLaid_; }
    CGRaceChunkCache& Cache() { return cache_; }
    void SetPartFile(CPartFile* partFile) { partFile_ = partFile; }
    /// Forgets the catalogues, the cache and the finish.
    void Clear();

private:
    /// The city's verges are kept matched at two crossings.
    void MatchCityVerges();

    CPartFile* partFile_ = nullptr;
    CGRaceChunkCache cache_;
    std::array<CGRaceCatalogue, kCatalogues> catalogues_;
    std::array<ChunkId, kCatalogues> current_{};
    bool finishLaid_ = false;
};
