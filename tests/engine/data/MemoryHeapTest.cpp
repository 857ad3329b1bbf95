#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <set>

#include "engine/data/Memory.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

using vqt::test::MemoryTest;

class HeapTest : public MemoryTest {};

TEST_F(HeapTest, SizesAreRoundedToFourAndZeroCountsAsFour) {
    void* one = xHeap_Malloc(1);
    EXPECT_EQ(xHeap_Msize(one), 4u); // usable 7 with the low bits cleared
    void* zero = xHeap_Malloc(0);
    ASSERT_NE(zero, nullptr);
    EXPECT_GE(PoolBlockSize(zero), 4);
    void* ten = xHeap_Realloc(nullptr, 10);
    ASSERT_NE(ten, nullptr);
    EXPECT_GE(PoolBlockSize(ten), 12);
    EXPECT_EQ(xHeap_Msize(ten) % 4, 0u);
    for (void* block : {one, zero, ten}) xHeap_Free(block);
    xHeap_Free(nullptr); // ignored
    EXPECT_TRUE(Codes().empty());
}

TEST_F(HeapTest, ReallocToZeroFreesAndGrowthKeepsTheContents) {
    auto* text = static_cast<char*>(xHeap_Malloc(6));
    std::memcpy(text, "hello", 6);
    text = static_cast<char*>(xHeap_Realloc(text, 5000));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(xHeap_Realloc(text, 0), nullptr);
    EXPECT_EQ(PoolFreeBlock(text), 0); // already freed
    EXPECT_EQ(Codes(), std::vector<int>{MEM_BAD_POINTER});
}

TEST_F(HeapTest, CallocClearsAndRefusesAnOverflowingProduct) {
    auto* dirty = static_cast<uint8_t*>(xHeap_Malloc(400));
    std::memset(dirty, 0xEE, 400);
    xHeap_Free(dirty);
    auto* clean = static_cast<uint8_t*>(xHeap_Calloc(10, 40));
    ASSERT_NE(clean, nullptr);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(clean[i], 0) << i;
    xHeap_Free(clean);
    EXPECT_EQ(xHeap_Calloc(std::numeric_limits<size_t>::max() / 2, 3), nullptr);
    EXPECT_TRUE(Codes().empty());
}

TEST_F(HeapTest, ExpandStaysInPlaceOrFailsLeavingTheBlock) {
    auto* a = static_cast<uint8_t*>(xHeap_Malloc(17)); // usable 23
    EXPECT_EQ(xHeap_Expand(a, 20), a);
    a[19] = 9;
    EXPECT_EQ(xHeap_Expand(a, 22), nullptr); // 24 after rounding
    EXPECT_EQ(Codes(), std::vector<int>{MEM_RESIZE_FAILED});
    EXPECT_EQ(a[19], 9);
    xHeap_Free(a);
}

TEST_F(HeapTest, WalkAnswersTheHeapCodes) {
    EXPECT_EQ(xHeap_Walk(nullptr), XHEAP_BADPTR);
    int onStack = 0;
    xHeapWalkInfo info;
    info.pointer = &onStack;
    EXPECT_EQ(xHeap_Walk(&info), XHEAP_BADPTR);
    auto* block = static_cast<uint8_t*>(xHeap_Malloc(300));
    info.pointer = block + 16; // inside a block
    EXPECT_EQ(xHeap_Walk(&info), XHEAP_BADPTR);

    void* small = xHeap_Malloc(24);
    std::set<void*> inUse;
    xHeapWalkInfo walk;
    int step;
    int blocks = 0;
    while ((step = xHeap_Walk(&walk)) == XHEAP_OK) {
        ++blocks;
        if (walk.useFlag) {
            inUse.insert(walk.pointer);
            EXPECT_EQ(walk.size, static_cast<size_t>(PoolBlockSize(walk.pointer)));
        }
        ASSERT_LT(blocks, 100000);
    }
    EXPECT_EQ(step, XHEAP_END);
    EXPECT_EQ(inUse, (std::set<void*>{block, small}));
    xHeap_Free(block);
    xHeap_Free(small);
}

TEST_F(HeapTest, CheckUsedAndMinWorkOnTheDefaultPool) {
    auto* block = static_cast<uint8_t*>(xHeap_Malloc(500));
    EXPECT_EQ(xHeap_Chk(), XHEAP_OK);
    EXPECT_EQ(xHeap_Set(0xFE), XHEAP_OK);
    uint16_t word;
    std::memcpy(&word, block - 2, 2);
    const uint16_t broken = static_cast<uint16_t>(word ^ 0x40);
    std::memcpy(block - 2, &broken, 2);
    EXPECT_EQ(xHeap_Chk(), XHEAP_BADNODE);
    std::memcpy(block - 2, &word, 2);
    EXPECT_EQ(xHeap_Chk(), XHEAP_OK);

    size_t committed = 0;
    const size_t used = xHeap_Used(nullptr, &committed);
    EXPECT_EQ(used, committed);
    EXPECT_EQ(static_cast<int64_t>(used), PoolBytesInUse(PoolForThread()));
    EXPECT_EQ(xHeap_Used(nullptr, nullptr), used);
    EXPECT_EQ(xHeap_Min(), 0);
    EXPECT_EQ(xHeap_Add(block, 100), -1);
    xHeap_Free(block);
}

int g_newHandlerCalls = 0;

void CountingNewHandler() {
    if (++g_newHandlerCalls == 2) {
        std::set_new_handler(nullptr); // gives up after the second call
    }
}

TEST_F(HeapTest, NewModeRunsTheNewHandlerBeforeGivingUp) {
    const size_t tooBig = size_t{6} << 30;
    g_newHandlerCalls = 0;
    std::set_new_handler(&CountingNewHandler);
    EXPECT_EQ(xHeap_Malloc(tooBig), nullptr);
    EXPECT_EQ(g_newHandlerCalls, 0); // new mode is off

    EXPECT_EQ(xHeap_SetNewMode(1), 0);
    EXPECT_EQ(xHeap_Malloc(tooBig), nullptr);
    EXPECT_EQ(g_newHandlerCalls, 2);
    EXPECT_EQ(Codes(), std::vector<int>(4, MEM_EXCEEDED_CEILING));

    g_newHandlerCalls = 0;
    std::set_new_handler(&CountingNewHandler);
    EXPECT_EQ(NewWithHandler(tooBig, 0, nullptr), nullptr);
    EXPECT_EQ(g_newHandlerCalls, 2);
    EXPECT_EQ(xHeap_SetNewMode(0), 1);
    std::set_new_handler(nullptr);
}

} // namespace
