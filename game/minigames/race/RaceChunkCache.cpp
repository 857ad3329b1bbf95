#include "game/minigames/race/RaceChunkCache.h"

#include "engine/base/Trace.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/PartFile.h"

bool CGRaceChunkCache::IsChunkOfType(CPartFile* partFile, ChunkId id, const char (&type)[5]) {
    return partFile != nullptr && id != kNullChunkId && partFile->GetIndexType(id) == Tag4(type) &&
           partFile->ChunkExists(id);
}

const CGRaceChunkCache::Ids* CGRaceChunkCache::Find(ChunkId id) const {
    const auto it = lists_.find(id);
    return it == lists_.end() || !it->second.present ? nullptr : &it->second.ids;
}

const CGRaceChunkCache::Ids* CGRaceChunkCache::Load(CPartFile* partFile, ChunkId id) {
    // A work list instead of recursion: a long chain of lists cannot exhaust the stack.
    std::vector<ChunkId> pending{id};
    while (!pending.empty()) {
        const ChunkId next = pending.back();
        pending.pop_back();
        if (!lists_.contains(next)) {
            ReadOne(partFile, next, pending);
        }
    }
    return Find(id);
}

void CGRaceChunkCache::ReadOne(CPartFile* partFile, ChunkId id, std::vector<ChunkId>& pending) {
    Record& record = lists_[id];
    if (!IsChunkOfType(partFile, id, "clst")) {
        xTracef("CGRace : {%d, %d, %d} is no chunk list, left out\n", int(ChunkIndexOf(id)),
                int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        return;
    }
    void* list = LoadChunkList(partFile, id);
    if (list == nullptr) {
        return; // the reader has traced the fault
    }
    const int16_t count = ChunkListCount(list);
    record.ids.reserve(count > 0 ? size_t(count) : 0);
    for (int i = 0; i < count; ++i) {
        const ChunkId named = ChunkListId(list, i);
        record.ids.push_back(named);
        if (!lists_.contains(named) && partFile->GetIndexType(named) == Tag4("clst")) {
            pending.push_back(named);
        }
    }
    record.present = true;
    CPartFile::FreeBlock(list);
}
