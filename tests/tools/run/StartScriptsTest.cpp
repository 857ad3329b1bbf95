// The scripts a user starts (tools/run, tools/start-game, tools/fuzz, tools/test) on bad input:
// each refusal ends at once, before anything is built or touched, with a failing exit code and a
// line naming what was wrong. tools/start-game runs on the game this tree built: the run folder's
// settings keep what a user wrote, and a game already running keeps its trace log.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/GeneratedData.h"
#include "tests/support/Golden.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::RunProgram;
using vqt::test::Subprocess;
using vqt::test::TempFolder;

constexpr int kEndsWithinMs = 60000; // a refusal ends at once; the bound only stops a hang

std::string Script(const std::string& name) { return std::string(SOURCE_ROOT) + "/tools/" + name; }

/// Folders of their own for the lock, the run and the build, and a PATH whose "cmake" fails
/// loudly: a script that went on past its checks would say "build started" rather than build.
class StartScriptsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(tools / "cmake") << "#!/bin/sh\necho build started >&2\nexit 3\n";
        std::filesystem::permissions(tools / "cmake", std::filesystem::perms::owner_all);
    }
    std::map<std::string, std::string> Environment() {
        const char* path = std::getenv("PATH");
        return {{"PATH", tools.path() + ":" + (path ? path : "/usr/bin:/bin")},
                {"XDG_RUNTIME_DIR", locks.path()},
                {"VQT_RUN_DIR", run.path()},
                {"VQT_BUILD_DIR", builds.path()},
                {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},
                {"SDL_VIDEODRIVER", ""},
                {"VQT_EXIT_AFTER_FRAMES", ""},
                {"VQT_EXIT_AFTER_MS", ""},
                {"VQT_SCREENSHOT", ""},
                {"VQT_START", ""},
                {"VQT_BOT", ""},
                {"PARTFILE", ""}};
    }
    int Run(const std::string& script, std::vector<std::string> arguments,
            const std::map<std::string, std::string>& env, std::string& output) {
        TempFolder folder;
        Subprocess process(Script(script), folder.path(), env, std::move(arguments));
        if (!process.Start()) return -2;
        const bool ended = process.Wait(kEndsWithinMs);
        output = process.Output();
        return ended ? process.ExitCode() : -1;
    }

    TempFolder tools;
    TempFolder locks;
    TempFolder run;
    TempFolder builds;
};

/// A script started with these arguments and variables, its exit code and a piece of what it
/// says.
struct Refusal {
    const char* script;
    std::vector<std::string> arguments;
    std::map<std::string, std::string> variables;
    int exitCode;
    const char* says;
};

TEST_F(StartScriptsTest, BadValuesAndArgumentsAreRefusedBeforeAnythingIsBuiltNamingWhatWasWrong) {
    const std::string tree = TREE;
    const Refusal refusals[] = {
        {"run", {"--help"}, {}, 0, "usage: "},
        {"run", {"now"}, {}, 2, "tools/run takes no arguments"},
        {"run", {}, {{"VQT_START", "999"}}, 2, "VQT_START=\"999\" names no activity to start on; it takes one of: 8 14 17"},
        {"run", {}, {{"VQT_START", "abc"}}, 2, "VQT_START=\"abc\" names no activity"},
        {"run", {}, {{"VQT_START", "-1"}}, 2, "VQT_START=\"-1\" names no activity"},
        {"run", {}, {{"VQT_START", "0"}}, 2, "VQT_START=\"0\" names no activity"},
        {"run", {}, {{"VQT_START", "12"}}, 2, "VQT_START=\"12\" names no activity"},
        {"run", {}, {{"VQT_START", "8x"}}, 2, "VQT_START=\"8x\" names no activity"},
        {"run", {}, {{"VQT_EXIT_AFTER_MS", "abc"}}, 2, "VQT_EXIT_AFTER_MS=\"abc\" is not a number of milliseconds"},
        {"run", {}, {{"VQT_EXIT_AFTER_MS", "0"}}, 2, "VQT_EXIT_AFTER_MS=\"0\" is not"},
        {"run", {}, {{"VQT_EXIT_AFTER_MS", "-5"}}, 2, "VQT_EXIT_AFTER_MS=\"-5\" is not"},
        {"run", {}, {{"VQT_EXIT_AFTER_MS", "99999999999999999999"}}, 2, "VQT_EXIT_AFTER_MS=\"99999999999999999999\" is not"},
        {"run", {}, {{"VQT_EXIT_AFTER_FRAMES", "5x"}}, 2, "VQT_EXIT_AFTER_FRAMES=\"5x\" is not a number of frames"},
        {"run", {}, {{"VQT_BOT", "circus-race zoo-race"}}, 2, "VQT_BOT=\"circus-race zoo-race\": it takes one bot name"},
        {"start-game", {}, {}, 2, "usage: tools/start-game TREE"},
        {"start-game", {tree}, {{"VQT_START", "12"}}, 2, "VQT_START=\"12\" names no activity"},
        {"start-game", {tree}, {{"VQT_BOT", "zoo-rase"}}, 2, "VQT_BOT=\"zoo-rase\" names no bot; the bots:\n  circus-round"},
        {"fuzz", {"abc", "fuzz_ini_apply"}, {}, 2, "tools/fuzz: the seconds \"abc\" are not a whole number from 1"},
        {"fuzz", {"0"}, {}, 2, "the seconds \"0\" are not"},
        {"fuzz", {"--help"}, {}, 0, "usage: tools/fuzz [seconds] [target...]"},
        {"test", {"--all"}, {}, 2, "tools/test takes no arguments"},
        {"test", {}, {{"VQT_SHUFFLE_SEED", "abc"}}, 2, "VQT_SHUFFLE_SEED=\"abc\" is not a seed"},
        {"test", {}, {{"VQT_SHUFFLE_SEED", "100000"}}, 2, "VQT_SHUFFLE_SEED=\"100000\" is not a seed"},
        {"test", {}, {{"VQT_FUZZ_SECONDS", "ten"}}, 2, "VQT_FUZZ_SECONDS=\"ten\" is not a number of seconds"},
    };
    for (const Refusal& refusal : refusals) {
        auto env = Environment();
        for (const auto& [name, value] : refusal.variables) env[name] = value;
        std::string output;
        const std::string shown = std::string(refusal.script) + " " + (refusal.arguments.empty() ? "" : refusal.arguments[0]) +
                                  (refusal.variables.empty() ? "" : " " + refusal.variables.begin()->second);
        EXPECT_EQ(Run(refusal.script, refusal.arguments, env, output), refusal.exitCode) << shown << ": " << output;
        EXPECT_NE(output.find(refusal.says), std::string::npos) << shown << ": " << output;
        EXPECT_EQ(output.find("build started"), std::string::npos) << shown << ": " << output;
    }
}

TEST_F(StartScriptsTest, WhatAUserWroteInTheRunFoldersSettingsSurvivesTheNextRuns) {
    TempFolder data;
    ASSERT_TRUE(vqt::test::CopyGeneratedData(data.path()));
    auto env = Environment();
    env["PARTFILE"] = data / vqt::test::kGeneratedPartFile;
    env["VQT_EXIT_AFTER_FRAMES"] = "5";
    std::string output;
    ASSERT_EQ(Run("start-game", {TREE}, env, output), 0) << output;
    std::ofstream(run / "VQT.ini", std::ios::app) << "CHEATSENABLED=1\n";
    std::ofstream(run / "TLVFMH.ini", std::ios::app) << "HMCAPTIONS=1\n";

    env["VQT_START"] = "8";
    ASSERT_EQ(Run("start-game", {TREE}, env, output), 0) << output;
    EXPECT_NE(ReadFileBytes(run / "VQT.ini").find("[VQT]\nSTARTACTIVITY=8\n"), std::string::npos);
    env["VQT_START"] = "";
    ASSERT_EQ(Run("start-game", {TREE}, env, output), 0) << output;
    const std::string engine = ReadFileBytes(run / "VQT.ini");
    const std::string game = ReadFileBytes(run / "TLVFMH.ini");
    EXPECT_NE(engine.find("CHEATSENABLED=1\n"), std::string::npos) << engine;
    EXPECT_EQ(engine.find("STARTACTIVITY"), std::string::npos) << engine;
    EXPECT_NE(game.find("HMCAPTIONS=1\n"), std::string::npos) << game;
    EXPECT_NE(game.find("PARTFILE=" + env["PARTFILE"] + "\n"), std::string::npos) << game;
}

/// Whether the file exists and another process holds a lock on it.
bool HeldElsewhere(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

TEST_F(StartScriptsTest, ASecondRunWhileAGameRunsLeavesTheFirstGamesFolderAlone) {
    ASSERT_TRUE(vqt::test::CopyGeneratedData(run.path(), "synthetic.vqk"));
    std::ofstream(run / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
    std::ofstream(run / "TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=synthetic.vqk\n";
    auto env = Environment();
    Subprocess first(TLVGAME, run.path(), env);
    ASSERT_TRUE(first.Start());
    const std::string lock = locks / "Tollivar Fennmark Rovadu.lock";
    for (int waited = 0; !HeldElsewhere(lock) && waited < 60000; waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(HeldElsewhere(lock)) << "the first game never took its lock";
    const std::string log = ReadFileBytes(run / "_VQT_RT.log");
    const std::string settings = ReadFileBytes(run / "TLVFMH.ini");

    for (const char* script : {"run", "start-game"}) {
        std::string output;
        EXPECT_EQ(Run(script, script == std::string("run") ? std::vector<std::string>{} : std::vector<std::string>{TREE},
                      env, output),
                  1)
            << script << ": " << output;
        EXPECT_NE(output.find("The game is already running for this user (its lock " + lock + " is held)"),
                  std::string::npos)
            << script << ": " << output;
        EXPECT_EQ(ReadFileBytes(run / "TLVFMH.ini"), settings) << script;
        EXPECT_EQ(ReadFileBytes(run / "_VQT_RT.log").substr(0, log.size()), log) << script;
        EXPECT_FALSE(std::filesystem::exists(run / "last-frame.png")) << script;
    }
    first.Signal(SIGKILL);
    first.Wait(kEndsWithinMs);
}

} // namespace
