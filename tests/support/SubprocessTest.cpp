// The kit's separate programs are waited for by the processor time they use, not by the clock:
// one that sleeps past its bound is waited for to its end, one that works past it is stopped.
// Waiting costs the test program little, and a program a script starts meanwhile counts too. A
// test program interrupted ends every group it runs, each whole, however many it collected
// before; an interrupt it ignores changes nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

/// Whether the process ends, looked at until the clock's bound for one that never does: a
/// killed process ends as soon as it is given the processor.
bool EndsSoon(pid_t pid) {
    const auto hung = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Ended(pid))
        if (std::chrono::steady_clock::now() > hung) return false;
        else ::usleep(1000);
    return true;
}

/// Kills the process at the end of the scope unless it ended: a case that fails leaves no
/// program behind.
using Ender = std::unique_ptr<pid_t, std::function<void(pid_t*)>>;
Ender EndAtLast(pid_t* pid) {
    return Ender(pid, [](pid_t* p) {
        if (*p > 0 && !Ended(*p)) ::kill(*p, SIGKILL);
    });
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
    const Ender end = EndAtLast(&program);
    ASSERT_GE(script.CpuMs(), 200) << "the program's processor time counts while it runs";
    ASSERT_FALSE(script.Wait(300)) << "it ended";
    EXPECT_EQ(script.ExitCode(), -1);
    EXPECT_TRUE(EndsSoon(program)) << "the script's program still runs";
}

/// The processor time the process used so far, in milliseconds; 0 when it is gone.
long ProcessorMs(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(file, stat) || stat.rfind(')') == std::string::npos) return 0;
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) { // state is field 3; utime 14, stime 15
        if (i == 14) user = std::stol(field);
        if (i == 15) system = std::stol(field);
    }
    return (user + system) * 1000 / ::sysconf(_SC_CLK_TCK);
}

/// The processor time the calling thread used so far, in milliseconds.
long ThreadCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
}

TEST(SubprocessTest, AWaitTakesLittleProcessorTimeOfItsOwnOnAMachineOfManyProcesses) {
    // A crowd of processes that the group's processor time would have to look through at
    // every poll.
    const TempFolder crowdFolder;
    Subprocess crowd("/bin/sh", crowdFolder.path(), {},
                     {"-c", "for i in $(seq 300); do sleep 600 & done; echo up >up.tmp; mv up.tmp up; wait"});
    ASSERT_TRUE(crowd.Start());
    std::string up;
    ASSERT_TRUE(crowd.WaitUntil([&] { return (std::ifstream(crowdFolder / "up") >> up) && up == "up"; }, 60000));
    const TempFolder folder;
    Subprocess sleeper("/bin/sh", folder.path(), {}, {"-c", "sleep 1"});
    const auto started = std::chrono::steady_clock::now();
    const long cpuBefore = ThreadCpuMs();
    ASSERT_TRUE(sleeper.Start());
    ASSERT_TRUE(sleeper.Wait(1000));
    const long cpu = ThreadCpuMs() - cpuBefore;
    const long clock = long(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
    EXPECT_LT(cpu * 10, clock) << "the wait used " << cpu << " ms of processor time in " << clock << " ms";
}

struct InterruptCase {
    const char* name;
    int signal;
    const char* probeMode; ///< subprocess_probe's argument, "" for none
};

constexpr InterruptCase kInterrupts[] = {
    {"Ctrl+C", SIGINT, ""},
    {"a request to end", SIGTERM, ""},
    {"its terminal closed", SIGHUP, ""},
    // Every group the kit collected left its place: there is room for the live one.
    {"Ctrl+C after more groups than the room ended", SIGINT, "after-many-groups"},
};

TEST(SubprocessTest, ATestProgramInterruptedEndsTheGroupsItStartedAndEndsByTheSignal) {
    for (const InterruptCase& c : kInterrupts) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        std::vector<std::string> arguments;
        if (*c.probeMode) arguments.push_back(c.probeMode);
        Subprocess probe(SUBPROCESS_PROBE, folder.path(), {}, arguments);
        ASSERT_TRUE(probe.Start());
        // The group's leader, a shell, and the sleeper it started, which only the group's
        // end reaches.
        pid_t leader = 0, member = 0;
        ASSERT_TRUE(probe.WaitUntil([&] { return bool(std::ifstream(folder / "pids") >> leader >> member); }, 60000, 5))
            << probe.Output();
        const Ender endLeader = EndAtLast(&leader), endMember = EndAtLast(&member);
        ASSERT_TRUE(probe.Signal(c.signal));
        EXPECT_TRUE(probe.Wait(10000)) << "the interrupted program went on";
        EXPECT_EQ(probe.ExitCode(), -1) << "the interrupted program did not end by the signal";
        EXPECT_TRUE(EndsSoon(leader)) << "the group's leader still runs";
        EXPECT_TRUE(EndsSoon(member)) << "the program the group's leader started still runs";
    }
}

TEST(SubprocessTest, AnInterruptTheTestProgramIgnoresLeavesItsGroupsAlone) {
    // As in a test run started in the background by a script, whose shell ignores Ctrl+C.
    const TempFolder folder;
    Subprocess probe(SUBPROCESS_PROBE, folder.path(), {}, {"ignoring-interrupts"});
    ASSERT_TRUE(probe.Start());
    ASSERT_TRUE(probe.Wait(60000));
    EXPECT_EQ(probe.ExitCode(), 0) << "3: the ignored interrupt ended the group it started\n" << probe.Output();
}

TEST(SubprocessTest, AProgramAScriptStartsWhileTheWaitRunsCountsTowardsItsBound) {
    // The script starts its worker only once the wait looks at the condition the first time,
    // after it looked for the group's processes: the wait must look for them again.
    const TempFolder folder;
    Subprocess script("/bin/sh", folder.path(), {},
                      {"-c", "while [ ! -e go ]; do sleep 0.01; done\n"
                             "sh -c 'echo $$ >worker.tmp; mv worker.tmp worker; while :; do :; done'"});
    ASSERT_TRUE(script.Start());
    pid_t worker = 0;
    // Far past its bound the worker would have gone on unseen (a wait that ends on its own is
    // the right one, whatever the clock).
    constexpr long kBoundMs = 300, kUnseenMs = 10000;
    const bool unseen = script.WaitUntil(
        [&] {
            if (!std::ifstream(folder / "go").good()) std::ofstream(folder / "go") << "go";
            if (worker == 0 && !(std::ifstream(folder / "worker") >> worker)) worker = 0;
            return worker > 0 && ProcessorMs(worker) > kUnseenMs;
        },
        kBoundMs);
    EXPECT_FALSE(unseen) << "the wait let the script's new program work past its bound";
    EXPECT_GT(worker, 0) << "the wait ended before the worker started";
}

} // namespace
} // namespace vqt::test
