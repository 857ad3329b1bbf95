#pragma once
// Temporary buffers: a fixed table of reusable work buffers that decoders, loaders and draw
// operations borrow for the length of one call instead of allocating. Borrowing is a first-fit
// scan; buffers below 64 KB stay allocated for reuse, larger ones go back when released.
// Single-threaded: the table has no lock.
#include <cstdint>

struct MemPool;

/// Sets the number of table records; only before the first borrow (64 by default).
void xTempBuffers_SetCount(uint32_t count);
/// A free buffer of at least `size` bytes (not cleared), or null when every record is in use
/// or holds a smaller buffer, or the memory cannot be had. A new buffer comes from `pool`, or
/// the calling thread's default pool when it is null.
void* xTempBuffers_Get(uint32_t size, MemPool* pool = nullptr);
/// Gives the buffer that `*buffer` points at back and sets `*buffer` to null; false (nothing
/// changed) when it is not a borrowed temporary buffer.
bool xTempBuffers_Release(void** buffer);
template <class T>
bool xTempBuffers_Release(T** buffer) {
    void* untyped = *buffer;
    const bool released = xTempBuffers_Release(&untyped);
    *buffer = static_cast<T*>(untyped);
    return released;
}
/// Borrows `count` buffers of `size` bytes and gives them back, so that they exist and are
/// free; the count is limited to the number of records.
void xTempBuffers_Preallocate(uint32_t count, uint32_t size);
/// Frees every buffer and the table; the next borrow starts afresh.
void xTempBuffers_ReleaseAll();

int16_t xTempBuffers_GetNumInUse();   ///< buffers lent out
uint32_t xTempBuffers_GetBytesUsed(); ///< bytes asked for by the current borrowers
int16_t xTempBuffers_GetNumTotal();   ///< buffers that exist
uint32_t xTempBuffers_GetTotalSize(); ///< bytes of all buffers that exist

/// The table of the engine context; its end frees every buffer and the table.
struct TempBuffersContext {
    static constexpr uint32_t kDefaultCount = 64;
    struct Record {
        void* buffer;
        uint32_t capacity;
        uint32_t requested;
        uint8_t inUse;
    };

    TempBuffersContext() = default;
    TempBuffersContext(const TempBuffersContext&) = delete;
    TempBuffersContext& operator=(const TempBuffersContext&) = delete;
    ~TempBuffersContext() { ReleaseAll(); }
    /// Frees every buffer and the table; the next borrow starts afresh.
    void ReleaseAll();

    uint32_t count = kDefaultCount;
    bool initialised = false;
    Record* table = nullptr;
    int16_t numTotal = 0;
    int16_t numInUse = 0;
    uint32_t totalSize = 0;
    uint32_t bytesUsed = 0;
};
