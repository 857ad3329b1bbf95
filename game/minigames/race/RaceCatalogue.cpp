#include "game/minigames/race/RaceCatalogue.h"

#include <algorithm>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/minigames/race/RaceChunkCache.h"

bool CGRaceEntry::Read(CGRaceChunkCache& cache, CPartFile* partFile, ChunkId entryList, CGRaceEntry* out) {
    const CGRaceChunkCache::Ids* ids = cache.Load(partFile, entryList);
    if (ids == nullptr) {
        return false;
    }
    if (ids->size() < 3 || !CGRaceChunkCache::IsChunkOfType(partFile, (*ids)[0], "part") ||
        !CGRaceChunkCache::IsChunkOfType(partFile, (*ids)[1], "path") ||
        !CGRaceChunkCache::IsChunkOfType(partFile, (*ids)[2], "clst")) {
        xTracef("CGRace : entry list {%d, %d, %d} is not a part, a path and a successor list, left out\n",
                int(ChunkIndexOf(entryList)), int(ChunkSecondOf(entryList)), int(ChunkEntryOf(entryList)));
        return false;
    }
    *out = CGRaceEntry{(*ids)[0], (*ids)[1], (*ids)[2]};
    return true;
}

void CGRaceCatalogue::Clear() {
    partIds_.clear();
    entryIds_.clear();
}

bool CGRaceCatalogue::Fill(CGRaceChunkCache& cache, CPartFile* partFile, ChunkId catalogueList) {
    Clear();
    const CGRaceChunkCache::Ids* entries = cache.Load(partFile, catalogueList);
    if (entries == nullptr) {
        return false;
    }
    for (auto it = entries->rbegin(); it != entries->rend(); ++it) {
        CGRaceEntry entry;
        if (!CGRaceEntry::Read(cache, partFile, *it, &entry) || EntryForPart(entry.part) != kNullChunkId) {
            continue;
        }
        partIds_.push_back(entry.part);
        entryIds_.push_back(*it);
    }
    return !partIds_.empty();
}

ChunkId CGRaceCatalogue::EntryForPart(ChunkId part) const {
    const auto it = std::find(partIds_.begin(), partIds_.end(), part);
    return it == partIds_.end() ? kNullChunkId : entryIds_[size_t(it - partIds_.begin())];
}

ChunkId CGRaceCatalogue::RandomEntry() const {
    return entryIds_.empty() ? kNullChunkId : entryIds_[size_t(xRand()) % entryIds_.size()];
}
