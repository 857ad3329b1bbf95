#include <gtest/gtest.h>

#include <cstring>

#include "engine/data/MemorySystem.h"

namespace {

bool On64K(const void* page) { return (reinterpret_cast<uintptr_t>(page) & 0xFFFF) == 0; }

TEST(MmapMemSystemTest, PagesStartOn64KAndGrowWithinTheirReservation) {
    CMmapMemSystem system;
    auto* page = static_cast<uint8_t*>(system.PageAlloc(5000, 0));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(On64K(page));
    std::memset(page, 1, 8192); // 5000 rounded up to 4096s is committed
    EXPECT_TRUE(system.PageResize(page, 8192, 65536, MEMSYS_ZERO));
    EXPECT_EQ(page[65535], 0);
    EXPECT_EQ(page[8191], 1);
    EXPECT_FALSE(system.PageResize(page, 65536, 65537, 0)); // past the reservation
    EXPECT_TRUE(system.PageResize(page, 65536, 4096, 0));   // shrinking always works
    page[4095] = 2;
    system.PageRelease(page, 4096);
}

TEST(MmapMemSystemTest, MoveCopiesTheKeptPartAndClearsTheRest) {
    CMmapMemSystem system;
    auto* page = static_cast<uint8_t*>(system.PageAlloc(65536, 0));
    ASSERT_NE(page, nullptr);
    std::memset(page, 7, 65536);
    auto* moved = static_cast<uint8_t*>(system.PageMove(page, 65536, 200000, MEMSYS_ZERO));
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(On64K(moved));
    EXPECT_EQ(moved[0], 7);
    EXPECT_EQ(moved[65535], 7);
    EXPECT_EQ(moved[65536], 0);
    EXPECT_EQ(moved[200000 - 1], 0);
    system.PageRelease(moved, 200000);
}

TEST(MmapMemSystemTest, CapFlagLimitsTheSizeAndFreedUnitIsReusedFirst) {
    CMmapMemSystem system;
    auto* capped = static_cast<uint8_t*>(system.PageAlloc(1 << 20, MEMSYS_CAP_64K));
    ASSERT_NE(capped, nullptr);
    capped[65535] = 1;
    EXPECT_FALSE(system.PageResize(capped, 65536, 65536 + 4096, 0));
    system.PageRelease(capped, 65536);
    void* again = system.PageAlloc(100, 0);
    EXPECT_EQ(again, capped); // the freed unit became the hint
    system.PageRelease(again, 100);
}

} // namespace
