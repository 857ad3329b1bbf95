#include "engine/graphics/GraphicsMemory.h"

#include "engine/data/Memory.h"
#include "engine/data/TempBuffers.h"

namespace {

MemPool* PoolOrThread(void* pool) {
    return pool != nullptr ? static_cast<MemPool*>(pool) : PoolForThread();
}

} // namespace

void* xGfx_Alloc(void* pool, size_t size) {
    return PoolAllocBlock(PoolOrThread(pool), size ? size : 1, BLOCK_ZEROINIT);
}

void* xGfx_Resize(void* pool, void* block, size_t size) {
    if (block == nullptr) {
        return PoolAllocBlock(PoolOrThread(pool), size ? size : 1);
    }
    return PoolResizeBlock(block, size ? size : 1);
}

void xGfx_Free(void* block) { PoolFreeBlock(block); }

void* xGfx_TempGet(size_t size) {
    return size > UINT32_MAX ? nullptr : xTempBuffers_Get(static_cast<uint32_t>(size));
}

void xGfx_TempRelease(void* buffer) { xTempBuffers_Release(&buffer); }
