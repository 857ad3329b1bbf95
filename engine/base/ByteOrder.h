#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/base/Unaligned.h"

/// Bounded access to the numbers of file data. Chunk files store numbers big-endian, with a few
/// little-endian fields; every read and write here checks that the field lies inside the span.
/// The `Read*`/`Write*` forms answer false for a field outside the span and leave the output
/// alone; the short forms (`be16`, `be32`, `le32`) answer 0 then. Callers validate counts and
/// offsets first and use these as the last line of defence.
namespace bytes {

using Span = std::span<const uint8_t>;
using MutableSpan = std::span<uint8_t>;

/// True when `count` bytes from `offset` lie inside a buffer of `size` bytes (no overflow).
constexpr bool Fits(size_t size, uint64_t offset, uint64_t count) {
    return offset <= size && count <= size - offset;
}

inline bool ReadBe16(Span s, size_t offset, uint16_t& out) {
    if (!Fits(s.size(), offset, 2)) {
        return false;
    }
    out = static_cast<uint16_t>((s[offset] << 8) | s[offset + 1]);
    return true;
}

inline bool ReadBe32(Span s, size_t offset, uint32_t& out) {
    if (!Fits(s.size(), offset, 4)) {
        return false;
    }
    out = (static_cast<uint32_t>(s[offset]) << 24) | (static_cast<uint32_t>(s[offset + 1]) << 16) |
          (static_cast<uint32_t>(s[offset + 2]) << 8) | static_cast<uint32_t>(s[offset + 3]);
    return true;
}

inline bool ReadLe16(Span s, size_t offset, uint16_t& out) {
    if (!Fits(s.size(), offset, 2)) {
        return false;
    }
    out = static_cast<uint16_t>(s[offset] | (s[offset + 1] << 8));
    return true;
}

inline bool ReadLe32(Span s, size_t offset, uint32_t& out) {
    if (!Fits(s.size(), offset, 4)) {
        return false;
    }
    out = static_cast<uint32_t>(s[offset]) | (static_cast<uint32_t>(s[offset + 1]) << 8) |
          (static_cast<uint32_t>(s[offset + 2]) << 16) | (static_cast<uint32_t>(s[offset + 3]) << 24);
    return true;
}

inline uint16_t be16(Span s, size_t offset) {
    uint16_t v = 0;
    ReadBe16(s, offset, v);
    return v;
}
inline uint32_t be32(Span s, size_t offset) {
    uint32_t v = 0;
    ReadBe32(s, offset, v);
    return v;
}
inline uint16_t le16(Span s, size_t offset) {
    uint16_t v = 0;
    ReadLe16(s, offset, v);
    return v;
}
inline uint32_t le32(Span s, size_t offset) {
    uint32_t v = 0;
    ReadLe32(s, offset, v);
    return v;
}

inline bool WriteBe16(MutableSpan s, size_t offset, uint16_t v) {
    if (!Fits(s.size(), offset, 2)) {
        return false;
    }
    s[offset] = static_cast<uint8_t>(v >> 8);
    s[offset + 1] = static_cast<uint8_t>(v);
    return true;
}

inline bool WriteBe32(MutableSpan s, size_t offset, uint32_t v) {
    if (!Fits(s.size(), offset, 4)) {
        return false;
    }
    s[offset] = static_cast<uint8_t>(v >> 24);
    s[offset + 1] = static_cast<uint8_t>(v >> 16);
    s[offset + 2] = static_cast<uint8_t>(v >> 8);
    s[offset + 3] = static_cast<uint8_t>(v);
    return true;
}

inline bool WriteLe16(MutableSpan s, size_t offset, uint16_t v) {
    if (!Fits(s.size(), offset, 2)) {
        return false;
    }
    s[offset] = static_cast<uint8_t>(v);
    s[offset + 1] = static_cast<uint8_t>(v >> 8);
    return true;
}

inline bool WriteLe32(MutableSpan s, size_t offset, uint32_t v) {
    if (!Fits(s.size(), offset, 4)) {
        return false;
    }
    s[offset] = static_cast<uint8_t>(v);
    s[offset + 1] = static_cast<uint8_t>(v >> 8);
    s[offset + 2] = static_cast<uint8_t>(v >> 16);
    s[offset + 3] = static_cast<uint8_t>(v >> 24);
    return true;
}

/// Host-order (native) numbers inside a buffer, as left by the in-place swaps below.
inline uint16_t host16(Span s, size_t offset) {
    return Fits(s.size(), offset, 2) ? unaligned::Load16(s.data() + offset) : 0;
}
inline uint32_t host32(Span s, size_t offset) {
    return Fits(s.size(), offset, 4) ? unaligned::Load32(s.data() + offset) : 0;
}
inline bool PutHost16(MutableSpan s, size_t offset, uint16_t v) {
    if (!Fits(s.size(), offset, 2)) {
        return false;
    }
    unaligned::Store16(s.data() + offset, v);
    return true;
}
inline bool PutHost32(MutableSpan s, size_t offset, uint32_t v) {
    if (!Fits(s.size(), offset, 4)) {
        return false;
    }
    unaligned::Store32(s.data() + offset, v);
    return true;
}

/// A stored field read in the order a swap finds it: big-endian before the swap to host order
/// (`toFile` false), host order before the swap back to the file (`toFile` true); 0 outside.
inline uint16_t Stored16(Span s, size_t offset, bool toFile) {
    return toFile ? host16(s, offset) : be16(s, offset);
}
inline uint32_t Stored32(Span s, size_t offset, bool toFile) {
    return toFile ? host32(s, offset) : be32(s, offset);
}

/// In-place swaps of one stored field: `toFile` false turns a big-endian field into host order,
/// true turns a host-order field back into big-endian. False (nothing changed) outside the span.
inline bool Swap16(MutableSpan s, size_t offset, bool toFile) {
    const uint16_t v = Stored16(s, offset, toFile);
    return toFile ? WriteBe16(s, offset, v) : PutHost16(s, offset, v);
}
inline bool Swap32(MutableSpan s, size_t offset, bool toFile) {
    const uint32_t v = Stored32(s, offset, toFile);
    return toFile ? WriteBe32(s, offset, v) : PutHost32(s, offset, v);
}

} // namespace bytes
