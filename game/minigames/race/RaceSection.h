#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"

class OActivityProp;

/// The pictures of one verge (or the decorations) of a section: their points relative to the
/// section's top and their part ids, the collision parts still to attach to the last piece
/// made, and the props made so far (the next piece to place is the one at that count).
struct CGRacePieceList {
    std::vector<CPointF> points;
    std::vector<ChunkId> parts;
    std::vector<ChunkId> pendingColliders;
    std::vector<OActivityProp*> props;

    /// Puts a piece before the others (the newest row first).
    void InsertFront(const CPointF& point, ChunkId part);
    void Append(const CPointF& point, ChunkId part);
    bool HasPieceLeft() const { return props.size() < parts.size(); }
    /// Forgets everything; the props stay with their pool.
    void Clear();
};

/// Where a section's objects go: the candidate points of its pieces' paths, the points chosen
/// among them with one object kind each, and the index of the next object to place.
struct CGRacePlacement {
    std::vector<CPointF> candidates;
    std::vector<CPointF> chosen;
    std::vector<int32_t> kinds;
    int32_t next = 0;

    void Reset();
};

/// One screen-high slice of the road.
struct CGRaceSection {
    CGRacePieceList left;
    CGRacePieceList right;
    CGRacePieceList decorations;
    CGRacePlacement placement;
    uint8_t finishMark = 0;

    void Reset();
};
