#pragma once
// What the mini-game drivers share inside: the row of a table of games that the current
// activity is one of, and when the current activity became current.
#include <cstdint>

#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/data/ChunkId.h"

namespace vqt::test {

/// The row of `rows` whose `classId` the current activity is, or null.
template <class Row, size_t N>
const Row* RowOf(const Row (&rows)[N], const OActivity* current) {
    for (const Row& row : rows)
        if (current && current->IsA(row.classId)) return &row;
    return nullptr;
}

/// Since when the current activity is current; a driver may restart it at its own steps.
struct CurrentSince {
    ChunkId shown = kNullChunkId;
    uint32_t since = 0;

    /// Restarts the time when another activity became current.
    void Note(uint32_t now) {
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            since = now;
        }
    }
};

} // namespace vqt::test
