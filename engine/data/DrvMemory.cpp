#include "engine/data/DrvMemory.h"

#include <algorithm>
#include <cstring>

#include "engine/data/Memory.h"

namespace {

/// Owned memory comes from the calling thread's default pool.
void* ResizeBlock(void* block, uint32_t size) {
    return block != nullptr ? PoolResizeBlock(block, size) : PoolAllocBlock(PoolForThread(), size);
}

/// The reserve for `bytes`: the next multiple of the reserve step above it.
uint64_t ReserveFor(uint64_t bytes) {
    constexpr uint64_t step = ODrvMemory::kReserveStep;
    return bytes / step * step + step;
}

} // namespace

ODrvMemory::ODrvMemory() : ODriver("ODrvMemory") {}

ODrvMemory::~ODrvMemory() { ODrvMemory::Close(); }

void ODrvMemory::Empty() {
    if (ownsMemory_) {
        PoolFreeBlock(block_);
    }
    block_ = nullptr;
    reserve_ = 0;
    length_ = 0;
    position_ = 0;
    ownsMemory_ = true;
}

bool ODrvMemory::Reserve(uint64_t reserve) {
    if (!ownsMemory_ || reserve > UINT32_MAX || reserve == 0) {
        return false;
    }
    void* resized = ResizeBlock(block_, static_cast<uint32_t>(reserve));
    if (resized == nullptr) {
        return false;
    }
    block_ = static_cast<uint8_t*>(resized);
    reserve_ = static_cast<uint32_t>(reserve);
    length_ = std::min(length_, reserve_);
    position_ = std::min(position_, length_);
    return true;
}

int32_t ODrvMemory::Create(const char* name, uint32_t mode) { return ODrvMemory::Open(name, mode); }

int32_t ODrvMemory::Open(const char*, uint32_t) { return DRV_OK; }

int32_t ODrvMemory::Close() {
    Empty();
    return DRV_OK;
}

int32_t ODrvMemory::Read(void* buffer, uint32_t count, uint32_t* got) {
    const uint32_t available = position_ < length_ ? length_ - position_ : 0;
    const uint32_t take = std::min(count, available);
    if (take > 0) {
        std::memcpy(buffer, block_ + position_, take);
        position_ += take;
    }
    if (got != nullptr) {
        *got = take;
    }
    return DRV_OK;
}

int32_t ODrvMemory::Write(const void* buffer, uint32_t count, uint32_t* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (static_cast<uint64_t>(position_) + count > reserve_) {
        if (!ownsMemory_) {
            return SetError(DRV_ERR_QUERY);
        }
        if (!Reserve(ReserveFor(static_cast<uint64_t>(reserve_) + count))) {
            return SetError(DRV_ERR_QUERY);
        }
    }
    if (count > 0) {
        std::memcpy(block_ + position_, buffer, count);
        position_ += count;
    }
    length_ = std::max(length_, position_);
    if (written != nullptr) {
        *written = count;
    }
    return DRV_OK;
}

intptr_t ODrvMemory::Control(int32_t operation, intptr_t a, intptr_t b, intptr_t c) {
    switch (operation) {
    case DRV_SEEK: {
        const int64_t target = SeekTarget(a, b, length_, [this] { return int64_t{position_}; });
        if (target < 0) {
            return SetError(DRV_ERR_SEEK);
        }
        position_ = static_cast<uint32_t>(target);
        return DRV_OK;
    }
    case DRV_POSITION:
        return position_;
    case DRV_SETEND: {
        if (c < 0 || c > UINT32_MAX) {
            return SetError(DRV_ERR_QUERY);
        }
        const auto end = static_cast<uint32_t>(c);
        if (end > reserve_) {
            if (!ownsMemory_) {
                Empty();
                return DRV_OK;
            }
            if (!Reserve(end)) {
                return SetError(DRV_ERR_QUERY);
            }
            // The new stretch reads as zeros, as an extended file does.
            std::memset(block_ + length_, 0, end - length_);
        } else if (end > length_) {
            std::memset(block_ + length_, 0, end - length_);
        }
        length_ = end;
        position_ = std::min(position_, length_);
        return DRV_OK;
    }
    case DRV_SIZE:
        return length_;
    case DRV_EOD:
        return position_ >= length_ ? 1 : 0;
    default:
        return SetError(DRV_ERR_UNSUPPORTED);
    }
}

int32_t ODrvMemory::AdoptMemory(void* memory, size_t reserve, size_t length) {
    if (reserve > UINT32_MAX || length > UINT32_MAX || (memory == nullptr && reserve != 0)) {
        return SetError(DRV_ERR_QUERY);
    }
    Empty();
    block_ = static_cast<uint8_t*>(memory);
    reserve_ = static_cast<uint32_t>(reserve);
    length_ = std::min(static_cast<uint32_t>(length), reserve_); // never more data than memory
    position_ = 0;
    ownsMemory_ = false;
    return DRV_OK;
}

int32_t ODrvMemory::ReleaseMemory(void** memory) {
    if (ownsMemory_) {
        return SetError(DRV_ERR_OWNED);
    }
    if (memory != nullptr) {
        *memory = block_;
    }
    Empty();
    return DRV_OK;
}

int32_t ODrvMemory::SetBufferSize(uint32_t size) {
    return Reserve(ReserveFor(size)) ? DRV_OK : SetError(DRV_ERR_QUERY);
}

uint32_t ODrvMemory::GetBufferSize() { return reserve_; }
