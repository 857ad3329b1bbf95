#include "game/minigames/race/RaceSection.h"

void CGRacePieceList::InsertFront(const CPointF& point, ChunkId part) {
    points.insert(points.begin(), point);
    parts.insert(parts.begin(), part);
}

void CGRacePieceList::Append(const CPointF& point, ChunkId part) {
    points.push_back(point);
    parts.push_back(part);
}

void CGRacePieceList::Clear() {
    points.clear();
    parts.clear();
    pendingColliders.clear();
    props.clear();
}

void CGRacePlacement::Reset() {
    candidates.clear();
    chosen.clear();
    kinds.clear();
    next = 0;
}

void CGRaceSection::Reset() {
    left.Clear();
    right.Clear();
    decorations.Clear();
    placement.Reset();
    finishMark = 0;
}
