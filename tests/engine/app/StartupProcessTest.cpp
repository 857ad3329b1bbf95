// The start-up and shutdown order of a whole program, run as separate processes: exit codes,
// the last line of the trace log, the exception guard and the single-instance lock.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "tests/support/Golden.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::LastLineOf;
using vqt::test::ReadFileBytes;
using vqt::test::Subprocess;
using vqt::test::TempFolder;

/// A working folder with a "VQT.ini" that runs windowed and logs every trace line to
/// "_VQT_RT.log"; the single-instance lock lives in `locks`.
class StartupProcessTest : public ::testing::Test {
protected:
    void Prepare(const TempFolder& folder) {
        std::ofstream ini(folder / "VQT.ini");
        ini << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\nSOUNDENABLED=1\n";
    }
    std::map<std::string, std::string> Environment(const std::string& probe) {
        return {{"PROBE", probe},
                {"XDG_RUNTIME_DIR", locks.path()},
                {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},
                {"SDL_VIDEODRIVER", ""},
                {"VQT_EXIT_AFTER_FRAMES", "40"}};
    }
    int Run(const TempFolder& folder, const std::string& probe) {
        Prepare(folder);
        return vqt::test::RunProgram(STARTUP_PROBE, folder.path(), Environment(probe), 30000, &output);
    }
    static std::string Log(const TempFolder& folder) { return ReadFileBytes(folder / "_VQT_RT.log"); }

    TempFolder locks;
    TempFolder work;
    std::string output;
};

TEST_F(StartupProcessTest, AFailingStepBeforeTheEngineEndsWithMinusOneAndItsTrace) {
    const std::map<std::string, std::string> lastLines = {{"preinit", "VQAppPreInit() failed"},
                                                          {"init", "VQAppInit() failed"}};
    for (const auto& [probe, line] : lastLines) {
        TempFolder folder;
        EXPECT_EQ(Run(folder, probe), 255) << probe;
        EXPECT_EQ(LastLineOf(folder / "_VQT_RT.log"), line) << probe;
        EXPECT_EQ(Log(folder).find("Engine initialization"), std::string::npos) << "no engine for " << probe;
    }
}

TEST_F(StartupProcessTest, AFailingEngineStartEndsWithOneAfterTheEnginesShutdown) {
    EXPECT_EQ(Run(work, "engine"), 1);
    const std::string log = Log(work);
    EXPECT_NE(log.find("Engine initialization : Pre-allocating temp buffers..."), std::string::npos);
    EXPECT_EQ(LastLineOf(work / "_VQT_RT.log"), "engine failed to initialise");
    EXPECT_EQ(log.find("probe: VQAppStart"), std::string::npos);
    EXPECT_NE(output.find("probe: engine shut down"), std::string::npos) << output;

    TempFolder manager;
    EXPECT_EQ(Run(manager, "manager"), 1) << "no activity manager of the engine's own";
    EXPECT_EQ(Log(manager).find("probe: VQAppStart"), std::string::npos);
}

TEST_F(StartupProcessTest, AFailingGameStartSkipsTheRunAndShutsDownInOrder) {
    EXPECT_EQ(Run(work, "start"), 0);
    const std::string log = Log(work);
    const size_t start = log.find("probe: VQAppStart");
    const size_t end = log.find("probe: VQAppEnd");
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LT(start, end);
    EXPECT_NE(log.find("Installing special message translator for windowed mode"), std::string::npos);
    EXPECT_NE(output.find("probe: engine shut down"), std::string::npos);
}

TEST_F(StartupProcessTest, TextThrownDuringTheRunIsTracedAndTheShutdownRunsInOrder) {
    EXPECT_EQ(Run(work, "throw"), 0);
    const std::string log = Log(work);
    const size_t thrown = log.find("********** Exception : \"Driver Exception\"");
    ASSERT_NE(thrown, std::string::npos) << log;
    const size_t end = log.find("probe: VQAppEnd", thrown);
    EXPECT_NE(end, std::string::npos) << "the game's end comes after the exception";
    EXPECT_NE(output.find("probe: engine shut down"), std::string::npos);
}

TEST_F(StartupProcessTest, ASecondInstanceEndsAtOnceWhileTheFirstRunsOn) {
    Prepare(work);
    std::map<std::string, std::string> env = Environment("hold");
    env["VQT_EXIT_AFTER_FRAMES"] = ""; // runs until released
    Subprocess first(STARTUP_PROBE, work.path(), env);
    ASSERT_TRUE(first.Start());
    // Wait until the first one runs.
    const std::string running = "probe: VQAppStart";
    ASSERT_TRUE(first.WaitUntil([&] { return Log(work).find(running) != std::string::npos; }, 30000, 10));

    TempFolder second;
    EXPECT_EQ(Run(second, "run"), 255);
    EXPECT_EQ(LastLineOf(second / "_VQT_RT.log"), "VQXInit() failed");
    EXPECT_EQ(Log(second).find("Engine initialization"), std::string::npos);
    // The one that leaves says why on its standard error, naming the lock it found held.
    EXPECT_NE(output.find("is already running for this user (its lock " + locks.path() + "/"), std::string::npos)
        << output;

    // Another session (another user, or the same one logged in elsewhere) has a lock of its own.
    TempFolder otherSession;
    std::map<std::string, std::string> elsewhere = Environment("run");
    elsewhere["XDG_RUNTIME_DIR"] = otherSession.path();
    TempFolder third;
    Prepare(third);
    EXPECT_EQ(vqt::test::RunProgram(STARTUP_PROBE, third.path(), elsewhere, 30000, &output), 0) << output;

    std::ofstream(work / "release") << "";
    ASSERT_TRUE(first.Wait(30000));
    EXPECT_EQ(first.ExitCode(), 0) << "the first one ran until it was released";
}

} // namespace
