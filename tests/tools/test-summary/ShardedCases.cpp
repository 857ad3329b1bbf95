// A test program for the failure summary's check: many cases that pass and print a few lines
// each, and one that fails with a failed expectation and a runtime error's line; apart from them,
// a case that fails and one that then dies of SIGSEGV long after that failure. It is not a test
// of its own; the check runs it in shards under ctest, and the crashing cases alone.
#include <gtest/gtest.h>

#include <csignal>
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

TEST(DeliberateCrash, FailsFirst) { EXPECT_EQ(2 + 2, 5) << "the failure before the crash"; }

TEST(DeliberateCrash, ThenCrashes) {
    // More lines than the summary shows after a failure, the case's last two lines, and a
    // report of the crash longer than the last lines shown (as a sanitizer's would be).
    for (int line = 0; line < 40; ++line) std::printf("filler line %d\n", line);
    std::printf("the crashing case's first line\n");
    std::printf("the crashing case's second line\n");
    std::printf("ShardedCases.cpp:37:5: runtime error: the deliberate report of a crash\n");
    for (int frame = 0; frame < 40; ++frame) std::printf("    #%d a frame of the deliberate report\n", frame);
    std::fflush(stdout); // what a crash would lose in the buffer is not the summary's to find
    std::raise(SIGSEGV);
}

} // namespace
