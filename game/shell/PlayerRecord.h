#pragma once
// The player's record and its stored form, the 372 bytes of data of one save-file slot.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

/// The record in host order, field for field as it is stored (offsets in the comments).
struct PlayerRecord {
    static constexpr uint32_t kVersion = 19;
    static constexpr size_t kSize = 372;
    static constexpr size_t kNameSize = 65; ///< at most 64 characters and their NUL
    static constexpr int kWorlds = 3;
    static constexpr int kWorldWords = 35;
    static constexpr int kCounters = 17;
    static constexpr int kExtraWords = 12;

    uint32_t version = 0;                      ///< 0: 19 in every record of ours
    char name[kNameSize] = {};                 ///< 4: the empty name marks a free slot
    uint8_t pad = 0;                           ///< 69
    uint16_t world[kWorlds][kWorldWords] = {}; ///< 70 + 70 w: circus town, zoo, city
    uint32_t counters[kCounters] = {};         ///< 280
    uint16_t extra[kExtraWords] = {};          ///< 348
};

using PlayerRecordBytes = std::array<uint8_t, PlayerRecord::kSize>;

/// The stored bytes: the version, the world words and the counters big-endian, the name and
/// the pad byte as they are, the extra words little-endian (as every existing save file holds
/// them).
PlayerRecordBytes EncodePlayerRecord(const PlayerRecord& record);

/// Why stored bytes are not a record that can be loaded.
enum class RecordFault { None, Size, Version, Name };

/// Reads stored bytes into `out` when they are exactly 372 bytes of version 19 whose name ends
/// within its 65 bytes; otherwise answers the fault and leaves `out` as it was.
RecordFault DecodePlayerRecord(std::span<const uint8_t> stored, PlayerRecord& out);
