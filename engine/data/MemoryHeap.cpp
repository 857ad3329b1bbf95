// The C heap functions over the calling thread's default pool, and the allocation behind the
// pooled operator new.
#include <limits>
#include <new>

#include "engine/data/MemoryInternal.h"

using namespace memi;

namespace {

size_t HeapSize(size_t size) {
    if (size == 0) {
        return 4;
    }
    return size > std::numeric_limits<size_t>::max() - 3 ? size : (size + 3) & ~size_t{3};
}

/// Calls the installed new handler; false when there is none or it gave up by throwing.
bool RunNewHandler() {
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) {
        return false;
    }
    try {
        handler();
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void* HeapAlloc(size_t size, uint32_t flags) {
    for (;;) {
        MemPool* pool = PoolForThread();
        void* block = pool != nullptr ? PoolAllocBlock(pool, size, flags) : nullptr;
        if (block != nullptr || Manager().newMode.load(std::memory_order_relaxed) == 0 || !RunNewHandler()) {
            return block;
        }
    }
}

} // namespace

void* NewWithHandler(size_t size, uint32_t flags, MemPool* pool) {
    if (size == 0) {
        size = 1;
    }
    for (;;) {
        MemPool* target = pool != nullptr ? pool : PoolForThread();
        void* block = target != nullptr ? PoolAllocBlock(target, size, flags) : nullptr;
        if (block != nullptr) {
            return block;
        }
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            return nullptr;
        }
        handler(); // frees memory and returns (try again), or throws
    }
}

void* xHeap_Malloc(size_t size) { return HeapAlloc(HeapSize(size), 0); }

void* xHeap_Calloc(size_t count, size_t size) {
    if (size != 0 && count > std::numeric_limits<size_t>::max() / size) {
        return nullptr; // the product does not fit
    }
    return HeapAlloc(HeapSize(count * size), BLOCK_ZEROINIT);
}

void* xHeap_Realloc(void* block, size_t size) {
    if (block == nullptr) {
        return xHeap_Malloc(size);
    }
    if (size == 0) {
        xHeap_Free(block);
        return nullptr;
    }
    return PoolResizeBlock(block, HeapSize(size), 0);
}

void xHeap_Free(void* block) { PoolFreeBlock(block); }

void* xHeap_Expand(void* block, size_t size) { return PoolResizeBlock(block, HeapSize(size), BLOCK_IN_PLACE); }

size_t xHeap_Msize(void* block) {
    const int64_t size = PoolBlockSize(block);
    return size < 0 ? static_cast<size_t>(-1) : static_cast<size_t>(size) & ~size_t{3};
}

int xHeap_Add(void*, size_t) { return -1; }

int xHeap_Chk() {
    MemPool* pool = PoolForThread();
    return pool != nullptr && PoolCheck(pool) ? XHEAP_OK : XHEAP_BADNODE;
}

int xHeap_Set(unsigned) { return xHeap_Chk(); }

int xHeap_Walk(xHeapWalkInfo* entry) {
    if (entry == nullptr) {
        return XHEAP_BADPTR;
    }
    MemPool* pool = PoolForThread();
    if (pool == nullptr) {
        return XHEAP_BADNODE;
    }
    PoolWalkEntry walk;
    if (entry->pointer != nullptr) {
        PageHeader* page = PageOf(entry->pointer);
        Lock(pool);
        const bool ours = page != nullptr && page->pool == pool && IsBlockStart(page, entry->pointer);
        Unlock(pool);
        if (!ours) {
            return XHEAP_BADPTR;
        }
        walk.block = entry->pointer;
        walk.pool = pool;
        walk.pageType = page->Type();
        walk.page = page->desc;
    }
    const int step = PoolWalk(pool, &walk);
    if (step == 0) {
        return XHEAP_END;
    }
    if (step < 0) {
        return XHEAP_BADNODE;
    }
    entry->pointer = walk.block;
    entry->size = static_cast<size_t>(walk.size);
    entry->useFlag = walk.inUse;
    return XHEAP_OK;
}

size_t xHeap_Used(size_t* used, size_t* committed) {
    MemPool* pool = PoolForThread();
    const int64_t held = pool != nullptr ? PoolBytesInUse(pool) : 0;
    const size_t bytes = held > 0 ? static_cast<size_t>(held) : 0;
    if (used != nullptr) {
        *used = bytes;
    }
    if (committed != nullptr) {
        *committed = bytes;
    }
    return bytes;
}

int xHeap_Min() {
    if (MemPool* pool = PoolForThread()) {
        PoolShrink(pool);
    }
    return 0;
}

int xHeap_SetNewMode(int mode) { return Manager().newMode.exchange(mode, std::memory_order_relaxed); }

const xHeapTable& xHeap_GetTable() {
    static constexpr xHeapTable table{
        xHeap_Malloc, xHeap_Calloc, xHeap_Realloc, xHeap_Free, xHeap_Expand,   xHeap_Msize,
        xHeap_Add,    xHeap_Chk,    xHeap_Set,     xHeap_Walk, xHeap_Used,     xHeap_Min,
    };
    return table;
}
