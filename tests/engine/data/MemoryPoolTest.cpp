#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/MemoryInternal.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

using vqt::test::ErrorRecorder;
using vqt::test::LiveBlocks;
using vqt::test::MemoryTest;

class PoolTest : public MemoryTest {};

bool Aligned16(const void* block) { return (reinterpret_cast<uintptr_t>(block) & 15) == 0; }

int PageTypeOf(MemPool* pool, const void* block) {
    PoolWalkEntry entry;
    while (PoolWalk(pool, &entry) == 1) {
        if (entry.block == block) return entry.pageType;
    }
    return -1;
}

TEST_F(PoolTest, UsableSizesFollowThePageKinds) {
    MemPool* pool = FakePool();
    void* one = PoolAllocBlock(pool, 1);
    EXPECT_EQ(PoolBlockSize(one), 7);
    EXPECT_EQ(PageTypeOf(pool, one), 4);
    EXPECT_EQ(fake.lastAllocSize, 65536u); // the first small page

    void* top = PoolAllocBlock(pool, 256);
    EXPECT_EQ(PoolBlockSize(top), 263); // class 32
    void* eight = PoolAllocBlock(pool, 8);
    EXPECT_EQ(PoolBlockSize(eight), 15);

    void* variable = PoolAllocBlock(pool, 257);
    EXPECT_EQ(PageTypeOf(pool, variable), 0);
    EXPECT_EQ(fake.lastAllocSize, 16384u);
    EXPECT_GE(PoolBlockSize(variable), 257);
    EXPECT_LE(PoolBlockSize(variable), 257 + 32);

    void* large = PoolAllocBlock(pool, 4097);
    EXPECT_EQ(PageTypeOf(pool, large), 3);
    EXPECT_EQ(fake.lastAllocSize, 8192u); // 4097 + 32 rounded up to 4096
    EXPECT_EQ(PoolBlockSize(large), 8160);
    EXPECT_EQ(PoolBytesInUse(pool), 65536 + 16384 + 8192);

    for (void* block : {one, top, eight, variable, large}) EXPECT_EQ(PoolFreeBlock(block), 1);
    EXPECT_TRUE(Codes().empty());
}

TEST_F(PoolTest, EveryBlockIsSixteenByteAlignedAndWritable) {
    MemPool* pool = FakePool();
    std::vector<void*> blocks;
    for (size_t size = 0; size <= 5000; size += 7) {
        void* block = PoolAllocBlock(pool, size);
        ASSERT_NE(block, nullptr) << size;
        EXPECT_TRUE(Aligned16(block)) << size;
        ASSERT_GE(PoolBlockSize(block), static_cast<int64_t>(size));
        std::memset(block, 0xA5, static_cast<size_t>(PoolBlockSize(block)));
        blocks.push_back(block);
    }
    EXPECT_EQ(LiveBlocks(pool), static_cast<int64_t>(blocks.size()));
    for (void* block : blocks) EXPECT_EQ(PoolFreeBlock(block), 1);
    EXPECT_EQ(LiveBlocks(pool), 0);
    EXPECT_EQ(PoolCheck(pool), 1);
}

TEST_F(PoolTest, ZeroFillClearsTheUsableBytes) {
    MemPool* pool = FakePool();
    for (size_t size : {5u, 200u, 1000u, 6000u}) {
        void* dirty = PoolAllocBlock(pool, size);
        std::memset(dirty, 0xFF, size);
        PoolFreeBlock(dirty);
        auto* clean = static_cast<uint8_t*>(PoolAllocBlock(pool, size, BLOCK_ZEROINIT));
        const auto usable = static_cast<size_t>(PoolBlockSize(clean));
        for (size_t i = 0; i < usable; ++i) ASSERT_EQ(clean[i], 0) << size << " at " << i;
        PoolFreeBlock(clean);
    }
}

TEST_F(PoolTest, RetentionRuleBoundaryIsInclusive) {
    const uint64_t held = 65536 + 16384; // one small page and one variable page
    for (const bool atFloor : {true, false}) {
        MemPool* pool = FakePool(held - 65535 + (atFloor ? 0 : 1));
        void* small = PoolAllocBlock(pool, 10);
        void* block = PoolAllocBlock(pool, 1000);
        ASSERT_EQ(static_cast<uint64_t>(PoolBytesInUse(pool)), held);
        const int released = fake.released;
        PoolFreeBlock(block);
        EXPECT_EQ(fake.released - released, atFloor ? 1 : 0) << atFloor;
        PoolFreeBlock(small);
        EXPECT_EQ(PoolCheck(pool), 1);
    }
}

TEST_F(PoolTest, SmallResizeStaysInItsClass) {
    MemPool* pool = FakePool();
    auto* block = static_cast<char*>(PoolAllocBlock(pool, 20));
    std::strcpy(block, "nineteen letters..");
    EXPECT_EQ(PoolResizeBlock(block, 23), block);
    void* moved = PoolResizeBlock(block, 24);
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, block);
    EXPECT_STREQ(static_cast<char*>(moved), "nineteen letters..");
    EXPECT_EQ(PoolFreeBlock(block), 0); // the old block went with the move
    Codes();
    // In place only: stays whenever the new size fits the usable size.
    void* small = PoolAllocBlock(pool, 3);
    EXPECT_EQ(PoolResizeBlock(small, 7, BLOCK_IN_PLACE), small);
    EXPECT_EQ(PoolResizeBlock(small, 8, BLOCK_IN_PLACE), nullptr);
    PoolFreeBlock(small);
    PoolFreeBlock(moved);
}

TEST_F(PoolTest, VariableResizeGrowsIntoFreeSuccessorOrFails) {
    MemPool* pool = FakePool();
    // A fresh variable page hands out tails, so b lies directly in front of a.
    void* a = PoolAllocBlock(pool, 300);
    auto* b = static_cast<uint8_t*>(PoolAllocBlock(pool, 300));
    ASSERT_EQ(b + PoolBlockSize(b) + 2, a);
    std::memset(b, 0x5A, 300);

    EXPECT_EQ(PoolResizeBlock(b, 900, BLOCK_IN_PLACE), nullptr);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_RESIZE_FAILED});
    EXPECT_EQ(b[299], 0x5A); // the old block stays valid

    PoolFreeBlock(a);
    EXPECT_EQ(PoolResizeBlock(b, 550, BLOCK_IN_PLACE | BLOCK_ZEROINIT), b);
    EXPECT_GE(PoolBlockSize(b), 550);
    EXPECT_EQ(b[299], 0x5A);
    for (int i = 302; i < 550; ++i) ASSERT_EQ(b[i], 0) << i;
    // Shrinking splits off the rest, which can serve the next request.
    EXPECT_EQ(PoolResizeBlock(b, 280), b);
    EXPECT_LT(PoolBlockSize(b), 300);
    PoolFreeBlock(b);
    EXPECT_EQ(PoolCheck(pool), 1);
}

TEST_F(PoolTest, FrontFlagHandsOutTheFrontOfASplitBlock) {
    MemPool* pool = FakePool();
    auto* tail = static_cast<uint8_t*>(PoolAllocBlock(pool, 500));
    auto* front = static_cast<uint8_t*>(PoolAllocBlock(pool, 500, BLOCK_FRONT));
    auto* next = static_cast<uint8_t*>(PoolAllocBlock(pool, 500, BLOCK_FRONT));
    EXPECT_LT(front, tail);
    EXPECT_EQ(front + PoolBlockSize(front) + 2, next); // front parts follow each other
    for (void* block : {tail, front, next}) PoolFreeBlock(block);
    EXPECT_EQ(PoolCheck(pool), 1);
}

TEST_F(PoolTest, LargeResizeGrowsInPlaceThenMoves) {
    MemPool* pool = FakePool();
    auto* block = static_cast<uint8_t*>(PoolAllocBlock(pool, 5000));
    std::memset(block, 0x33, 5000);
    // 60000 bytes still fit the page's 64 KB reservation.
    EXPECT_EQ(PoolResizeBlock(block, 60000, BLOCK_ZEROINIT), block);
    EXPECT_EQ(fake.resizedInPlace, 1);
    EXPECT_EQ(PoolBlockSize(block), 61440 - 32);
    EXPECT_EQ(block[4999], 0x33);
    EXPECT_EQ(block[59999], 0);
    // 70000 bytes do not: in place only fails, else the page moves with its contents.
    EXPECT_EQ(PoolResizeBlock(block, 70000, BLOCK_IN_PLACE), nullptr);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_RESIZE_FAILED});
    auto* moved = static_cast<uint8_t*>(PoolResizeBlock(block, 70000));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(fake.moves, 1);
    EXPECT_EQ(moved[4999], 0x33);
    EXPECT_EQ(PoolBytesInUse(pool), 73728);
    EXPECT_EQ(PoolFreeBlock(block), 0); // the old address is gone
    // Down to a variable block: the block moves into a variable page.
    void* smaller = PoolResizeBlock(moved, 1000);
    ASSERT_NE(smaller, nullptr);
    EXPECT_EQ(PageTypeOf(pool, smaller), 0);
    EXPECT_EQ(static_cast<uint8_t*>(smaller)[999], 0x33);
    PoolFreeBlock(smaller);
}

TEST_F(PoolTest, ForeignAndFreedPointersAreReportedNotFollowed) {
    MemPool* pool = FakePool();
    int onStack = 0;
    void* fromMalloc = std::malloc(64);
    auto* block = static_cast<uint8_t*>(PoolAllocBlock(pool, 100));
    auto* large = static_cast<uint8_t*>(PoolAllocBlock(pool, 200000));

    EXPECT_EQ(PoolFreeBlock(&onStack), 0);
    EXPECT_EQ(PoolFreeBlock(fromMalloc), 0);
    EXPECT_EQ(PoolFreeBlock(block + 16), 0);     // inside a block
    EXPECT_EQ(PoolFreeBlock(large + 100000), 0); // beyond the first 64 KB of a large page
    EXPECT_EQ(PoolResizeBlock(fromMalloc, 10), nullptr);
    EXPECT_EQ(Codes(), std::vector<int>(5, MEM_BAD_POINTER));
    std::free(fromMalloc);

    ErrorRecorder::Get().Clear();
    EXPECT_EQ(PoolFreeBlock(block), 1);
    EXPECT_EQ(PoolFreeBlock(block), 0); // freed twice
    EXPECT_EQ(PoolResizeBlock(block, 50), nullptr);
    EXPECT_EQ(PoolFreeBlock(large), 1);
    EXPECT_EQ(PoolFreeBlock(large), 0);
    EXPECT_EQ(Codes(), std::vector<int>(3, MEM_BAD_POINTER));
    EXPECT_EQ(PoolCheck(pool), 1);
    // The double free did not put the block on a free list twice.
    void* first = PoolAllocBlock(pool, 100);
    void* second = PoolAllocBlock(pool, 100);
    EXPECT_NE(first, second);
    PoolFreeBlock(first);
    PoolFreeBlock(second);
    EXPECT_EQ(PoolFreeBlock(nullptr), 0);
}

TEST_F(PoolTest, BadPoolHandleIsRefusedByEveryOperation) {
    alignas(64) static uint8_t notAPool[4096] = {};
    auto* bad = reinterpret_cast<MemPool*>(notAPool);
    PoolWalkEntry entry;
    EXPECT_EQ(PoolAllocBlock(bad, 10), nullptr);
    EXPECT_EQ(PoolDestroy(bad), 0);
    EXPECT_EQ(PoolReserve(bad, 1000, POOL_RESERVE_VARIABLE), -1);
    EXPECT_EQ(PoolWalk(bad, &entry), -2);
    EXPECT_EQ(PoolCheck(bad), 0);
    EXPECT_EQ(PoolAllocBlock(nullptr, 10), nullptr);
    EXPECT_EQ(Codes(), std::vector<int>(6, MEM_BAD_MEM_POOL));
}

TEST_F(PoolTest, CeilingStopsNewPages) {
    MemPool* pool = FakePool(kPoolDefaultFloor, 16384);
    EXPECT_EQ(PoolAllocBlock(pool, 100000), nullptr);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_EXCEEDED_CEILING});
    std::vector<void*> blocks;
    while (void* block = PoolAllocBlock(pool, 1000)) blocks.push_back(block);
    EXPECT_EQ(blocks.size(), 16u); // one variable page's worth
    EXPECT_EQ(Codes().back(), MEM_EXCEEDED_CEILING);
    for (void* block : blocks) PoolFreeBlock(block);
    // A request above what any pool may hold.
    EXPECT_EQ(PoolAllocBlock(FakePool(), size_t{5} << 30), nullptr);
    EXPECT_EQ(Codes().back(), MEM_EXCEEDED_CEILING);
}

TEST_F(PoolTest, OutOfMemoryAsksTheHandlerAndRetriesWhileItSaysSo) {
    MemPool* pool = FakePool();
    fake.failAll = true;
    ErrorRecorder::Get().Script({1, 1, 0});
    const int attempts = fake.allocCalls;
    EXPECT_EQ(PoolAllocBlock(pool, 100000), nullptr);
    EXPECT_EQ(Codes(), std::vector<int>(3, MEM_OUT_OF_MEMORY));
    EXPECT_EQ(fake.allocCalls - attempts, 3);

    fake.failAll = false;
    fake.failNext = 1;
    ErrorRecorder::Get().Clear();
    ErrorRecorder::Get().Script({1});
    void* block = PoolAllocBlock(pool, 100000);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_OUT_OF_MEMORY});
    PoolFreeBlock(block);
}

TEST_F(PoolTest, ReserveAndFixedBlocks) {
    MemPool* pool = FakePool(kPoolDefaultFloor, kPoolDefaultCeiling, 0);
    EXPECT_EQ(PoolReserve(pool, 100, POOL_RESERVE_FIXED), 0);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_ALLOC_ZERO});
    EXPECT_EQ(PoolReserve(pool, 100, 3), -1);
    EXPECT_EQ(PoolReserve(pool, 20000, POOL_RESERVE_VARIABLE_RESERVED), 32768);
    EXPECT_EQ(PoolSetBlockSize(pool, 16353), 0);
    EXPECT_EQ(Codes().back(), MEM_BLOCK_TOO_BIG);
    EXPECT_EQ(PoolSetBlockSize(pool, 37), 1); // rounded to 40
    EXPECT_GT(PoolReserve(pool, 40 * 10, POOL_RESERVE_FIXED), 0);
    EXPECT_EQ(PoolSetBlockSize(pool, 64), 0); // fixed pages exist

    void* fixed = PoolAllocBlock(pool, 30);
    EXPECT_EQ(PoolBlockSize(fixed), 40);
    EXPECT_EQ(PageTypeOf(pool, fixed), 1);
    EXPECT_TRUE(Aligned16(fixed));
    // Variable requests use the reserved variable pages before taking new ones.
    const int reserved = fake.reserved;
    void* variable = PoolAllocBlock(pool, 1000);
    EXPECT_EQ(PageTypeOf(pool, variable), 2);
    EXPECT_EQ(fake.reserved, reserved);
    EXPECT_EQ(PoolCheck(pool), 1);
    PoolFreeBlock(fixed);
    PoolFreeBlock(variable);

    MemPool* preset = PoolCreateEx(64, 500, POOL_SERIALIZE);
    pools.push_back(preset);
    EXPECT_GE(PoolBytesInUse(preset), 500 * 64);
    EXPECT_EQ(PoolBlockSize(PoolAllocBlock(preset, 64)), 64);
}

TEST_F(PoolTest, ShrinkReleasesEmptyPagesAboveTheFloor) {
    MemPool* pool = FakePool(16384);
    PoolReserve(pool, 7 * 16384, POOL_RESERVE_VARIABLE);
    auto* kept = static_cast<uint8_t*>(PoolAllocBlock(pool, 2000));
    kept[1999] = 7;
    EXPECT_EQ(PoolBytesInUse(pool), 7 * 16384);
    // Empty pages go while bytes held less 65535 stays at the floor: three of the six.
    EXPECT_EQ(PoolShrink(pool), 3 * 16384);
    EXPECT_EQ(PoolBytesInUse(pool), 4 * 16384);
    EXPECT_EQ(PoolShrink(pool), 0);
    EXPECT_EQ(kept[1999], 7);
    EXPECT_EQ(PoolFreeBlock(kept), 1);
}

TEST_F(PoolTest, WalkVisitsEveryBlockOnceWithItsSize) {
    MemPool* pool = FakePool();
    std::set<void*> live;
    std::vector<void*> all;
    for (int i = 0; i < 300; ++i) {
        const size_t size = static_cast<size_t>((i * 37) % 700 + (i % 50 == 0 ? 9000 : 0));
        all.push_back(PoolAllocBlock(pool, size));
    }
    for (size_t i = 0; i < all.size(); ++i) {
        if (i % 3 == 0) {
            PoolFreeBlock(all[i]);
        } else {
            live.insert(all[i]);
        }
    }
    std::set<void*> seen;
    PoolWalkEntry entry;
    int step;
    while ((step = PoolWalk(pool, &entry)) == 1) {
        EXPECT_EQ(entry.pool, pool);
        if (entry.inUse) {
            EXPECT_TRUE(seen.insert(entry.block).second);
            EXPECT_EQ(entry.size, PoolBlockSize(entry.block));
        }
    }
    EXPECT_EQ(step, 0);
    EXPECT_EQ(seen, live);
    for (void* block : live) PoolFreeBlock(block);
}

TEST_F(PoolTest, DamageIsFoundByCheckAndWalk) {
    MemPool* pool = FakePool();
    auto* a = static_cast<uint8_t*>(PoolAllocBlock(pool, 400));
    void* b = PoolAllocBlock(pool, 400);
    PoolFreeBlock(b);
    uint16_t word;
    std::memcpy(&word, a - 2, 2);
    const uint16_t broken = static_cast<uint16_t>(word + 8); // a size off the 16-byte grid
    std::memcpy(a - 2, &broken, 2);
    EXPECT_EQ(PoolCheck(pool), 0);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_BAD_FREE_BLOCK});
    PoolWalkEntry entry;
    int step;
    while ((step = PoolWalk(pool, &entry)) == 1) {
    }
    EXPECT_LT(step, 0);
    EXPECT_EQ(Codes().back(), MEM_BAD_BLOCK);
    std::memcpy(a - 2, &word, 2);
    EXPECT_EQ(PoolCheck(pool), 1);

    // A small free list whose link is overwritten (a write after free).
    void* small = PoolAllocBlock(pool, 24);
    PoolFreeBlock(small);
    void* stray = &word;
    std::memcpy(small, &stray, sizeof stray);
    EXPECT_EQ(PoolCheck(pool), 0);
    void* none = nullptr;
    std::memcpy(small, &none, sizeof none);
    EXPECT_EQ(PoolCheck(pool), 1);
    PoolFreeBlock(a);
}

TEST_F(PoolTest, DestroyGivesEveryPageBack) {
    MemPool* pool = FakePool();
    const int before = fake.reserved - fake.released;
    for (size_t size : {10u, 100u, 1000u, 10000u, 100000u}) PoolAllocBlock(pool, size);
    EXPECT_GT(fake.reserved - fake.released, before);
    pools.clear();
    EXPECT_EQ(PoolDestroy(pool), 1);
    EXPECT_EQ(fake.reserved, fake.released);
}

} // namespace
