// The kit's separate programs are waited for by the processor time they use, not by the clock:
// one that sleeps past its bound is waited for to its end, one that works past it is stopped.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
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

/// Whether the process has ended (it is gone, or a zombie no one collected yet).
bool Ended(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(file, stat)) return true;
    const size_t name = stat.rfind(')');
    return name != std::string::npos && stat.compare(name + 1, 3, " Z ") == 0;
}

TEST(SubprocessTest, AScriptsProgramWorkingPastTheBoundCountsAndIsStoppedWithTheScript) {
    // The script waits for a program it started, as tools/start-game waits for the game: the
    // program works a fifth of a second of its own processor time, says so with its number,
    // then works on for good (it hangs).
    const TempFolder folder;
    std::ofstream(folder / "busy.sh") << "while :; do\n"
                                         "  i=0; while [ $i -lt 2000 ]; do i=$((i + 1)); done\n"
                                         "  set -- $(cat /proc/$$/stat)\n"
                                         "  [ $((${14} + ${15})) -ge $(($(getconf CLK_TCK) / 5)) ] && break\n"
                                         "done\n"
                                         "echo $$ >worked.tmp; mv worked.tmp worked\n"
                                         "while :; do :; done\n";
    Subprocess script("/bin/sh", folder.path(), {}, {"-c", "sh ./busy.sh; exit 0"});
    ASSERT_TRUE(script.Start());
    pid_t program = 0;
    ASSERT_TRUE(script.WaitUntil([&] { return bool(std::ifstream(folder / "worked") >> program); }, 60000));
    // Ended however this case ends.
    const std::unique_ptr<void, std::function<void(void*)>> end(&program, [&](void*) { ::kill(program, SIGKILL); });
    ASSERT_GE(script.CpuMs(), 200) << "the program's processor time counts while it runs";
    ASSERT_FALSE(script.Wait(300)) << "it ended";
    EXPECT_EQ(script.ExitCode(), -1);
    bool ended = false;
    for (int i = 0; i < 1000 && !(ended = Ended(program)); ++i) ::usleep(1000); // the kill lands at once
    EXPECT_TRUE(ended) << "the script's program still runs";
}

} // namespace
} // namespace vqt::test
