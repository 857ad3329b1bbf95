#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/TempBuffers.h"
#include "tests/support/HeadlessTest.h"

namespace {

class TempBuffersTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        PoolSetErrorHandler(nullptr); // memory errors fail quietly here
    }

    /// The start-up preallocation of the engine.
    static void PreallocateAsAtStartUp() {
        xTempBuffers_Preallocate(8, 64);
        xTempBuffers_Preallocate(8, 128);
        xTempBuffers_Preallocate(8, 256);
        xTempBuffers_Preallocate(4, 1024);
    }
};

TEST_F(TempBuffersTest, SmallRequestsFindTheSmallestPreallocatedBuffersFirst) {
    PreallocateAsAtStartUp();
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 28);
    EXPECT_EQ(xTempBuffers_GetNumInUse(), 0);
    EXPECT_EQ(xTempBuffers_GetTotalSize(), 8u * 64 + 8u * 128 + 8u * 256 + 4u * 1024);

    void* first = xTempBuffers_Get(64);
    EXPECT_EQ(PoolBlockSize(first), 71); // one of the 64-byte buffers
    std::set<void*> of128;
    for (int i = 0; i < 8; ++i) {
        void* buffer = xTempBuffers_Get(100);
        EXPECT_EQ(PoolBlockSize(buffer), 135) << i; // the 128-byte buffers, in table order
        of128.insert(buffer);
    }
    EXPECT_EQ(of128.size(), 8u);
    EXPECT_EQ(PoolBlockSize(xTempBuffers_Get(100)), 263); // then the 256-byte ones
    EXPECT_EQ(xTempBuffers_GetBytesUsed(), 64u + 9u * 100);

    void* big = xTempBuffers_Get(2000); // no buffer is large enough: a new one
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 29);
    EXPECT_EQ(xTempBuffers_GetTotalSize(), 7680u + 2000u);
    EXPECT_EQ(xTempBuffers_GetNumInUse(), 11);
}

TEST_F(TempBuffersTest, BuffersOf64KBOrMoreGoBackOthersStay) {
    void* huge = xTempBuffers_Get(70000);
    ASSERT_NE(huge, nullptr);
    EXPECT_TRUE(xTempBuffers_Release(&huge));
    EXPECT_EQ(huge, nullptr);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 0);
    EXPECT_EQ(xTempBuffers_GetTotalSize(), 0u);

    auto* kept = static_cast<uint8_t*>(xTempBuffers_Get(60000));
    uint8_t* borrowed = kept;
    EXPECT_TRUE(xTempBuffers_Release(&borrowed));
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 1);
    EXPECT_EQ(xTempBuffers_GetNumInUse(), 0);
    EXPECT_EQ(xTempBuffers_GetBytesUsed(), 0u);
    EXPECT_EQ(xTempBuffers_Get(60000), kept);
    EXPECT_EQ(xTempBuffers_GetBytesUsed(), 60000u);
    borrowed = kept;
    xTempBuffers_Release(&borrowed);
    void* larger = xTempBuffers_Get(60001); // a free buffer is never grown
    EXPECT_NE(larger, kept);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 2);
}

TEST_F(TempBuffersTest, TheTableRunsOutAfterItsCount) {
    std::vector<void*> borrowed;
    for (int i = 0; i < 64; ++i) {
        borrowed.push_back(xTempBuffers_Get(16));
        ASSERT_NE(borrowed.back(), nullptr) << i;
    }
    EXPECT_EQ(xTempBuffers_Get(16), nullptr);
    EXPECT_EQ(xTempBuffers_GetNumInUse(), 64);
    xTempBuffers_Release(&borrowed[10]);
    EXPECT_NE(xTempBuffers_Get(16), nullptr);
}

TEST_F(TempBuffersTest, CountCanChangeOnlyBeforeTheFirstBorrow) {
    xTempBuffers_SetCount(3);
    for (int i = 0; i < 3; ++i) ASSERT_NE(xTempBuffers_Get(8), nullptr);
    EXPECT_EQ(xTempBuffers_Get(8), nullptr);
    debug().Clear();
    xTempBuffers_SetCount(10);
    EXPECT_EQ(traced(), "Tempbuffers initialized already, cannot change the number\n");
    EXPECT_EQ(xTempBuffers_Get(8), nullptr);

    xTempBuffers_ReleaseAll(); // the next borrow starts afresh, so the count may change
    xTempBuffers_SetCount(4);
    for (int i = 0; i < 4; ++i) ASSERT_NE(xTempBuffers_Get(8), nullptr);
    EXPECT_EQ(xTempBuffers_Get(8), nullptr);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 4);
}

TEST_F(TempBuffersTest, ReleasingWhatWasNotBorrowedChangesNothing) {
    void* lent = xTempBuffers_Get(32);
    void* other = xTempBuffers_Get(48);
    xTempBuffers_Release(&other); // kept, not in use
    const auto inUse = xTempBuffers_GetNumInUse();
    const auto used = xTempBuffers_GetBytesUsed();

    int onStack = 0;
    void* foreign = &onStack;
    EXPECT_FALSE(xTempBuffers_Release(&foreign));
    EXPECT_EQ(foreign, &onStack);
    void* none = nullptr;
    EXPECT_FALSE(xTempBuffers_Release(&none)); // would match an empty record
    EXPECT_FALSE(xTempBuffers_Release(static_cast<void**>(nullptr)));
    void* again = xTempBuffers_Get(48);
    void* copy = again;
    EXPECT_TRUE(xTempBuffers_Release(&again));
    EXPECT_FALSE(xTempBuffers_Release(&copy)); // released twice
    EXPECT_EQ(xTempBuffers_GetNumInUse(), inUse);
    EXPECT_EQ(xTempBuffers_GetBytesUsed(), used);
    EXPECT_TRUE(xTempBuffers_Release(&lent));
    EXPECT_EQ(xTempBuffers_GetNumInUse(), 0);
}

TEST_F(TempBuffersTest, ReleaseAllFreesEveryBuffer) {
    void* lent = xTempBuffers_Get(500);
    void* kept = xTempBuffers_Get(600);
    xTempBuffers_Release(&kept);
    kept = xTempBuffers_Get(600);
    xTempBuffers_ReleaseAll();
    EXPECT_EQ(PoolBlockSize(lent), -1);
    EXPECT_EQ(PoolBlockSize(kept), -1);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 0);
    xTempBuffers_ReleaseAll(); // twice is harmless
    EXPECT_NE(xTempBuffers_Get(500), nullptr);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 1);
}

} // namespace
