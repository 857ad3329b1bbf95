#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

#include "engine/data/Memory.h"
#include "engine/data/MemoryInternal.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

using vqt::test::MemoryTest;

class PoolThreadTest : public MemoryTest {};

/// Runs `work` on a new thread whose id modulo 17 is `residue` (or, with `same` false, is
/// not); threads are started until one fits.
bool RunOnThread(uint32_t residue, bool same, const std::function<void()>& work) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        bool ran = false;
        std::thread thread([&] {
            if ((memi::ThreadId() % 17 == residue) == same) {
                work();
                ran = true;
            }
        });
        thread.join();
        if (ran) return true;
    }
    return false;
}

TEST_F(PoolThreadTest, SeveralProcessorsShareOneUnlockedPool) {
    system().SetProcessorCount(4);
    MemPool* mine = PoolForThread();
    EXPECT_EQ(mine->lock.owner.load(), 0u);
    MemPool* theirs = nullptr;
    std::thread([&] { theirs = PoolForThread(); }).join();
    EXPECT_EQ(mine, theirs);
    void* block = PoolAllocBlock(mine, 10);
    EXPECT_EQ(PoolFreeBlock(block), 1);
}

TEST_F(PoolThreadTest, OneProcessorGivesThreadsOfTheSameSlotTheSamePool) {
    system().SetProcessorCount(1);
    const uint32_t residue = memi::ThreadId() % 17;
    MemPool* mine = PoolForThread();
    EXPECT_EQ(mine->lock.owner.load(), memi::ThreadId()); // handed out locked
    void* block = PoolAllocBlock(mine, 10);               // which this call takes over
    EXPECT_EQ(mine->lock.owner.load(), 0u);

    MemPool* sameSlot = nullptr;
    ASSERT_TRUE(RunOnThread(residue, true, [&] {
        sameSlot = PoolForThread();
        PoolFreeBlock(PoolAllocBlock(sameSlot, 10));
    }));
    EXPECT_EQ(sameSlot, mine);
    MemPool* otherSlot = nullptr;
    ASSERT_TRUE(RunOnThread(residue, false, [&] {
        otherSlot = PoolForThread();
        PoolFreeBlock(PoolAllocBlock(otherSlot, 10));
    }));
    EXPECT_NE(otherSlot, mine);

    // While this thread holds its pool, a thread of the same slot gets another pool of the ring.
    ASSERT_EQ(PoolForThread(), mine);
    MemPool* busyCase = nullptr;
    ASSERT_TRUE(RunOnThread(residue, true, [&] {
        busyCase = PoolForThread();
        PoolFreeBlock(PoolAllocBlock(busyCase, 10));
    }));
    EXPECT_EQ(busyCase, otherSlot);
    EXPECT_EQ(PoolFreeBlock(block), 1); // takes over the hold and releases it
    EXPECT_EQ(mine->lock.owner.load(), 0u);
}

TEST_F(PoolThreadTest, FreeIntoABusyThreadPoolIsQueuedAndDrainedByTheHolder) {
    system().SetProcessorCount(1);
    MemPool* pool = PoolForThread();
    void* first = PoolAllocBlock(pool, 40);
    void* second = PoolAllocBlock(pool, 40);
    void* third = PoolAllocBlock(pool, 40);
    ASSERT_EQ(PoolForThread(), pool); // held by this thread now

    // The other thread's frees do not wait for the lock.
    auto freeElsewhere = [](void* block) {
        auto done = std::async(std::launch::async, [block] { return PoolFreeBlock(block); });
        return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready && done.get() == 1;
    };
    ASSERT_TRUE(freeElsewhere(first));
    ASSERT_TRUE(freeElsewhere(second));
    EXPECT_EQ(pool->lock.owner.load(), memi::ThreadId());
    EXPECT_EQ(PoolBlockSize(first), -1); // no longer a block in use

    // This call takes over the hold; its unlock drains all but the newest queued block.
    EXPECT_GT(PoolBytesInUse(pool), 0);
    EXPECT_EQ(pool->lock.owner.load(), 0u);
    EXPECT_EQ(PoolAllocBlock(pool, 40), first); // back on its free list
    void* fresh = PoolAllocBlock(pool, 40);
    EXPECT_NE(fresh, second); // still queued

    // A later queued free moves it behind the head, and the next drain frees it.
    ASSERT_EQ(PoolForThread(), pool);
    ASSERT_TRUE(freeElsewhere(third));
    PoolBytesInUse(pool);
    EXPECT_EQ(PoolAllocBlock(pool, 40), second);
    EXPECT_EQ(PoolCheck(pool), 1);
    EXPECT_EQ(vqt::test::LiveBlocks(pool), 3); // first, fresh and second again
}

TEST_F(PoolThreadTest, QueuedDoubleFreeIsRefusedAtOnce) {
    system().SetProcessorCount(1);
    MemPool* pool = PoolForThread();
    void* block = PoolAllocBlock(pool, 100);
    ASSERT_EQ(PoolForThread(), pool);
    int results[2] = {};
    std::thread([&] {
        results[0] = PoolFreeBlock(block);
        results[1] = PoolFreeBlock(block);
    }).join();
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(Codes(), std::vector<int>{MEM_BAD_POINTER});
    EXPECT_EQ(PoolCheck(pool), 1);
}

TEST_F(PoolThreadTest, ProcessorCountIsAskedOnFirstUseOnly) {
    system().SetProcessorCount(1);
    MemPool* single = PoolForThread();
    PoolBytesInUse(single);
    EXPECT_TRUE(single->threadPool);
    system().SetProcessorCount(8); // too late: the mode stays until the manager is reset
    EXPECT_EQ(PoolForThread(), single);
    PoolBytesInUse(single);
    xMemory_ResetForTest();
    MemPool* shared = PoolForThread();
    EXPECT_FALSE(shared->threadPool);
}

} // namespace
