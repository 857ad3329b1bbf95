// A test program for the failure summary's check: many cases that pass and print a few lines
// each, and one that fails with a failed expectation and a runtime error's line. It is not a
// test of its own; the check runs it in shards under ctest.
#include <gtest/gtest.h>

#include <cstdio>

namespace {

class ShardedCase : public testing::TestWithParam<int> {};

TEST_P(ShardedCase, PrintsAndPasses) {
    for (int line = 0; line < 6; ++line) std::printf("case %d, line %d of its trace\n", GetParam(), line);
    EXPECT_GE(GetParam(), 0);
}

INSTANTIATE_TEST_SUITE_P(Many, ShardedCase, testing::Range(0, 24));

TEST(DeliberateFailure, FailsWithItsOwnLines) {
    std::fprintf(stderr, "ShardedCases.cpp:20:5: runtime error: the deliberate runtime error\n");
    EXPECT_EQ(1 + 1, 3) << "the deliberate failed expectation";
}

} // namespace
