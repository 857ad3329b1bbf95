#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

/// A chunk id in host form: the index number in the low byte, a second byte that is carried but
/// never interpreted, and the entry number in the high 16 bits. On disk the same id is the bytes
/// [index, second, entry high, entry low]. The null id is 0; entry 0 names an index block itself.
using ChunkId = uint32_t;

inline constexpr ChunkId kNullChunkId = 0;

constexpr ChunkId MakeChunkId(uint8_t index, uint16_t entry, uint8_t second = 0) {
    return static_cast<ChunkId>(index) | (static_cast<ChunkId>(second) << 8) |
           (static_cast<ChunkId>(entry) << 16);
}
constexpr uint8_t ChunkIndexOf(ChunkId id) { return static_cast<uint8_t>(id & 0xFF); }
constexpr uint8_t ChunkSecondOf(ChunkId id) { return static_cast<uint8_t>((id >> 8) & 0xFF); }
constexpr uint16_t ChunkEntryOf(ChunkId id) { return static_cast<uint16_t>(id >> 16); }
constexpr ChunkId WithChunkIndex(ChunkId id, uint8_t index) {
    return (id & ~static_cast<ChunkId>(0xFF)) | index;
}
constexpr ChunkId WithChunkEntry(ChunkId id, uint16_t entry) {
    return (id & 0xFFFFu) | (static_cast<ChunkId>(entry) << 16);
}

/// The chunk id stored in 4 file bytes [index, second, entry high, entry low].
inline ChunkId ChunkIdFromFileBytes(const uint8_t* bytes) {
    return MakeChunkId(bytes[0], static_cast<uint16_t>((bytes[2] << 8) | bytes[3]), bytes[1]);
}
inline void ChunkIdToFileBytes(ChunkId id, uint8_t* bytes) {
    bytes[0] = ChunkIndexOf(id);
    bytes[1] = ChunkSecondOf(id);
    bytes[2] = static_cast<uint8_t>(ChunkEntryOf(id) >> 8);
    bytes[3] = static_cast<uint8_t>(ChunkEntryOf(id) & 0xFF);
}

/// A four-character code as stored in chunk files: four bytes in reading order, compared as
/// bytes and never swapped. Built from a four-letter literal: Tag4("DATA").
struct Tag4 {
    std::array<char, 4> c{};

    constexpr Tag4() = default;
    constexpr Tag4(const char (&text)[5]) : c{text[0], text[1], text[2], text[3]} {}

    static Tag4 FromBytes(const uint8_t* bytes) {
        Tag4 tag;
        std::memcpy(tag.c.data(), bytes, 4);
        return tag;
    }
    void ToBytes(uint8_t* bytes) const { std::memcpy(bytes, c.data(), 4); }
    std::string str() const { return std::string(c.data(), 4); }

    constexpr bool operator==(const Tag4&) const = default;
};
