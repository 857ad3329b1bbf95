#pragma once
#include <cstdint>

struct MemPool;

/// The engine's growable byte string: a terminated text in a block of the memory pools, grown
/// in steps of 32 bytes.
class OString {
public:
    /// A string that takes its memory from `pool` (null: the calling thread's default pool).
    explicit OString(MemPool* pool = nullptr) : pool_(pool) {}
    virtual ~OString();
    OString(const OString&) = delete;
    OString& operator=(const OString&) = delete;

    /// Copies the text (null counts as empty); false, the string unchanged, when no memory can
    /// be had.
    bool Assign(const char* text);
    /// Makes room for n bytes and the terminator.
    bool Reserve(uint32_t n);

    /// The text; "" while no block is held.
    const char* c_str() const { return buffer_ ? buffer_ : ""; }
    /// Bytes before the terminator.
    uint32_t Length() const;
    bool Empty() const { return Length() == 0; }
    /// Bytes of the block (0 while none is held).
    uint32_t Capacity() const { return capacity_; }

private:
    /// Grows the block when `needed` bytes exceed the capacity.
    bool Grow(uint64_t needed);

    MemPool* pool_;
    char* buffer_ = nullptr;
    uint32_t capacity_ = 0;
};
