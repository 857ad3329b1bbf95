#include <gtest/gtest.h>

#include "engine/base/Random.h"
#include "tests/support/HeadlessTest.h"

namespace {

class RandomTest : public vqt::test::HeadlessTest {};

TEST_F(RandomTest, SeedOneGivesTheClassicSequence) {
    xSRand(1);
    EXPECT_EQ(xRand(), 41);
    EXPECT_EQ(xRand(), 18467);
    EXPECT_EQ(xRand(), 6334);
    EXPECT_EQ(xRand(), 26500);
}

} // namespace
