// This program is linked with the pooled operator new: GoogleTest itself and every container
// below allocate from the pools.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "engine/data/Memory.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

using vqt::test::ErrorRecorder;

class PooledNewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorRecorder::Get().Clear();
        previous_ = PoolSetErrorHandler(&ErrorRecorder::Handler);
    }
    void TearDown() override {
        PoolSetErrorHandler(previous_);
        std::set_new_handler(nullptr);
    }
    MemErrorHandler previous_ = nullptr;
};

volatile size_t g_tooBig = size_t{5} << 30; // above what a pool may hold
/// Where the blocks of new-expressions go, so that the compiler cannot leave the allocation out.
char* volatile g_kept = nullptr;

bool Aligned(const void* block, size_t alignment) { return reinterpret_cast<uintptr_t>(block) % alignment == 0; }

TEST_F(PooledNewTest, NewThrowsWhenThePoolsRefuse) {
    EXPECT_THROW(
        {
            g_kept = new char[g_tooBig];
            g_kept[0] = 1;
            delete[] g_kept;
        },
        std::bad_alloc);
    EXPECT_EQ(ErrorRecorder::Get().Codes(), std::vector<int>{MEM_EXCEEDED_CEILING});
    g_kept = new (std::nothrow) char[g_tooBig];
    EXPECT_EQ(g_kept, nullptr);
}

int g_handlerCalls = 0;
void GiveUpOnSecondCall() {
    if (++g_handlerCalls == 2) {
        std::set_new_handler(nullptr);
    }
}

TEST_F(PooledNewTest, NewHandlerRunsUntilItGivesUp) {
    g_handlerCalls = 0;
    std::set_new_handler(&GiveUpOnSecondCall);
    EXPECT_THROW(g_kept = static_cast<char*>(::operator new(g_tooBig)), std::bad_alloc);
    EXPECT_EQ(g_handlerCalls, 2);
}

TEST_F(PooledNewTest, BlocksComeFromThePoolsSixteenByteAligned) {
    for (size_t size : {1u, 15u, 16u, 100u, 256u, 257u, 3000u, 5000u, 100000u}) {
        auto block = std::make_unique<char[]>(size);
        EXPECT_TRUE(Aligned(block.get(), 16)) << size;
        EXPECT_GE(PoolBlockSize(block.get()), static_cast<int64_t>(size));
    }
    auto* zero = ::operator new(0);
    EXPECT_GE(PoolBlockSize(zero), 1);
    ::operator delete(zero, size_t{0});
    ::operator delete(nullptr);
    EXPECT_TRUE(ErrorRecorder::Get().Codes().empty());
}

struct alignas(64) Wide {
    char bytes[100];
};

struct alignas(32) Narrow {
    char bytes[8];
};

TEST_F(PooledNewTest, OverAlignedTypesKeepTheirAlignment) {
    std::vector<std::unique_ptr<Wide>> wide;
    for (int i = 0; i < 50; ++i) {
        wide.push_back(std::make_unique<Wide>());
        EXPECT_TRUE(Aligned(wide.back().get(), 64));
    }
    auto* narrow = new Narrow[7];
    EXPECT_TRUE(Aligned(narrow, 32));
    delete[] narrow;
    auto* quiet = new (std::nothrow) Wide;
    EXPECT_TRUE(Aligned(quiet, 64));
    delete quiet;
    wide.clear();
    EXPECT_TRUE(ErrorRecorder::Get().Codes().empty());
    EXPECT_EQ(xHeap_Chk(), XHEAP_OK);
}

TEST_F(PooledNewTest, ObjectsMadeOnOneThreadAreDeletedOnAnother) {
    std::vector<std::unique_ptr<std::string>> made;
    std::thread([&] {
        for (int i = 0; i < 2000; ++i) made.push_back(std::make_unique<std::string>(static_cast<size_t>(i % 300), 'x'));
    }).join();
    std::vector<std::thread> deleters;
    for (int t = 0; t < 4; ++t) {
        deleters.emplace_back([&, t] {
            for (size_t i = static_cast<size_t>(t); i < made.size(); i += 4) made[i].reset();
        });
    }
    for (std::thread& thread : deleters) thread.join();
    EXPECT_TRUE(ErrorRecorder::Get().Codes().empty());
    EXPECT_EQ(xHeap_Chk(), XHEAP_OK);
}

} // namespace
