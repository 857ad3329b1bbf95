#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <thread>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/MemoryInternal.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

using vqt::test::ErrorRecorder;
using vqt::test::MemoryTest;
namespace mb = plat::mb;

class MemoryErrorTest : public MemoryTest {};

constexpr uint32_t kRetryBox = mb::TaskModal | mb::IconStop | mb::DefaultButton2 | mb::AbortRetryIgnore;
constexpr uint32_t kPlainBox = mb::TaskModal | mb::IconStop | mb::DefaultButton2 | mb::OkCancel;

TEST_F(MemoryErrorTest, HandlerSeesTheCodeOfEachFault) {
    MemPool* pool = FakePool(kPoolDefaultFloor, 65536);
    int onStack = 0;
    void* fromMalloc = std::malloc(32);
    PoolFreeBlock(&onStack);
    PoolFreeBlock(fromMalloc);
    std::free(fromMalloc);
    void* a = PoolAllocBlock(pool, 300);
    void* b = PoolAllocBlock(pool, 300);
    EXPECT_EQ(PoolResizeBlock(b, 2000, BLOCK_IN_PLACE), nullptr);
    EXPECT_EQ(PoolAllocBlock(pool, 70000), nullptr);
    fake.failAll = true;
    ErrorRecorder::Get().Script({1, 1, 0});
    EXPECT_EQ(PoolAllocBlock(pool, 20000), nullptr);
    EXPECT_EQ(Codes(), (std::vector<int>{MEM_BAD_POINTER, MEM_BAD_POINTER, MEM_RESIZE_FAILED,
                                         MEM_EXCEEDED_CEILING, MEM_OUT_OF_MEMORY, MEM_OUT_OF_MEMORY,
                                         MEM_OUT_OF_MEMORY}));
    EXPECT_EQ(ErrorRecorder::Get().objects[0], &onStack);
    EXPECT_EQ(ErrorRecorder::Get().objects[2], b);
    EXPECT_EQ(ErrorRecorder::Get().objects[3], pool);
    PoolFreeBlock(a);
    PoolFreeBlock(b);
}

MemPool* g_watchedPool = nullptr;
std::atomic<uint32_t> g_ownerInHandler{1};

int OwnerCheckingHandler(MemErrorRecord*) {
    g_ownerInHandler = g_watchedPool->lock.owner.load();
    // The handler may use the pool it was called for.
    void* block = PoolAllocBlock(g_watchedPool, 100);
    PoolFreeBlock(block);
    return 0;
}

TEST_F(MemoryErrorTest, HandlerRunsWithoutThePoolLock) {
    system().SetProcessorCount(1);
    g_watchedPool = PoolForThread(); // answered locked, for this thread's next call
    ASSERT_NE(g_watchedPool->lock.owner.load(), 0u);
    PoolSetErrorHandler(&OwnerCheckingHandler);
    EXPECT_EQ(PoolAllocBlock(g_watchedPool, size_t{5} << 30), nullptr);
    EXPECT_EQ(g_ownerInHandler.load(), 0u);
    EXPECT_EQ(g_watchedPool->lock.owner.load(), 0u);
}

TEST_F(MemoryErrorTest, DefaultHandlerBoxOffersRetryForOutOfMemoryOnly) {
    PoolSetErrorHandler(&PoolDefaultErrorHandler);
    MemPool* pool = FakePool();
    fake.failNext = 1;
    dialogs().Script({mb::IdRetry});
    void* block = PoolAllocBlock(pool, 50000);
    EXPECT_NE(block, nullptr); // retried after the answer
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].title, "Brimalloc Library");
    EXPECT_EQ(dialogs().Boxes()[0].text, "Out of memory.  Please free some memory, then choose retry.");
    EXPECT_EQ(dialogs().Boxes()[0].type, kRetryBox);
    EXPECT_EQ(dialogs().Beeps(), 1);
    PoolFreeBlock(block);

    fake.failNext = 1;
    dialogs().Script({mb::IdIgnore});
    EXPECT_EQ(PoolAllocBlock(pool, 50000), nullptr);

    dialogs().Clear();
    dialogs().Script({mb::IdOk, mb::IdOk, mb::IdOk});
    int onStack = 0;
    PoolFreeBlock(&onStack);
    PoolReportError(nullptr, MEM_WRONG_TASK);
    PoolReportError(nullptr, 17);
    ASSERT_EQ(dialogs().Boxes().size(), 3u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "MEM_BAD_POINTER");
    EXPECT_EQ(dialogs().Boxes()[0].type, kPlainBox);
    EXPECT_EQ(dialogs().Boxes()[1].text, "MEM_INTERNAL_ERROR");
    EXPECT_EQ(dialogs().Boxes()[2].text, "MEM_INTERNAL_ERROR");
}

TEST_F(MemoryErrorTest, DefaultBoxTriesSystemModalWhenItCannotBeShown) {
    MemErrorRecord record{MEM_OUT_OF_MEMORY, nullptr};
    dialogs().Script({0, mb::IdRetry});
    EXPECT_EQ(PoolDefaultErrorHandler(&record), 1);
    ASSERT_EQ(dialogs().Boxes().size(), 2u);
    EXPECT_EQ(dialogs().Boxes()[1].type, (kRetryBox & ~mb::TaskModal) | mb::SystemModal);
    dialogs().Script({0, 0});
    EXPECT_EQ(PoolDefaultErrorHandler(&record), 0);
}

/// Shows the default box for `code` with one scripted answer.
void DefaultBoxAnswered(int code, int answer) {
    plat::UseHeadless();
    static_cast<plat::ScriptedDialogs&>(plat::dialogs()).Script({answer});
    MemErrorRecord record{code, nullptr};
    PoolDefaultErrorHandler(&record);
}

TEST(MemoryErrorDeathTest, AbortOrCancelEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(DefaultBoxAnswered(MEM_OUT_OF_MEMORY, mb::IdAbort), "");
    EXPECT_DEATH(DefaultBoxAnswered(MEM_BAD_POINTER, mb::IdCancel), "");
}

// A handler that, for out of memory, runs out of memory itself (in the same failing pool).
MemPool* g_failingPool = nullptr;
std::vector<int> g_handlerCodes;

int NestingHandler(MemErrorRecord* record) {
    g_handlerCodes.push_back(record->code);
    if (g_handlerCodes.size() < 10) {
        if (record->code == MEM_OUT_OF_MEMORY) {
            PoolAllocBlock(g_failingPool, 100000);
        } else {
            int onStack = 0;
            PoolFreeBlock(&onStack);
        }
    }
    return 0;
}

TEST_F(MemoryErrorTest, NestedReportsCallTheHandlerOnceMoreForOutOfMemoryOnly) {
    g_failingPool = FakePool();
    fake.failAll = true;
    g_handlerCodes.clear();
    PoolSetErrorHandler(&NestingHandler);
    dialogs().Script({mb::IdOk});
    EXPECT_EQ(PoolAllocBlock(g_failingPool, 100000), nullptr);
    EXPECT_EQ(g_handlerCodes, (std::vector<int>{MEM_OUT_OF_MEMORY, MEM_OUT_OF_MEMORY}));
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "\r\nBrimalloc error handler recursively re-entered.\n\r");

    // Any other error allows no second level.
    g_handlerCodes.clear();
    dialogs().Clear();
    dialogs().Script({mb::IdOk});
    int onStack = 0;
    PoolFreeBlock(&onStack);
    EXPECT_EQ(g_handlerCodes, std::vector<int>{MEM_BAD_POINTER});
    EXPECT_EQ(dialogs().Boxes().size(), 1u);

    // The records are gone afterwards: a new report calls the handler again.
    g_handlerCodes.clear();
    dialogs().Script({mb::IdOk});
    PoolReportError(nullptr, MEM_BAD_BLOCK);
    EXPECT_EQ(g_handlerCodes.front(), MEM_BAD_BLOCK);
}

std::mutex g_gateMutex;
std::condition_variable g_gateChanged;
int g_inside = 0;
bool g_open = false;

int BlockingHandler(MemErrorRecord*) {
    std::unique_lock<std::mutex> hold(g_gateMutex);
    ++g_inside;
    g_gateChanged.notify_all();
    g_gateChanged.wait(hold, [] { return g_open; });
    return 0;
}

TEST_F(MemoryErrorTest, AtMostTwentyFiveThreadsAreInErrorAtOnce) {
    PoolSetErrorHandler(&BlockingHandler);
    std::vector<std::thread> threads;
    for (int i = 0; i < 25; ++i) {
        threads.emplace_back([] { PoolReportError(nullptr, MEM_BAD_POINTER); });
    }
    {
        std::unique_lock<std::mutex> hold(g_gateMutex);
        g_gateChanged.wait(hold, [] { return g_inside == 25; });
    }
    dialogs().Script({mb::IdOk});
    EXPECT_EQ(PoolReportError(nullptr, MEM_BAD_POINTER), 0);
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "\r\nMemory errors in too many threads concurrently.\n\r");
    {
        std::lock_guard<std::mutex> hold(g_gateMutex);
        g_open = true;
    }
    g_gateChanged.notify_all();
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(g_inside, 25);
}

} // namespace
