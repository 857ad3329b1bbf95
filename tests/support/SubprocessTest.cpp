// The kit's separate programs are waited for by the processor time they use, not by the clock:
// one that sleeps past its bound is waited for to its end, one that works past it is stopped.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

struct WaitCase {
    const char* name;
    const char* script; ///< run by /bin/sh
    long cpuMs;
    bool ended;
    int exitCode;
};

constexpr WaitCase kWaits[] = {
    {"a program that sleeps past its bound ends on its own", "sleep 0.3; exit 3", 50, true, 3},
    {"a program that works past its bound is stopped", "while :; do :; done", 200, false, -1},
    {"a program that ends at once", "exit 0", 50, true, 0},
};

TEST(SubprocessTest, AWaitIsBoundedByTheProgramsProcessorTime) {
    for (const WaitCase& c : kWaits) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        Subprocess program("/bin/sh", folder.path(), {}, {"-c", c.script});
        ASSERT_TRUE(program.Start());
        EXPECT_EQ(program.Wait(c.cpuMs), c.ended);
        EXPECT_EQ(program.ExitCode(), c.exitCode);
    }
}

TEST(SubprocessTest, AWaitForAConditionEndsWhenItHoldsOrWhenTheProgramEnds) {
    const TempFolder folder;
    Subprocess sleeper("/bin/sh", folder.path(), {}, {"-c", "sleep 0.3; touch written; sleep 0.3"});
    ASSERT_TRUE(sleeper.Start());
    EXPECT_TRUE(sleeper.WaitUntil([&] { return std::ifstream(folder / "written").good(); }, 50));
    EXPECT_FALSE(sleeper.WaitUntil([] { return false; }, 50)) << "it ended";
    EXPECT_EQ(sleeper.ExitCode(), 0);
}

} // namespace
} // namespace vqt::test
