#include "engine/media/String.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/data/Memory.h"

namespace {

/// Zero-filled blocks of the string kind.
constexpr uint32_t kBlockFlags = 5;

} // namespace

OString::~OString() { PoolFreeBlock(buffer_); }

uint32_t OString::Length() const { return buffer_ ? uint32_t(std::strlen(buffer_)) : 0; }

bool OString::Grow(uint64_t needed) {
    if (needed <= capacity_) return true;
    // The next multiple of 32 above the larger of the length kept and the length asked for.
    const uint64_t capacity = (std::max<uint64_t>(Length() + 1, needed) / 32 + 1) * 32;
    if (capacity > UINT32_MAX) return false;
    void* block = buffer_ ? PoolResizeBlock(buffer_, capacity, kBlockFlags)
                          : PoolAllocBlock(pool_ ? pool_ : PoolForThread(), capacity, kBlockFlags);
    if (!block) return false;
    buffer_ = static_cast<char*>(block);
    capacity_ = uint32_t(capacity);
    return true;
}

bool OString::Assign(const char* text) {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    if (buffer_ && text >= buffer_ && text < buffer_ + capacity_) {
        const std::string own(text, length); // the block may move as it grows
        return Assign(own.c_str());
    }
    if (!Grow(uint64_t(length) + 2)) return false;
    std::memcpy(buffer_, text, length);
    buffer_[length] = '\0';
    return true;
}

bool OString::Reserve(uint32_t n) { return Grow(uint64_t(n) + 1); }
