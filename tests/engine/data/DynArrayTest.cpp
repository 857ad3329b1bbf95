#include <gtest/gtest.h>

#include <cstdint>

#include "engine/data/DynArray.h"
#include "engine/data/Memory.h"
#include "tests/engine/data/MemoryTestSupport.h"

namespace {

class DynArrayTest : public vqt::test::MemoryTest {};

TEST_F(DynArrayTest, StorageGrowsAndShrinksByWholeChunks) {
    CDynArray<int32_t> list;
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Data(), nullptr);
    ASSERT_EQ(list.Append(0), 1);
    EXPECT_EQ(list.Capacity(), 256); // 64 elements' worth
    EXPECT_GE(PoolBlockSize(list.Data()), 256);
    for (int32_t i = 1; i < 64; ++i) list.Append(i);
    EXPECT_EQ(list.Capacity(), 256);
    list.Append(64); // the 65th element
    EXPECT_EQ(list.Capacity(), 512);
    list.RemoveAt(0);
    EXPECT_EQ(list.Capacity(), 512); // 64 elements: still within one chunk of the need
    list.RemoveAt(0);
    EXPECT_EQ(list.Count(), 63);
    EXPECT_EQ(list.Capacity(), 256);
    for (int32_t i = 0; i < 63; ++i) ASSERT_EQ(list.GetAt(i), i + 2);
    EXPECT_TRUE(Codes().empty());
}

TEST_F(DynArrayTest, ReserveKeepsStorageWithinOneChunkAboveTheNeed) {
    CDynArray<int32_t> list;
    ASSERT_EQ(list.Reserve(64), 1);
    EXPECT_EQ(list.Capacity(), 512); // 64 elements are a whole chunk: one more chunk
    ASSERT_EQ(list.Reserve(128), 1);
    EXPECT_EQ(list.Capacity(), 512); // the need equals the capacity
    ASSERT_EQ(list.Reserve(256), 1);
    EXPECT_EQ(list.Capacity(), 1280);
    ASSERT_EQ(list.Reserve(10), 1); // far below: shrinks to one chunk
    EXPECT_EQ(list.Capacity(), 256);
    void* data = list.Data();
    ASSERT_EQ(list.Reserve(64), 1);
    ASSERT_EQ(list.Reserve(0), 1);
    EXPECT_EQ(list.Data(), data);
    EXPECT_EQ(list.Reserve(-1), 0);
}

TEST_F(DynArrayTest, RemoveAtAndPopBackKeepTheOrder) {
    CDynArray<int64_t> list;
    for (int64_t i = 0; i < 5; ++i) list.Append(i * 10);
    list.RemoveAt(1);
    list.RemoveAt(5); // out of range: nothing
    list.RemoveAt(-1);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(*list.ElementPtr(0), 0);
    EXPECT_EQ(*list.ElementPtr(1), 20);
    EXPECT_EQ(*list.ElementPtr(3), 40);
    EXPECT_EQ(list.PopBack(), 40);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Capacity(), 64 * 8);
}

struct Triple {
    int32_t a, b, c;
};

TEST_F(DynArrayTest, FailedGrowthKeepsCountAndContents) {
    xMemory_SetSystem(&fake); // the default pool is made on the failing layer
    CDynArray<int32_t> list;
    for (int32_t i = 0; i < 64; ++i) ASSERT_EQ(list.Append(i), 1);
    fake.failAll = true;
    int32_t* data = list.Data();
    EXPECT_EQ(list.Append(64), 0);
    EXPECT_EQ(list.Count(), 64);
    EXPECT_EQ(list.Capacity(), 256);
    EXPECT_EQ(list.Data(), data);
    EXPECT_EQ(list.GetAt(63), 63);
    fake.failAll = false;
    EXPECT_EQ(list.Append(64), 1);
    list.Free();
}

} // namespace
