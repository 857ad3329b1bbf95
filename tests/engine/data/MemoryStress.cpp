// Several threads of random allocations, resizes and frees on their default pools, a share of
// the frees done by another thread than the one that allocated; afterwards every pool is sound
// and holds exactly the blocks that the test's own ledger says are alive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/MemoryInternal.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

#if defined(__SANITIZE_THREAD__)
constexpr int kOpsPerThread = 50000;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr int kOpsPerThread = 50000;
#else
constexpr int kOpsPerThread = 100000;
#endif
#else
constexpr int kOpsPerThread = 100000;
#endif
constexpr int kThreads = 6;

struct Block {
    uint8_t* data;
    size_t size;
    uint8_t tag;
};

/// Fills the block's first and last bytes (all of a small block) with its tag.
void Stamp(const Block& block) {
    if (block.size <= 512) {
        std::memset(block.data, block.tag, block.size);
        return;
    }
    std::memset(block.data, block.tag, 64);
    std::memset(block.data + block.size - 64, block.tag, 64);
}

bool Intact(const Block& block) {
    const size_t head = block.size <= 512 ? block.size : 64;
    for (size_t i = 0; i < head; ++i) {
        if (block.data[i] != block.tag) return false;
    }
    if (block.size > 512) {
        for (size_t i = block.size - 64; i < block.size; ++i) {
            if (block.data[i] != block.tag) return false;
        }
    }
    return true;
}

/// After a resize from `oldSize`: the stamped bytes that the new size kept are unchanged.
bool KeptIntact(const uint8_t* data, size_t oldSize, size_t newSize, uint8_t tag) {
    const size_t kept = std::min(oldSize, newSize);
    const size_t head = std::min(kept, oldSize <= 512 ? oldSize : size_t{64});
    for (size_t i = 0; i < head; ++i) {
        if (data[i] != tag) return false;
    }
    if (oldSize > 512 && newSize >= oldSize) {
        for (size_t i = oldSize - 64; i < oldSize; ++i) {
            if (data[i] != tag) return false;
        }
    }
    return true;
}

struct Inbox {
    std::mutex mutex;
    std::vector<Block> blocks;
};

struct Shared {
    Inbox inboxes[kThreads];
    std::mutex poolsMutex;
    std::set<MemPool*> pools;
    std::atomic<int> damaged{0};
};

size_t RandomSize(std::mt19937& random) {
    const unsigned pick = random() % 100;
    if (pick < 70) return 1 + random() % 256;
    if (pick < 96) return 257 + random() % (4096 - 256);
    return 4097 + random() % 70000;
}

void Worker(int index, Shared& shared, std::vector<Block>& kept) {
    std::mt19937 random(1234u + static_cast<unsigned>(index));
    std::set<MemPool*> seen;
    std::vector<Block>& live = kept;
    auto dispose = [&](const Block& block) {
        if (!Intact(block)) ++shared.damaged;
        if (PoolFreeBlock(block.data) != 1) ++shared.damaged;
    };
    for (int op = 0; op < kOpsPerThread; ++op) {
        const unsigned pick = random() % 100;
        if (pick < 45 || live.empty()) {
            MemPool* pool = PoolForThread();
            seen.insert(pool);
            const size_t size = RandomSize(random);
            auto* data = static_cast<uint8_t*>(PoolAllocBlock(pool, size, (pick % 7 == 0) ? BLOCK_FRONT : 0));
            if (data == nullptr || (reinterpret_cast<uintptr_t>(data) & 15) != 0) {
                ++shared.damaged;
                continue;
            }
            Block block{data, size, static_cast<uint8_t>(random())};
            Stamp(block);
            live.push_back(block);
        } else if (pick < 60) {
            const size_t at = random() % live.size();
            Block& block = live[at];
            if (!Intact(block)) ++shared.damaged;
            const size_t size = RandomSize(random);
            const uint32_t flags = (pick % 4 == 0) ? BLOCK_IN_PLACE : 0;
            auto* data = static_cast<uint8_t*>(PoolResizeBlock(block.data, size, flags));
            if (data == nullptr) {
                if (!(flags & BLOCK_IN_PLACE)) ++shared.damaged;
                continue; // the old block stays
            }
            if (!KeptIntact(data, block.size, size, block.tag)) ++shared.damaged;
            block = Block{data, size, block.tag};
            Stamp(block);
        } else if (pick < 88) {
            const size_t at = random() % live.size();
            const Block block = live[at];
            live[at] = live.back();
            live.pop_back();
            if (pick < 70) {
                // Hand it to another thread, which frees it.
                Inbox& inbox = shared.inboxes[(index + 1 + random() % (kThreads - 1)) % kThreads];
                std::lock_guard<std::mutex> hold(inbox.mutex);
                inbox.blocks.push_back(block);
            } else {
                dispose(block);
            }
        } else {
            std::vector<Block> mail;
            {
                std::lock_guard<std::mutex> hold(shared.inboxes[index].mutex);
                mail.swap(shared.inboxes[index].blocks);
            }
            for (const Block& block : mail) dispose(block);
        }
    }
    std::lock_guard<std::mutex> hold(shared.poolsMutex);
    shared.pools.insert(seen.begin(), seen.end());
}

class MemoryStressTest : public vqt::test::MemoryTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(MemoryStressTest, PoolsStaySoundAndMatchTheLedger) {
    system().SetProcessorCount(GetParam());
    Shared shared;
    const uint64_t queuedBefore = memi::QueuedFreeCount();
    std::vector<std::vector<Block>> kept(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) threads.emplace_back(Worker, i, std::ref(shared), std::ref(kept[i]));
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(shared.damaged.load(), 0);
    if (GetParam() == 1) {
        EXPECT_GT(shared.pools.size(), 1u); // threads spread over the ring of thread pools
        EXPECT_GT(memi::QueuedFreeCount(), queuedBefore); // some frees met a busy pool
    } else {
        EXPECT_EQ(shared.pools.size(), 1u);
    }

    int64_t ledger = 0;
    for (int i = 0; i < kThreads; ++i) ledger += static_cast<int64_t>(kept[i].size() + shared.inboxes[i].blocks.size());
    int64_t walked = 0;
    for (MemPool* pool : shared.pools) {
        EXPECT_EQ(PoolCheck(pool), 1);
        walked += vqt::test::LiveBlocks(pool);
    }
    EXPECT_EQ(walked, ledger);

    for (int i = 0; i < kThreads; ++i) {
        for (const Block& block : kept[i]) {
            EXPECT_TRUE(Intact(block));
            EXPECT_EQ(PoolFreeBlock(block.data), 1);
        }
        for (const Block& block : shared.inboxes[i].blocks) {
            EXPECT_TRUE(Intact(block));
            EXPECT_EQ(PoolFreeBlock(block.data), 1);
        }
    }
    for (MemPool* pool : shared.pools) {
        EXPECT_EQ(PoolCheck(pool), 1);
        EXPECT_EQ(vqt::test::LiveBlocks(pool), 0);
    }
    for (int code : Codes()) {
        EXPECT_EQ(code, MEM_RESIZE_FAILED); // the only error a sound run may see
    }
}

INSTANTIATE_TEST_SUITE_P(Processors, MemoryStressTest, ::testing::Values(1u, 8u),
                         [](const auto& info) { return info.param == 1 ? std::string("OneProcessor") : std::string("Several"); });

} // namespace
