#pragma once
// Rows that the city's and the zoo's tables add beside their TownTable: the counter panel's
// counters and the quotas' default maxima.
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "game/world/towns/TownTable.h"

namespace towns {

/// One of the counter panel's counters: what it counts, its icon and its offset.
struct CounterShown {
    enum What : uint8_t { kQuota1Left, kQuota2Left, kQuota3Left, kBadges };
    What what;
    ChunkId icon;
    int16_t offset;
};

/// A quota's default maximum as the player record fills it (quotas 1-3).
struct QuotaDefault {
    int16_t quota;
    int16_t maximum;
};

/// A line of a table by number; null when the table has none (such a line queues nothing).
template <size_t N>
constexpr const TownLine* FindLine(const TownLine (&lines)[N], int number) {
    for (const TownLine& l : lines)
        if (l.number == number) return &l;
    return nullptr;
}

template <size_t N>
constexpr const TownVehicle* FindVehicle(const TownVehicle (&vehicles)[N], uint16_t value) {
    for (const TownVehicle& v : vehicles)
        if (v.value == value) return &v;
    return nullptr;
}

} // namespace towns
