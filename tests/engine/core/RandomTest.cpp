#include <gtest/gtest.h>

#include "engine/core/Random.h"

namespace {

TEST(RandomTest, SeedOneGivesTheClassicSequence) {
    xSRand(1);
    EXPECT_EQ(xRand(), 41);
    EXPECT_EQ(xRand(), 18467);
    EXPECT_EQ(xRand(), 6334);
    EXPECT_EQ(xRand(), 26500);
}

TEST(RandomTest, ReseedingRepeatsAndResultsStayIn15Bits) {
    xSRand(12345);
    std::vector<int> first;
    for (int i = 0; i < 1000; ++i) {
        first.push_back(xRand());
        EXPECT_GE(first.back(), 0);
        EXPECT_LE(first.back(), 0x7FFF);
    }
    xSRand(12345);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(xRand(), first[i]);
    }
}

} // namespace
