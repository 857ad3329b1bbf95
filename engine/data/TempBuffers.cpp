#include "engine/data/TempBuffers.h"

#include "engine/base/Trace.h"
#include "engine/data/DataState.h"
#include "engine/data/Memory.h"

namespace {

constexpr uint32_t kKeepBelow = 65536; ///< buffers smaller than this stay allocated

using Record = TempBuffersContext::Record;

TempBuffersContext& Context() { return xData_State().tempBuffers; }

bool Initialise(TempBuffersContext& c) {
    c.table = static_cast<Record*>(PoolAllocBlock(PoolForThread(), size_t{c.count} * sizeof(Record), BLOCK_ZEROINIT));
    if (c.table == nullptr) {
        return false;
    }
    c.numTotal = 0;
    c.numInUse = 0;
    c.totalSize = 0;
    c.bytesUsed = 0;
    c.initialised = true;
    return true;
}

} // namespace

void xTempBuffers_SetCount(uint32_t count) {
    TempBuffersContext& c = Context();
    if (c.initialised) {
        xTrace("Tempbuffers initialized already, cannot change the number\n");
        return;
    }
    c.count = count;
}

void* xTempBuffers_Get(uint32_t size, MemPool* pool) {
    TempBuffersContext& c = Context();
    if (!c.initialised && !Initialise(c)) {
        return nullptr;
    }
    for (uint32_t i = 0; i < c.count; ++i) {
        Record& record = c.table[i];
        if (!record.inUse && record.buffer != nullptr && record.capacity >= size) {
            record.inUse = 1;
            record.requested = size;
            ++c.numInUse;
            c.bytesUsed += size;
            return record.buffer;
        }
    }
    for (uint32_t i = 0; i < c.count; ++i) {
        Record& record = c.table[i];
        if (record.inUse || record.buffer != nullptr || record.capacity != 0) {
            continue;
        }
        // The record is taken only when the memory could be had, so a failed borrow leaves
        // the table and the statistics as they were.
        void* buffer = PoolAllocBlock(pool != nullptr ? pool : PoolForThread(), size);
        if (buffer == nullptr) {
            return nullptr;
        }
        record.buffer = buffer;
        record.capacity = size;
        record.requested = size;
        record.inUse = 1;
        ++c.numTotal;
        ++c.numInUse;
        c.totalSize += size;
        c.bytesUsed += size;
        return buffer;
    }
    return nullptr;
}

bool xTempBuffers_Release(void** buffer) {
    TempBuffersContext& c = Context();
    if (!c.initialised || buffer == nullptr || *buffer == nullptr) {
        return false; // a null pointer would match an empty record
    }
    for (uint32_t i = 0; i < c.count; ++i) {
        Record& record = c.table[i];
        if (record.buffer != *buffer) {
            continue;
        }
        if (!record.inUse) {
            return false; // released already
        }
        --c.numInUse;
        c.bytesUsed -= record.requested;
        if (record.capacity < kKeepBelow) {
            record.requested = 0;
            record.inUse = 0;
        } else {
            PoolFreeBlock(record.buffer);
            --c.numTotal;
            c.totalSize -= record.capacity;
            record = Record{};
        }
        *buffer = nullptr;
        return true;
    }
    return false;
}

void xTempBuffers_Preallocate(uint32_t count, uint32_t size) {
    TempBuffersContext& c = Context();
    if (count > c.count) {
        count = c.count;
    }
    void** borrowed = static_cast<void**>(PoolAllocBlock(PoolForThread(), size_t{count} * sizeof(void*) + 1));
    if (borrowed == nullptr) {
        return;
    }
    uint32_t got = 0;
    while (got < count && (borrowed[got] = xTempBuffers_Get(size)) != nullptr) {
        ++got;
    }
    for (uint32_t i = 0; i < got; ++i) {
        xTempBuffers_Release(&borrowed[i]);
    }
    PoolFreeBlock(borrowed);
}

void TempBuffersContext::ReleaseAll() {
    if (!initialised) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        PoolFreeBlock(table[i].buffer);
        table[i] = Record{};
    }
    PoolFreeBlock(table);
    table = nullptr;
    initialised = false;
    numTotal = 0;
    numInUse = 0;
    totalSize = 0;
    bytesUsed = 0;
}

void xTempBuffers_ReleaseAll() { Context().ReleaseAll(); }

int16_t xTempBuffers_GetNumInUse() { return Context().numInUse; }
uint32_t xTempBuffers_GetBytesUsed() { return Context().bytesUsed; }
int16_t xTempBuffers_GetNumTotal() { return Context().numTotal; }
uint32_t xTempBuffers_GetTotalSize() { return Context().totalSize; }
