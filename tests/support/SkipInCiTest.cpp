// Which values of CI count as a CI run for the rule that a case skipped there fails its test:
// the probe, whose one case skips itself, says so on its line only where they do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

struct CiCase {
    const char* name;
    std::vector<std::string> env; ///< the arguments of env(1) that set CI
    bool ci;
};

const CiCase kCases[] = {
    {"unset", {"-u", "CI"}, false},
    {"empty", {"CI="}, false},
    {"false", {"CI=false"}, false},
    {"0", {"CI=0"}, false},
    {"true", {"CI=true"}, true},
    {"1", {"CI=1"}, true},
    {"yes", {"CI=yes"}, true},
    {"a CI's name", {"CI=woodpecker"}, true},
};

TEST(SkipInCiTest, ASkipFailsItsTestWhereCiIsSetToAnythingButEmptyFalseOr0) {
    for (const CiCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        std::vector<std::string> arguments = c.env;
        arguments.push_back(SKIP_PROBE);
        // The probe runs its one case whatever shard this program is.
        Subprocess probe("/usr/bin/env", folder.path(), {{"GTEST_TOTAL_SHARDS", ""}, {"GTEST_SHARD_INDEX", ""}}, arguments);
        ASSERT_TRUE(probe.Start());
        ASSERT_TRUE(probe.Wait(30000));
        const std::string output = probe.Output();
        ASSERT_NE(output.find("[  SKIPPED ] SkipProbe.SkipsItself"), std::string::npos) << output;
        EXPECT_EQ(probe.ExitCode(), 0) << output;
        EXPECT_EQ(output.find("fails the test: SkipProbe.SkipsItself") != std::string::npos, c.ci) << output;
    }
}

} // namespace
} // namespace vqt::test
