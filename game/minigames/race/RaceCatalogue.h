#pragma once
#include <cstdint>
#include <vector>

#include "engine/data/ChunkId.h"

class CPartFile;
class CGRaceChunkCache;

/// One entry list of a catalogue: the piece's picture, its object points and the part ids of
/// the pieces that may follow it.
struct CGRaceEntry {
    ChunkId part = kNullChunkId;
    ChunkId path = kNullChunkId;
    ChunkId successors = kNullChunkId;

    /// Reads an entry list through the cache; false (traced) when it holds fewer than three ids
    /// or they are not a "part", a "path" and a "clst" chunk in that order.
    static bool Read(CGRaceChunkCache& cache, CPartFile* partFile, ChunkId entryList, CGRaceEntry* out);
};

/// A catalogue of road pieces for one verge: part ids and their entry lists, index for index,
/// filled from the catalogue list last entry first, each part id once.
class CGRaceCatalogue {
public:
    /// Empties the catalogue and fills it from the list; entries that cannot be read are left
    /// out. True when at least one entry was taken.
    bool Fill(CGRaceChunkCache& cache, CPartFile* partFile, ChunkId catalogueList);
    void Clear();

    bool IsEmpty() const { return partIds_.empty(); }
    int32_t Count() const { return int32_t(partIds_.size()); }
    ChunkId PartAt(int32_t i) const { return partIds_[size_t(i)]; }
    ChunkId EntryAt(int32_t i) const { return entryIds_[size_t(i)]; }
    /// The entry list of the piece showing that part; the null id when the catalogue lacks it.
    ChunkId EntryForPart(ChunkId part) const;
    /// A random entry list (one draw), the null id for an empty catalogue (no draw).
    ChunkId RandomEntry() const;

private:
    std::vector<ChunkId> partIds_;
    std::vector<ChunkId> entryIds_;
};
