#pragma once
// Host-order numbers at any address, without bounds checks: for buffers whose extent the caller
// has already checked (validated chunk records, pixel rows, message payloads, pool pages).
// Unvalidated file data goes through the bounded span forms of engine/base/ByteOrder.h.
#include <cstdint>
#include <cstring>

namespace unaligned {

inline uint16_t Load16(const void* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline uint32_t Load32(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void Store16(void* p, uint16_t v) { std::memcpy(p, &v, 2); }

inline void Store32(void* p, uint32_t v) { std::memcpy(p, &v, 4); }

} // namespace unaligned
