// The public pool operations: each checks its pool, works under the pool's lock and reports
// errors once the lock is released, so an error handler may use the pools itself.
#include <algorithm>
#include <cstring>

#include "engine/data/MemoryInternal.h"

using namespace memi;

namespace {

bool CheckPool(MemPool* pool) {
    if (PoolValid(pool)) {
        return true;
    }
    PoolReportError(pool, MEM_BAD_MEM_POOL);
    return false;
}

/// The page of a block in use, or null after reporting MEM_BAD_POINTER.
PageHeader* LivePage(const void* block) {
    PageHeader* page = PageOf(block);
    if (page == nullptr || !PoolValid(page->pool) || !IsLive(page, block)) {
        PoolReportError(block, MEM_BAD_POINTER);
        return nullptr;
    }
    return page;
}

/// Reports an allocation error; true when the handler asks to try again.
bool RetryAfter(MemPool* pool, int error) {
    if (error == 0) {
        return false;
    }
    return PoolReportError(pool, error) != 0 && error == MEM_OUT_OF_MEMORY;
}

} // namespace

MemPool* PoolCreate(uint16_t flags) { return PoolCreateEx(24, 0, flags); }

MemPool* PoolCreateEx(uint32_t blockSize, uint32_t initialBlocks, uint16_t flags, const char* sharedName,
                      uint64_t floor, uint64_t ceiling) {
    if ((flags & POOL_SHARED) || sharedName != nullptr) {
        return nullptr; // shared pools are not built
    }
    CMemSystem* system = &xMemory_System();
    GateEnterCreate();
    void* memory = nullptr;
    while ((memory = system->PageAlloc(kHeaderPageSize, 0)) == nullptr) {
        if (!RetryAfter(nullptr, MEM_OUT_OF_MEMORY)) {
            GateLeaveCreate();
            return nullptr;
        }
    }
    auto* pool = new (memory) MemPool();
    pool->signature = kPoolSignature;
    pool->flags = flags;
    if (flags & POOL_ENGINE) {
        pool->flags |= POOL_SERIALIZE;
    }
    pool->floor = floor;
    pool->ceiling = ceiling;
    pool->system = system;
    CarveDescriptors(pool, static_cast<uint8_t*>(memory) + sizeof(MemPool),
                     static_cast<uint8_t*>(memory) + kHeaderPageSize);
    LinkPool(pool);
    GateLeaveCreate();
    if (blockSize != 0 && PoolSetBlockSize(pool, blockSize) && initialBlocks != 0) {
        PoolReserve(pool, uint64_t{initialBlocks} * FixedStride(pool), POOL_RESERVE_FIXED);
    }
    return pool;
}

int PoolSetBlockSize(MemPool* pool, uint32_t size) {
    if (!CheckPool(pool)) {
        return 0;
    }
    const uint32_t rounded = static_cast<uint32_t>(MemRoundUp(size, 8));
    if (rounded > static_cast<uint32_t>(pool->pageSize) - kLargeHeader) {
        PoolReportError(pool, MEM_BLOCK_TOO_BIG);
        return 0;
    }
    Lock(pool);
    const bool fixedPagesExist = pool->lists[kTypeFixed] != nullptr;
    if (!fixedPagesExist) {
        pool->blockSize = static_cast<uint16_t>(rounded);
    }
    Unlock(pool);
    return fixedPagesExist ? 0 : 1;
}

int PoolDestroy(MemPool* pool) {
    if (!CheckPool(pool)) {
        return 0;
    }
    if (!GateEnterDestroy(pool)) {
        return 1; // left for the holder of the event to destroy
    }
    DestroyPoolNow(pool);
    GateLeaveDestroy();
    return 1;
}

void* PoolAllocBlock(MemPool* pool, size_t size, uint32_t flags) {
    if (!CheckPool(pool)) {
        return nullptr;
    }
    for (;;) {
        Lock(pool);
        const AllocOutcome outcome = AllocLocked(pool, size, flags);
        Unlock(pool);
        if (outcome.block != nullptr || !RetryAfter(pool, outcome.error)) {
            return outcome.block;
        }
    }
}

int PoolFreeBlock(void* block) {
    if (block == nullptr) {
        return 0;
    }
    PageHeader* page = PageOf(block);
    if (page == nullptr || !PoolValid(page->pool)) {
        PoolReportError(block, MEM_BAD_POINTER);
        return 0;
    }
    MemPool* pool = page->pool;
    if (pool->threadPool) {
        // Claimed before the lock, so that a block queued for the holder cannot be queued twice.
        if (!ClaimFree(page, block)) {
            PoolReportError(block, MEM_BAD_POINTER);
            return 0;
        }
        if (HeldByOtherThread(pool)) {
            QueueDeferredFree(pool, block);
            return 1;
        }
        Lock(pool);
    } else {
        Lock(pool);
        if (!ClaimFree(page, block)) {
            Unlock(pool);
            PoolReportError(block, MEM_BAD_POINTER);
            return 0;
        }
    }
    FreeLocked(pool, page, block);
    Unlock(pool);
    return 1;
}

void* PoolResizeBlock(void* block, size_t size, uint32_t flags) {
    PageHeader* page = LivePage(block);
    if (page == nullptr) {
        return nullptr;
    }
    if (size == 0) {
        PoolReportError(block, MEM_ALLOC_ZERO);
        return block;
    }
    MemPool* pool = page->pool;
    for (;;) {
        Lock(pool);
        if (!IsLive(page, block)) {
            Unlock(pool);
            PoolReportError(block, MEM_BAD_POINTER);
            return nullptr;
        }
        void* resized = block;
        if (ResizeInPlaceLocked(pool, page, resized, size, flags)) {
            Unlock(pool);
            return resized;
        }
        if (flags & BLOCK_IN_PLACE) {
            Unlock(pool);
            PoolReportError(block, MEM_RESIZE_FAILED);
            return nullptr;
        }
        const AllocOutcome outcome = AllocLocked(pool, size, flags);
        if (outcome.block != nullptr) {
            const auto kept = std::min<size_t>(static_cast<size_t>(UsableSize(page, block)), size);
            std::memcpy(outcome.block, block, kept);
            ClaimFree(page, block);
            FreeLocked(pool, page, block);
            Unlock(pool);
            return outcome.block;
        }
        Unlock(pool);
        if (!RetryAfter(pool, outcome.error)) {
            return nullptr;
        }
    }
}

int64_t PoolBlockSize(const void* block) {
    PageHeader* page = LivePage(block);
    if (page == nullptr) {
        return -1;
    }
    Lock(page->pool);
    const int64_t size = UsableSize(page, block);
    Unlock(page->pool);
    return size;
}

int64_t PoolShrink(MemPool* pool) {
    if (!CheckPool(pool)) {
        return -1;
    }
    Lock(pool);
    const int64_t released = ShrinkLocked(pool);
    Unlock(pool);
    return released;
}

int64_t PoolReserve(MemPool* pool, uint64_t bytes, int kind) {
    if (!CheckPool(pool)) {
        return -1;
    }
    int type = 0;
    switch (kind) {
    case POOL_RESERVE_FIXED:
        type = kTypeFixed;
        break;
    case POOL_RESERVE_VARIABLE_RESERVED:
        type = kTypeReserved;
        break;
    case POOL_RESERVE_VARIABLE:
        type = kTypeVariable;
        break;
    default:
        return -1;
    }
    if (type == kTypeFixed && pool->blockSize == 0) {
        PoolReportError(pool, MEM_ALLOC_ZERO);
        return 0;
    }
    int64_t added = 0;
    int error = 0;
    Lock(pool);
    while (static_cast<uint64_t>(added) < bytes) {
        const size_t size = type == kTypeFixed ? FixedPageSize(pool) : pool->pageSize;
        PageHeader* page = NewPage(pool, type, size, &error);
        if (page == nullptr) {
            break;
        }
        added += page->desc->size;
    }
    Unlock(pool);
    return added;
}

int64_t PoolBytesInUse(MemPool* pool) {
    if (!CheckPool(pool)) {
        return -1;
    }
    Lock(pool);
    const auto held = static_cast<int64_t>(pool->bytesHeld);
    Unlock(pool);
    return held;
}

int PoolWalk(MemPool* pool, PoolWalkEntry* entry) {
    if (!PoolValid(pool) || entry == nullptr) {
        PoolReportError(pool, MEM_BAD_MEM_POOL);
        return -2;
    }
    Lock(pool);
    const int step = WalkLocked(pool, entry);
    Unlock(pool);
    if (step < 0) {
        PoolReportError(pool, MEM_BAD_BLOCK);
    }
    return step;
}

namespace {

int WalkToNext(MemPool* pool, PoolWalkEntry* entry, int32_t inUse) {
    int step = 0;
    while ((step = PoolWalk(pool, entry)) > 0 && entry->inUse != inUse) {}
    return step;
}

} // namespace

int PoolNextUsedBlock(MemPool* pool, PoolWalkEntry* entry) { return WalkToNext(pool, entry, 1); }

int PoolNextFreeBlock(MemPool* pool, PoolWalkEntry* entry) { return WalkToNext(pool, entry, 0); }

int PoolCheck(MemPool* pool) {
    if (!CheckPool(pool)) {
        return 0;
    }
    Lock(pool);
    const bool sound = CheckLocked(pool);
    Unlock(pool);
    if (!sound) {
        PoolReportError(pool, MEM_BAD_FREE_BLOCK);
    }
    return sound ? 1 : 0;
}
