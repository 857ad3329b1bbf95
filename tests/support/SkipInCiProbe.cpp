// A test program whose one case skips itself, for the checks of the rule that a skip in CI fails
// its test (tests/CMakeLists.txt).
#include <gtest/gtest.h>

TEST(SkipProbe, SkipsItself) { GTEST_SKIP() << "the probe skips\non two lines"; }
