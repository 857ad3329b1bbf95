#include "engine/data/DynArray.h"

#include "engine/data/Memory.h"

int DynArray_Reserve(void** data, int32_t* capacity, int32_t count, int32_t elementSize, int32_t chunk) {
    if (count < 0 || elementSize <= 0 || chunk <= 0) {
        return 0;
    }
    const int64_t need = int64_t{count} * elementSize;
    const int64_t step = int64_t{chunk} * elementSize;
    const int64_t upper = (need / step + 1) * step;
    if (need <= *capacity && *capacity <= upper) {
        return 1;
    }
    if (upper > INT32_MAX) {
        return 0;
    }
    void* block = *data != nullptr ? PoolResizeBlock(*data, static_cast<size_t>(upper), BLOCK_FRONT)
                                   : PoolAllocBlock(PoolForThread(), static_cast<size_t>(upper), BLOCK_FRONT);
    if (block == nullptr) {
        return 0;
    }
    *data = block;
    *capacity = static_cast<int32_t>(upper);
    return 1;
}

void DynArray_Free(void* data) { PoolFreeBlock(data); }
