#include "game/minigames/race/RaceRoad.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/data/ChunkRecords.h"
#include "game/minigames/race/RacePlacementRules.h"
#include "game/minigames/race/RaceSection.h"

namespace {

constexpr uint16_t kCityWorld = 2;
/// The city's right-verge crossings and the left pieces that must face them.
constexpr struct {
    ChunkId right;
    ChunkId left;
} kCityCrossings[] = {{MakeChunkId(12, 38), MakeChunkId(12, 37)}, {MakeChunkId(12, 39), MakeChunkId(12, 36)}};

int32_t HostInt32(const uint8_t* at) {
    int32_t v = 0;
    std::memcpy(&v, at, sizeof v);
    return v;
}

} // namespace

void CGRaceRoad::Clear() {
    for (CGRaceCatalogue& c : catalogues_) c.Clear();
    current_.fill(kNullChunkId);
    cache_.Clear();
    finishLaid_ = false;
}

bool CGRaceRoad::LoadCatalogues(CPartFile* partFile, ChunkId roadList) {
    Clear();
    partFile_ = partFile;
    const CGRaceChunkCache::Ids* ids = roadList == kNullChunkId ? nullptr : cache_.Load(partFile, roadList);
    if (ids == nullptr || ids->size() < 2) {
        xTracef("CGRace : road list {%d, %d, %d} names fewer than two catalogues, no road\n",
                int(ChunkIndexOf(roadList)), int(ChunkSecondOf(roadList)), int(ChunkEntryOf(roadList)));
        return false;
    }
    const size_t count = std::min(ids->size(), size_t(kCatalogues));
    for (size_t i = 0; i < count; ++i) {
        catalogues_[i].Fill(cache_, partFile, (*ids)[i]);
    }
    return true;
}

void CGRaceRoad::PickStartEntries() {
    for (int32_t i = 0; i < kCatalogues; ++i) {
        current_[size_t(i)] = catalogues_[size_t(i)].RandomEntry();
    }
}

void CGRaceRoad::MatchCityVerges() {
    for (const auto& crossing : kCityCrossings) {
        if (current_[1] == crossing.right) {
            current_[0] = crossing.left;
        }
    }
}

void CGRaceRoad::LaySection(CGRaceSection& section, float height, bool finishMode, const Frame& frame,
                            const std::vector<ChunkId>& decorations) {
    if (!decorations.empty()) {
        const ChunkId decoration = decorations[size_t(xRand()) % decorations.size()];
        const float x = float(40 + xRand() % std::max(frame.stageWidth - 80, 1));
        const float y = float(20 + xRand() % std::max(frame.stageHeight - 40, 1));
        section.decorations.Append(CPointF(x, y), decoration);
    }
    const int32_t rows = std::clamp(frame.rowsPerSection, 1, std::max(frame.stageHeight, 1));
    const int32_t step = frame.stageHeight / rows;
    // In finish mode the finish catalogues are laid from entries that stay put, and what
    // follows them continues the ordinary verges.
    const bool finishCatalogues = finishMode && !catalogues_[2].IsEmpty() && !catalogues_[3].IsEmpty();
    const int32_t leftCatalogue = finishCatalogues ? 2 : 0;
    const int32_t rightCatalogue = finishCatalogues ? 3 : 1;
    for (int32_t r = 0; r < rows; ++r) {
        const CPointF row(0.0f, float(-r * step));
        if (frame.world == kCityWorld) {
            MatchCityVerges();
        }
        current_[0] = LayPiece(section.left, section.placement, leftCatalogue, current_[size_t(leftCatalogue)],
                               row, finishMode);
        current_[1] = LayPiece(section.right, section.placement, rightCatalogue,
                               current_[size_t(rightCatalogue)], row, finishMode);
    }
    if (finishMode && !finishLaid_) {
        section.finishMark = 1;
        finishLaid_ = true;
    }
    for (const CPointF& p : section.placement.candidates) {
        if (p.y < height) {
            section.placement.chosen.push_back(p);
        }
    }
    section.placement.next = 0;
}

ChunkId CGRaceRoad::LayPiece(CGRacePieceList& pieces, CGRacePlacement& placement, int32_t catalogue,
                             ChunkId entry, const CPointF& row, bool finishMode) {
    CGRaceEntry e;
    if (entry == kNullChunkId || !CGRaceEntry::Read(cache_, partFile_, entry, &e)) {
        return kNullChunkId; // the verge has ended
    }
    pieces.InsertFront(row, e.part);
    AddPathPoints(placement.candidates, partFile_, e.path, row);
    const CGRaceCatalogue& cat = catalogues_[size_t(catalogue)];
    if (finishMode) {
        return cat.RandomEntry();
    }
    const CGRaceChunkCache::Ids* successors = cache_.Find(e.successors);
    if (successors == nullptr || successors->empty()) {
        return kNullChunkId;
    }
    return cat.EntryForPart((*successors)[size_t(xRand()) % successors->size()]);
}

void CGRaceRoad::AddPathPoints(std::vector<CPointF>& candidates, CPartFile* partFile, ChunkId path,
                               const CPointF& row) {
    if (!CGRaceChunkCache::IsChunkOfType(partFile, path, "path")) {
        xTracef("CGRace : path {%d, %d, %d} is missing, no object points\n", int(ChunkIndexOf(path)),
                int(ChunkSecondOf(path)), int(ChunkEntryOf(path)));
        return;
    }
    void* loaded = LoadPath(partFile, path);
    if (loaded == nullptr) {
        return; // the reader has traced it
    }
    const auto* head = static_cast<const uint8_t*>(loaded);
    const int64_t originY = HostInt32(head + 6);
    const int64_t originX = HostInt32(head + 10);
    for (int i = PathCount(loaded) - 1; i >= 0; --i) {
        const uint8_t* record = PathRecord(loaded, i);
        if (record == nullptr) continue;
        const CPointF point(float(double(originX + HostInt32(record + 4)) / 256.0) + row.x,
                            float(double(originY + HostInt32(record)) / 256.0) + row.y);
        if (!RaceNearCandidate(candidates, point)) {
            candidates.push_back(point);
        }
    }
    FreePath(loaded);
}
