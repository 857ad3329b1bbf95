#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/data/ChunkId.h"

class CPartFile;

/// Every chunk list the road reads, loaded once per race. Loading a list also loads every
/// chunk list it names, and theirs, so that the road never reads the file while it is laid.
/// A list is recorded before the lists it names are loaded, so lists that name themselves or
/// each other are read once each.
class CGRaceChunkCache {
public:
    using Ids = std::vector<ChunkId>;

    /// The ids of the list (loaded with the lists it names when not cached yet); null when the
    /// id names no chunk list of the part file or its list cannot be read (traced once).
    const Ids* Load(CPartFile* partFile, ChunkId id);
    /// The ids of a list loaded already; null otherwise.
    const Ids* Find(ChunkId id) const;
    /// Whether the id names an existing chunk of an index of that type.
    static bool IsChunkOfType(CPartFile* partFile, ChunkId id, const char (&type)[5]);

    size_t Size() const { return lists_.size(); }
    void Clear() { lists_.clear(); }

private:
    /// Reads one list into its record; a missing or unreadable one stays recorded as absent.
    void ReadOne(CPartFile* partFile, ChunkId id, std::vector<ChunkId>& pending);

    struct Record {
        bool present = false;
        Ids ids;
    };
    std::unordered_map<ChunkId, Record> lists_;
};
