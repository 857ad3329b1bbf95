#pragma once
// Test kit of the memory manager: a system layer that counts pages and refuses them on demand,
// a recording error handler with scripted answers, and a fixture that resets the manager.
#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/MemorySystem.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {

/// Real pages (over mmap) with counters and fault injection.
class FakeMemSystem final : public CMmapMemSystem {
public:
    void* PageAlloc(size_t size, uint32_t flags) override {
        ++allocCalls;
        lastAllocSize = MemRoundUp(size, kMemSysPage);
        if (failAll || failNext > 0) {
            if (failNext > 0) --failNext;
            ++refused;
            return nullptr;
        }
        void* page = CMmapMemSystem::PageAlloc(size, flags);
        if (page != nullptr) ++reserved;
        return page;
    }
    void PageRelease(void* page, size_t size) override {
        ++released;
        lastReleaseSize = MemRoundUp(size, kMemSysPage);
        CMmapMemSystem::PageRelease(page, size);
    }
    bool PageResize(void* page, size_t oldSize, size_t newSize, uint32_t flags) override {
        ++resizeCalls;
        if (refuseResize) return false;
        const bool done = CMmapMemSystem::PageResize(page, oldSize, newSize, flags);
        resizedInPlace += done ? 1 : 0;
        return done;
    }
    void* PageMove(void* page, size_t oldSize, size_t newSize, uint32_t flags) override {
        ++moves;
        return CMemSystem::PageMove(page, oldSize, newSize, flags);
    }

    int allocCalls = 0;
    int reserved = 0;
    int released = 0;
    int refused = 0;
    int resizeCalls = 0;
    int resizedInPlace = 0;
    int moves = 0;
    size_t lastAllocSize = 0;
    size_t lastReleaseSize = 0;
    int failNext = 0;
    bool failAll = false;
    bool refuseResize = false;
};

/// Records every error report and answers from a script (0 when the script is empty).
struct ErrorRecorder {
    static ErrorRecorder& Get();
    static int Handler(MemErrorRecord* record);

    void Clear();
    std::vector<int> Codes();
    void Script(std::initializer_list<int> answers);

    std::mutex mutex;
    std::vector<int> codes;
    std::vector<const void*> objects;
    std::deque<int> answers;
};

/// Fixture: headless services, a fresh manager and the recording handler installed.
class MemoryTest : public HeadlessTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<int> Codes() { return ErrorRecorder::Get().Codes(); }
    /// A pool made on the fake system layer.
    MemPool* FakePool(uint64_t floor = kPoolDefaultFloor, uint64_t ceiling = kPoolDefaultCeiling,
                      uint32_t blockSize = 24, uint16_t flags = POOL_SERIALIZE);

    FakeMemSystem fake;
    std::vector<MemPool*> pools;
};

/// Counts the blocks in use of a pool by walking it; -1 when the walk fails.
int64_t LiveBlocks(MemPool* pool);

} // namespace vqt::test
