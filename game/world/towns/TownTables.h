#pragma once
// The rows a town's tables are made of: what differs between the towns is data (vehicles,
// lines, challenge areas, sounds and places), kept as constant tables beside each town's code.
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"

namespace towns {

/// How a spoken line queues: Q lines are dropped while another message is queued; O lines are
/// dropped while the once-only flag is set, and set it.
enum LineMark : uint8_t { kNoMark = 0, kQ = 1, kO = 2, kQO = kQ | kO };

/// A spoken line: its number, the voice {7, 0, voice}, its marks and its caption (Windows-1252
/// bytes: the typographic quotes are 0x91 and 0x92).
struct TownLine {
    int16_t line;
    uint16_t voice;
    uint8_t marks;
    const char* caption;
};

/// A challenge area: the way point's number, the player flag that arms it, the counter whose
/// non-zero value asks the repeat line, both lines, and what the confirmation panel shows and
/// requests.
struct ChallengeArea {
    int16_t area;
    int16_t flag;
    int16_t counter;
    int16_t repeatLine;
    int16_t firstLine;
    ChunkId activity;
    ChunkId picture;
    ChunkId text;
};

/// A vehicle of a town (the garage's selected-vehicle value) and what it drives with.
struct TownVehicle {
    uint16_t vehicle;
    ChunkId part;
    ChunkId light;
    float speed;
    float normalSpeed;
    float sirenSpeed;
    /// The world's action cooldown and the action timer's duration; 0 keeps the world's.
    uint32_t actionMs;
    /// Played on pipe 3 when the vehicle halts and, looping, when it starts; null: no sound.
    ChunkId haltSound;
    ChunkId engineLoop;
};

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

/// Finds a line of a table by number; null when the table has none (such a line queues
/// nothing).
template <size_t N>
constexpr const TownLine* FindLine(const TownLine (&lines)[N], int16_t line) {
    for (const TownLine& l : lines)
        if (l.line == line) return &l;
    return nullptr;
}

template <size_t N>
constexpr const TownVehicle* FindVehicle(const TownVehicle (&vehicles)[N], uint16_t vehicle) {
    for (const TownVehicle& v : vehicles)
        if (v.vehicle == vehicle) return &v;
    return nullptr;
}

template <size_t N>
constexpr const ChallengeArea* FindArea(const ChallengeArea (&areas)[N], int16_t area) {
    for (const ChallengeArea& a : areas)
        if (a.area == area) return &a;
    return nullptr;
}

} // namespace towns
