// The scripts a user starts (tools/run, tools/start-game, tools/fuzz, tools/test) on bad input:
// each refusal ends at once, before anything is built or touched, with a failing exit code and a
// line naming what was wrong. tools/start-game runs on the game this tree built: the run folder's
// settings keep what a user wrote, a game already running keeps its trace log, and of two runs
// started together on one run folder one runs and the other touches nothing there. The lists the
// scripts check names against are the programs' own. A script runs however it is started, and a
// driver without a screen makes a run without one, for the game and the bot alike.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/GeneratedData.h"
#include "tests/support/Golden.h"
#include "tests/support/Sanitizers.h"
#include "tests/support/StartActivities.h"
#include "tests/support/Subprocess.h"
#include "tests/support/VirtualScreen.h"
#include "tests/tools/run/ScriptTestKit.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::RunProgram;
using vqt::test::Subprocess;
using vqt::test::TempFolder;
using namespace vqt::test::scripts;

TEST_F(StartScriptsTest, BadValuesAndArgumentsAreRefusedBeforeAnythingIsBuiltNamingWhatWasWrong) {
    const std::string tree = TREE;
    const TempFolder notATree;
    const std::string file = notATree / "a-file";
    std::ofstream(file) << "not a folder\n";
    // A tree with the game but without the data tool is no tree to start.
    const TempFolder withoutDataTool;
    std::ofstream(withoutDataTool / "CMakeCache.txt") << "";
    std::filesystem::create_directories(withoutDataTool / "game/shell");
    std::filesystem::create_symlink(TLVGAME, withoutDataTool / "game/shell/tlvgame");
    const std::string longBuild = PathOfLength(builds / "deep", BuildDirMax() + 1);
    const std::string longName = run / std::string(256, 'r');
    // Short links to folders whose real paths are too long.
    const TempFolder links, far;
    const std::string farBuild = PathOfLength(far / "b", 2028), farRun = PathOfLength(far / "r", 4085);
    std::filesystem::create_directories(farBuild);
    std::filesystem::create_directories(farRun);
    std::filesystem::create_directory_symlink(farBuild, links / "b");
    std::filesystem::create_directory_symlink(farRun, links / "r");
    // A tree whose default run folder, with the files kept in it, would be too long.
    const std::string deepTree = PathOfLength(far / "t", 4040);
    std::filesystem::create_directories(deepTree);
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
        {"fuzz", {"--help"}, {}, 0, "usage: [VQT_BUILD_DIR=folder] tools/fuzz [seconds] [target...]"},
        {"test", {"--all"}, {}, 2, "tools/test takes no arguments"},
        {"test", {}, {{"VQT_SHUFFLE_SEED", "abc"}}, 2, "VQT_SHUFFLE_SEED=\"abc\" is not a seed"},
        {"test", {}, {{"VQT_SHUFFLE_SEED", "100000"}}, 2, "VQT_SHUFFLE_SEED=\"100000\" is not a seed"},
        {"test", {}, {{"VQT_FUZZ_SECONDS", "ten"}}, 2, "VQT_FUZZ_SECONDS=\"ten\" is not a number of seconds"},
        // One whole value, not a piece of the list.
        {"run", {}, {{"VQT_START", "8 14"}}, 2, "VQT_START=\"8 14\" names no activity"},
        {"run", {}, {{"VQT_START", "14 17 15"}}, 2, "VQT_START=\"14 17 15\" names no activity"},
        {"run", {}, {{"VQT_START", " 8"}}, 2, "VQT_START=\" 8\" names no activity"},
        {"run", {}, {{"VQT_BOT", "nonsense"}}, 2, "VQT_BOT=\"nonsense\" names no bot; the bots:\n  circus-round"},
        {"run", {}, {{"VQT_BOT", "circus"}}, 2, "VQT_BOT=\"circus\" names no bot"},
        {"run", {}, {{"VQT_RUN_DIR", file}}, 2, "VQT_RUN_DIR=\"" + file + "\" is not a folder"},
        {"run", {}, {{"VQT_RUN_DIR", file + "/run"}}, 2, "VQT_RUN_DIR=\"" + file + "/run\" cannot be made: " + file + " is not a folder"},
        {"run", {}, {{"VQT_RUN_DIR", "/proc/vqt-run"}}, 2, "VQT_RUN_DIR=\"/proc/vqt-run\" cannot be made: "},
        // Relative: from the repository root, wherever the script was started.
        {"run", {}, {{"VQT_RUN_DIR", "README.md"}}, 2, "VQT_RUN_DIR=\"README.md\" is not a folder"},
        {"run", {}, {{"VQT_BUILD_DIR", file}}, 2, "VQT_BUILD_DIR=\"" + file + "\" is not a folder"},
        {"run", {}, {{"VQT_BUILD_DIR", "/proc/vqt-build"}}, 2, "VQT_BUILD_DIR=\"/proc/vqt-build\" cannot be made: "},
        {"start-game", {tree}, {{"VQT_RUN_DIR", file}}, 2, "VQT_RUN_DIR=\"" + file + "\" is not a folder"},
        {"start-game", {notATree.path()}, {{"VQT_RUN_DIR", ""}}, 2, "tools/start-game: " + notATree.path() + " is not a build tree"},
        {"start-game", {tree}, {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", file}}, 1,
         "Tollivar Fennmark Rovadu cannot make its single-instance lock: cannot make the folder " + file + "/vqt-"},
        {"fuzz", {"5", "rebuild_cache"}, {}, 2, "tools/fuzz: \"rebuild_cache\" is no fuzz target; they are: fuzz_activity"},
        {"fuzz", {"5", "fuzz_ini_apply", "all"}, {}, 2, "tools/fuzz: \"all\" is no fuzz target"},
        {"fuzz", {"5"}, {{"VQT_BUILD_DIR", file}}, 2, "VQT_BUILD_DIR=\"" + file + "\" is not a folder"},
        {"test", {}, {{"VQT_BUILD_DIR", file}}, 2, "VQT_BUILD_DIR=\"" + file + "\" is not a folder"},
        {"run", {"--help"}, {}, 0, "[VQT_EXIT_AFTER_FRAMES=n] [VQT_RUN_DIR=folder] [VQT_BUILD_DIR=folder] tools/run"},
        // Folders the system would not take, or that cannot hold files.
        {"run", {}, {{"VQT_BUILD_DIR", longBuild}}, 2,
         "VQT_BUILD_DIR=\"" + longBuild.substr(0, 40) + "...\" (" + std::to_string(longBuild.size()) +
             " bytes) is too long: its path takes at most " + std::to_string(BuildDirMax()) + " bytes"},
        {"run", {}, {{"VQT_RUN_DIR", longName}}, 2, "VQT_RUN_DIR=\"" + longName.substr(0, 40) + "...\" ("},
        {"start-game", {tree}, {{"VQT_RUN_DIR", longName + "/run"}}, 2, "holds a name longer than the 255 bytes the system takes"},
        {"run", {}, {{"VQT_RUN_DIR", "/sys/kernel"}}, 2, "VQT_RUN_DIR=\"/sys/kernel\" is on the kernel's sysfs file system"},
        {"run", {}, {{"VQT_RUN_DIR", "/proc/self"}}, 2, "VQT_RUN_DIR=\"/proc/self\" is on the kernel's proc file system"},
        {"run", {}, {{"VQT_BUILD_DIR", "/sys/vqt-build"}}, 2,
         "VQT_BUILD_DIR=\"/sys/vqt-build\" cannot be made: /sys is on the kernel's sysfs file system"},
        {"start-game", {tree}, {{"VQT_RUN_DIR", "/proc/vqt-run"}}, 2, "/proc is on the kernel's proc file system"},
        {"start-game", {withoutDataTool.path()}, {{"VQT_RUN_DIR", ""}}, 2,
         "tools/start-game: " + withoutDataTool.path() + " is not a build tree with game/shell/tlvgame and tools/synthetic_partfile"},
        {"fuzz", {"5", "fuzz_ini"}, {}, 2, "tools/fuzz: \"fuzz_ini\" is no fuzz target"},
        // Measured on the real path, which the system and CMake use.
        {"test", {}, {{"VQT_BUILD_DIR", links / "b"}}, 2,
         "VQT_BUILD_DIR=\"" + links / "b\", whose real path is \"" + farBuild.substr(0, 40) + "...\" (2028 bytes), is too long"},
        {"run", {}, {{"VQT_RUN_DIR", links / "r"}}, 2,
         "VQT_RUN_DIR=\"" + links / "r\", whose real path is \"" + farRun.substr(0, 40) + "...\" (4085 bytes), is too long"},
        {"start-game", {deepTree}, {{"VQT_RUN_DIR", ""}}, 2,
         "VQT_RUN_DIR is unset and its default \"" + deepTree.substr(0, 40) + "...\" (4044 bytes) is too long: with the 64 "
         "bytes its files add, its path passes the 4095 bytes the system takes; set VQT_RUN_DIR to a folder elsewhere to move it"},
        // A bot plays until it reached its game: a headless run's length is no bot's.
        {"run", {}, {{"VQT_BOT", "circus-race"}, {"VQT_EXIT_AFTER_MS", "5000"}}, 2,
         "VQT_EXIT_AFTER_MS=\"5000\" cannot go with VQT_BOT=\"circus-race\""},
        {"start-game", {tree}, {{"VQT_BOT", "zoo-race"}, {"VQT_EXIT_AFTER_MS", "1"}}, 2,
         "VQT_EXIT_AFTER_MS=\"1\" cannot go with VQT_BOT=\"zoo-race\""},
        // What the game's settings or the build cannot hold.
        {"run", {}, {{"VQT_RUN_DIR", run / "a\nb"}}, 2, "VQT_RUN_DIR=\"" + run / "a\\nb\" holds a line break"},
        {"run", {}, {{"VQT_RUN_DIR", run / "a\rb"}}, 2, "VQT_RUN_DIR=\"" + run / "a\\rb\" holds a line break"},
        {"run", {}, {{"VQT_BUILD_DIR", builds / "a\nb"}}, 2, "VQT_BUILD_DIR=\"" + builds / "a\\nb\" holds a line break"},
        {"run", {}, {{"PARTFILE", "TLVFMH.vqk\nx"}}, 2, "PARTFILE=\"TLVFMH.vqk\\nx\" holds a line break"},
        {"start-game", {TREE}, {{"PARTFILE", "a\rb"}}, 2, "PARTFILE=\"a\\rb\" holds a line break"},
        {"test", {}, {{"VQT_BUILD_DIR", builds / "a;b"}}, 2, "holds ';', which the build cannot take"},
        {"fuzz", {"5"}, {{"VQT_BUILD_DIR", builds / "a#b"}}, 2, "holds '#', which the build cannot take"},
        // The build's escape, shown as written: a backslash and an "n" are no line break.
        {"run", {}, {{"VQT_BUILD_DIR", builds / "a\\nb"}}, 2, "VQT_BUILD_DIR=\"" + builds / "a\\nb\" holds '\\'"},
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
    // Nothing was made in the folder that is no build tree, nor in the builds' and runs' own.
    EXPECT_EQ(Listing(notATree.path()), std::set<std::string>{"a-file"});
    EXPECT_TRUE(Listing(builds.path()).empty());
    EXPECT_TRUE(Listing(run.path()).empty());
    EXPECT_EQ(Listing(withoutDataTool.path()), (std::set<std::string>{"CMakeCache.txt", "game"}));
    EXPECT_FALSE(std::filesystem::exists("/proc/vqt-run"));
    EXPECT_FALSE(std::filesystem::exists("/sys/vqt-build"));
}

/// The folders' paths at their limits: the run folder's whole path with the 64 bytes its files add
/// up to the system's 4095 bytes, the builds' folder up to where CMake can work in every tree's
/// deepest folder, each name up to 255.
TEST_F(StartScriptsTest, AFolderIsTakenUpToTheSystemsLimitsWithTheFilesKeptInIt) {
    struct Case {
        const char* variable;
        std::string path;
        bool taken;
    };
    // A path of 4036 bytes in fewer characters, two bytes each for most (measured in bytes in a
    // UTF-8 locale too).
    std::string twoByte = run / "u";
    while (twoByte.size() + 1 + 240 + 2 < 4036) {
        twoByte += "/";
        for (int i = 0; i < 120; ++i) twoByte += "\xc3\xa9";
    }
    twoByte += "/" + std::string(4036 - twoByte.size() - 1, 'c');
    const Case cases[] = {
        {"VQT_RUN_DIR", PathOfLength(run / "r", 4095 - 64), true},
        {"VQT_RUN_DIR", twoByte, false},
        {"VQT_RUN_DIR", PathOfLength(run / "r", 4095 - 64 + 1), false},
        {"VQT_BUILD_DIR", PathOfLength(builds / "b", BuildDirMax()), true},
        {"VQT_BUILD_DIR", PathOfLength(builds / "b", BuildDirMax() + 1), false},
        {"VQT_RUN_DIR", run / (std::string(255, 'n') + "/x"), true},
        {"VQT_RUN_DIR", run / (std::string(256, 'n') + "/x"), false},
        {"VQT_BUILD_DIR", builds / std::string(256, 'n'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + " of " + std::to_string(c.path.size()) + " bytes");
        auto env = Environment();
        env[c.variable] = c.path;
        env["LC_ALL"] = "C.UTF-8";
        std::string output;
        const int code = RunIn(SOURCE_ROOT, {"/bin/bash", "-c", "source tools/run-checks.sh && vqt_check_folder \"$0\" ''", c.variable},
                               env, output);
        EXPECT_EQ(code, c.taken ? 0 : 1) << output;
        EXPECT_EQ(output.find(c.variable) != std::string::npos, !c.taken) << output;
    }
}

/// The words of the line after `lead` in `text`, or of the lines that start with two blanks
/// after it (their first word each).
std::set<std::string> WordsAfter(const std::string& text, const std::string& lead, bool indentedLines) {
    std::set<std::string> words;
    const size_t at = text.find(lead);
    if (at == std::string::npos) return words;
    std::istringstream rest(text.substr(at + lead.size()));
    std::string line, word;
    if (!indentedLines) {
        std::getline(rest, line);
        std::istringstream in(line);
        while (in >> word) words.insert(word);
        return words;
    }
    std::getline(rest, line);
    while (std::getline(rest, line) && line.rfind("  ", 0) == 0) {
        std::istringstream in(line);
        if (in >> word) words.insert(word);
    }
    return words;
}

TEST_F(StartScriptsTest, TheNamesTheScriptsTakeAreTheProgramsOwn) {
    std::string output;
    auto env = Environment();
    env["VQT_START"] = "999";
    ASSERT_EQ(Run("run", {}, env, output), 2) << output;
    std::set<std::string> starts;
    for (const vqt::test::StartActivity& a : vqt::test::kStartActivities) starts.insert(std::to_string(a.entry));
    EXPECT_EQ(WordsAfter(output, "it takes one of:", false), starts) << output;

    env = Environment();
    env["VQT_BOT"] = "none";
    ASSERT_EQ(Run("run", {}, env, output), 2) << output;
    const std::set<std::string> taken = WordsAfter(output, "the bots:", true);
    std::string listing;
    ASSERT_EQ(RunIn(run.path(), {TLVBOTVIEW}, Environment(), listing), 2) << listing;
    EXPECT_EQ(taken, WordsAfter(listing, "bots:", true)) << output << listing;
    EXPECT_GE(taken.size(), 7u) << output;
}

/// What a run without a named display says, and what one says whose SDL_VIDEODRIVER has no
/// screen: the program opens its window there, which no one sees, so the run ends by itself
/// (without a limit of frames) and keeps its last frame, as a headless one does.
TEST_F(StartScriptsTest, WhatARunSaysOfItsDisplayIsWhatTheProgramDoes) {
    ASSERT_TRUE(vqt::test::CopyGeneratedData(run.path()));
    auto env = Environment();
    env["PARTFILE"] = run / vqt::test::kGeneratedPartFile;
    env["VQT_EXIT_AFTER_FRAMES"] = "3";
    // The sanitizers' leak check knows nothing of the display library's own blocks.
    env["ASAN_OPTIONS"] = "detect_leaks=0";
    std::string output;
    ASSERT_EQ(Run("start-game", {TREE}, env, output), 0) << output;
    EXPECT_NE(output.find("run: no display; headless for 4000 ms"), std::string::npos) << output;
    EXPECT_TRUE(std::filesystem::exists(run / "last-frame.png")) << output;
    std::filesystem::remove(run / "last-frame.png");

    env["SDL_VIDEODRIVER"] = "dummy";
    env["SDL_AUDIODRIVER"] = "dummy";
    env["VQT_EXIT_AFTER_FRAMES"] = "";
    env["DISPLAY"] = ":999"; // the driver wins over a display
    ASSERT_EQ(Run("start-game", {TREE}, env, output), 0) << output;
    EXPECT_NE(output.find("run: SDL_VIDEODRIVER=dummy has no screen; for 4000 ms in a window no one sees"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("headless"), std::string::npos) << output;
    EXPECT_TRUE(std::filesystem::exists(run / "last-frame.png")) << output;
    EXPECT_NE(ReadFileBytes(run / "_VQT_RT.log").find("Installing special message translator for windowed mode"),
              std::string::npos);
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
    // The part file is named by the link the run keeps to it in its folder.
    EXPECT_NE(game.find("PARTFILE=partfile.vqk\n"), std::string::npos) << game;
    EXPECT_EQ(std::filesystem::read_symlink(run / "partfile.vqk"), env["PARTFILE"]);
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
    // tools/run builds (here nothing: the tree is this one, built) and asks the game for its lock.
    std::filesystem::create_directory_symlink(TREE, builds / "game");
    UseCmake("exit 0\n");
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


/// Two runs on one run folder, the second started some time after the first: one holds the lock
/// from its check on and runs to its end; the other is refused and leaves the folder as it was.
/// To see that while the winner writes the folder too, the winner is held stopped while the
/// other one runs (the first is stopped when the second starts; when it had no lock yet, the
/// second is stopped as soon as it holds the lock, and the first let go on).
TEST_F(StartScriptsTest, OfTwoRunsStartedTogetherOnOneFolderOneRunsAndTheOtherTouchesNothingThere) {
#if defined(VQT_ASAN)
    const int delaysMs[] = {0, 600}; // a sanitized game starts slowly: two spacings are enough there
#else
    const int delaysMs[] = {0, 100, 600, 1200};
#endif
    for (const int delayMs : delaysMs) {
        SCOPED_TRACE(std::to_string(delayMs) + " ms apart");
        const TempFolder folder;
        auto env = Environment();
        env["VQT_RUN_DIR"] = folder.path();
        env["VQT_EXIT_AFTER_MS"] = "1000";
        const std::string lock = locks / "Tollivar Fennmark Rovadu.lock";
        ScriptRun first(env), second(env);
        ASSERT_TRUE(first.process.Start());
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ASSERT_TRUE(first.process.WaitUntil([&] { return first.PidWritten(); }, kEndsWithinMs, 5));
        SignalTree(first.Pid(), SIGSTOP);
        ScriptRun* winner = &first;
        ScriptRun* refused = &second;
        std::map<std::string, std::string> before;
        if (LockHeld(lock)) {
            before = Snapshot(folder.path());
            ASSERT_TRUE(second.process.Start());
        } else {
            std::swap(winner, refused);
            ASSERT_TRUE(second.process.Start());
            ASSERT_TRUE(second.process.WaitUntil(
                [&] { return LockHeld(lock) && second.PidWritten(); }, kEndsWithinMs, 5))
                << second.process.Output();
            SignalTree(second.Pid(), SIGSTOP);
            before = Snapshot(folder.path());
            SignalTree(first.Pid(), SIGCONT);
        }
        EXPECT_EQ(refused->End(), 1) << refused->process.Output();
        EXPECT_NE(refused->process.Output().find("The game is already running for this user"), std::string::npos)
            << refused->process.Output();
        EXPECT_EQ(Snapshot(folder.path()), before) << refused->process.Output();
        SignalTree(winner->Pid(), SIGCONT);
        EXPECT_EQ(winner->End(), 0) << winner->process.Output();
        EXPECT_TRUE(std::filesystem::exists(folder / "last-frame.png")) << winner->process.Output();
    }
}

/// A second copy of the game, or of the bot program, refused by the lock of a game that runs
/// leaves the folder it was started in as it was: no trace log line, no save, no settings.
TEST_F(StartScriptsTest, ARefusedProgramTouchesNothingInItsFolder) {
    ASSERT_TRUE(vqt::test::CopyGeneratedData(run.path()));
    std::ofstream(run / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
    std::ofstream(run / "_VQT_RT.log") << "the running game's lines\r\n";
    auto env = Environment();
    std::string lock;
    ASSERT_EQ(RunIn(run.path(), {TLVGAME, "--lock-path"}, env, lock), 0) << lock;
    EXPECT_EQ(lock, locks / "Tollivar Fennmark Rovadu.lock\n");
    lock.pop_back();
    const int held = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const auto before = Snapshot(run.path());
    const std::string refusal = "is already running for this user (its lock " + lock + " is held";

    env["VQT_EXIT_AFTER_FRAMES"] = "3";
    std::string output;
    EXPECT_EQ(RunIn(run.path(), {TLVGAME}, env, output), 1) << output;
    EXPECT_NE(output.find(refusal), std::string::npos) << output;
    EXPECT_EQ(Snapshot(run.path()), before) << output;

    env["SDL_VIDEODRIVER"] = "dummy";
    env["SDL_AUDIODRIVER"] = "dummy";
    env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
    EXPECT_EQ(RunIn(run.path(), {TLVBOTVIEW, "circus-round", "--until-milestone"}, env, output), 1) << output;
    EXPECT_NE(output.find(refusal), std::string::npos) << output;
    EXPECT_EQ(Snapshot(run.path()), before) << output;
    ::close(held);
}

/// tools/test is the run CI makes: it sets CI (the test programs then fail a case that skips
/// itself) when the caller has not.
TEST_F(StartScriptsTest, ToolsTestRunsTheTestsAsCiDoes) {
    auto env = Environment();
    env["CI"] = "";
    std::string output;
    EXPECT_EQ(Run("test", {}, env, output), 3) << output;
    EXPECT_NE(output.find("build started (CI=true)"), std::string::npos) << output;
}

/// UTF-16 text as the message file keeps it, without the last character's high byte (a text may
/// end the file's record there).
std::string Utf16(const std::string& text) {
    std::string bytes;
    for (const char c : text) bytes += {c, '\0'};
    bytes.pop_back();
    return bytes;
}

/// Copies the generated data into the folder with a message file that names the product
/// otherwise (its last letter changed), as a user's own data or another release may.
bool CopyDataNamingTheProductOtherwise(const std::string& folder) {
    if (!vqt::test::CopyGeneratedData(folder)) return false;
    const std::string messages = folder + "/VQTMsg.vqk";
    std::string bytes = ReadFileBytes(messages);
    const std::string own = Utf16("Tollivar Fennmark Rovadu"), other = Utf16("Tollivar Fennmark Rovadx");
    size_t renamed = 0;
    for (size_t at = bytes.find(own); at != std::string::npos; at = bytes.find(own, at + own.size()), ++renamed)
        bytes.replace(at, own.size(), other);
    std::ofstream(messages, std::ios::binary | std::ios::trunc) << bytes;
    return renamed == 6; // every text that names it
}

/// A game started by tools/start-game on data whose message file names the product otherwise, in
/// a window and headless: it holds the one lock that `--lock-path` names, and no other; a second
/// run on its run folder is refused having changed nothing there.
TEST_F(StartScriptsTest, AMessageFileNamingTheProductOtherwiseKeepsTheGameLockAndHoldsItsOwnAsWell) {
    const TempFolder data;
    ASSERT_TRUE(CopyDataNamingTheProductOtherwise(data.path()));
    for (const bool window : {false, true}) {
        SCOPED_TRACE(window ? "in a window" : "headless");
        if (window && !vqt::test::HaveVirtualScreen()) GTEST_SKIP() << "Xvfb is not installed";
        const TempFolder folder, screen, ownLocks;
        auto env = Environment();
        env["XDG_RUNTIME_DIR"] = ownLocks.path();
        env["PARTFILE"] = data / vqt::test::kGeneratedPartFile;
        env["VQT_RUN_DIR"] = folder.path();
        env["VQT_EXIT_AFTER_MS"] = "600000"; // ended by the test
        Subprocess xvfb(screen / "xvfb.sh", screen.path(), {});
        if (window) {
            env["DISPLAY"] = vqt::test::StartVirtualScreen(xvfb, screen.path());
            ASSERT_FALSE(env["DISPLAY"].empty()) << "the virtual X server did not start";
            env["SDL_AUDIODRIVER"] = "dummy";
            env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
        }
        std::string lock;
        ASSERT_EQ(RunIn(folder.path(), {TLVGAME, "--lock-path"}, env, lock), 0) << lock;
        lock.pop_back();
        ScriptRun first(env);
        ASSERT_TRUE(first.process.Start());
        // Past the engine's start-up, which asks for the lock by the data's product name.
        ASSERT_TRUE(first.process.WaitUntil(
            [&] {
                return first.PidWritten() &&
                       ReadFileBytes(folder / "_VQT_RT.log").find("OWindow constructed") != std::string::npos;
            },
            kEndsWithinMs))
            << first.process.Output();
        EXPECT_TRUE(LockHeld(lock)) << first.process.Output();
        // The start-up's lock by the data's product name is really taken too.
        const std::string productLock = "Tollivar Fennmark Rovadx.lock";
        EXPECT_EQ(Listing(ownLocks.path()), (std::set<std::string>{std::filesystem::path(lock).filename(), productLock}));
        EXPECT_TRUE(LockHeld(ownLocks / productLock)) << first.process.Output();

        // The running game is held stopped, so that what changes in the folder is the second's.
        SignalTree(first.Pid(), SIGSTOP);
        const auto before = Snapshot(folder.path());
        std::string output;
        EXPECT_EQ(Run("start-game", {TREE}, env, output), 1) << output;
        EXPECT_NE(output.find("The game is already running for this user (its lock " + lock + " is held)"),
                  std::string::npos)
            << output;
        EXPECT_EQ(Snapshot(folder.path()), before) << output;
    }
}


/// Two tools/run on one run folder and a tree that needs a relink, started up to 0.2 s apart:
/// the second waits for the first's build; one plays to its end and the other is refused by the
/// game's lock or plays after it. Neither meets a program half built or a false cause.
TEST_F(StartScriptsTest, TwoRunsOnATreeThatNeedsARelinkBuildItInTurn) {
    UseCmake(RelinkingCmake());
    auto env = Environment();
    env["VQT_EXIT_AFTER_MS"] = "300";
    for (const int delayMs : {0, 50, 100, 200}) {
        SCOPED_TRACE(std::to_string(delayMs) + " ms apart");
        const TempFolder firstFolder, secondFolder;
        Subprocess first(Script("run"), firstFolder.path(), env), second(Script("run"), secondFolder.path(), env);
        ASSERT_TRUE(first.Start());
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ASSERT_TRUE(second.Start());
        int played = 0;
        for (Subprocess* run : {&first, &second}) {
            ASSERT_TRUE(run->Wait(kEndsWithinMs)) << run->Output();
            const std::string output = run->Output();
            if (run->ExitCode() == 0) {
                ++played;
                EXPECT_NE(output.find("run: the last frame is in"), std::string::npos) << output;
            } else {
                EXPECT_EQ(run->ExitCode(), 1) << output;
                EXPECT_NE(output.find("The game is already running for this user"), std::string::npos) << output;
            }
            for (const char* fault : {"not a build tree", "No such file", "Text file busy", "not found"})
                EXPECT_EQ(output.find(fault), std::string::npos) << output;
        }
        EXPECT_GE(played, 1);
    }
}

/// A tree built by an earlier version, whose programs know no `--lock-path`: the old game starts
/// itself whatever it is asked, the old bot program prints its usage. tools/run asks them
/// nothing: it builds, then plays the new ones.
TEST_F(StartScriptsTest, ATreeOfOlderProgramsIsBuiltBeforeAnyProgramIsAsked) {
    UseCmake(RelinkingCmake());
    const std::string ran = run / "old-game-ran";
    for (const char* bot : {"", "circus-race"}) {
        SCOPED_TRACE(*bot ? bot : "the game");
        const std::string tree = builds / (*bot ? "botview" : "game");
        std::filesystem::create_directories(tree + "/game/shell");
        std::filesystem::create_directories(tree + "/tests/support/botview");
        std::filesystem::create_directories(tree + "/tools");
        std::ofstream(tree + "/CMakeCache.txt") << "";
        std::ofstream(tree + "/game/shell/tlvgame") << "#!/bin/sh\necho old game started >&2\ntouch " << ShellQuoted(ran) << "\n";
        std::ofstream(tree + "/tests/support/botview/tlvbotview") << "#!/bin/sh\necho 'usage: tlvbotview <bot>' >&2\nexit 2\n";
        std::ofstream(tree + "/tools/synthetic_partfile") << "#!/bin/sh\nexit 0\n";
        for (const char* program : {"/game/shell/tlvgame", "/tests/support/botview/tlvbotview", "/tools/synthetic_partfile"})
            std::filesystem::permissions(tree + program, std::filesystem::perms::owner_all);
        auto env = Environment();
        env["VQT_BOT"] = bot;
        env["VQT_EXIT_AFTER_FRAMES"] = "30";
        env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
        std::string output;
        const int code = Run("run", {}, env, output);
        EXPECT_NE(output.find("built " + tree), std::string::npos) << output;
        EXPECT_EQ(output.find("old game started"), std::string::npos) << output;
        EXPECT_EQ(output.find("usage: tlvbotview"), std::string::npos) << output;
        if (*bot) {
            // Stopped after 30 frames, the bot has not reached its game: the program says so.
            EXPECT_NE(output.find("tlvbotview: circus-race: activities"), std::string::npos) << output;
        } else {
            EXPECT_EQ(code, 0) << output;
            EXPECT_NE(output.find("run: the last frame is in"), std::string::npos) << output;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(ran));
}

/// However a script is started (by sh, through a link of its own, with a CDPATH that holds "."),
/// it runs from its own repository: tools/run and tools/start-game play to the end of a run,
/// tools/test and tools/fuzz say their usage.
TEST_F(StartScriptsTest, AScriptRunsHoweverItIsStarted) {
    UseCmake(RelinkingCmake());
    const TempFolder links;
    const struct {
        const char* script;
        std::vector<std::string> arguments;
        bool plays;
    } scripts[] = {{"run", {}, true}, {"start-game", {TREE}, true}, {"test", {"--help"}, false}, {"fuzz", {"--help"}, false}};
    for (const auto& s : scripts) {
        std::filesystem::create_symlink(Script(s.script), links / s.script);
        const struct {
            const char* name;
            std::string folder;
            std::vector<std::string> command;
            std::string cdpath;
        } ways[] = {
            {"by sh", SOURCE_ROOT, {"/bin/sh", std::string("tools/") + s.script}, ""},
            {"through a link", links.path(), {links / s.script}, ""},
            {"with a CDPATH that holds '.'", SOURCE_ROOT, {std::string("tools/") + s.script}, ".:/"},
        };
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(s.script) + " " + way.name);
            auto env = Environment();
            env["CDPATH"] = way.cdpath;
            env["VQT_EXIT_AFTER_FRAMES"] = "3";
            std::vector<std::string> command = way.command;
            command.insert(command.end(), s.arguments.begin(), s.arguments.end());
            std::string output;
            EXPECT_EQ(RunIn(way.folder, command, env, output), 0) << output;
            EXPECT_NE(output.find(s.plays ? "run: the last frame is in " + run.path() : "usage: "), std::string::npos) << output;
        }
    }
}

/// SDL's drivers without a screen (dummy, offscreen) make a run without a screen whatever display
/// is named beside them: the game's is timed and keeps its last frame, the bot's lasts until it
/// reached its game. Stand-ins for the programs say how they were started.
TEST_F(StartScriptsTest, ADriverWithoutAScreenRunsTheGameAndTheBotWithoutOne) {
    const TempFolder tree;
    const std::string standIn =
        "#!/bin/sh\n"
        "lock=\"$XDG_RUNTIME_DIR/stand-in.lock\"\n"
        "if [ \"$1\" = --lock-path ]; then : >>\"$lock\"; echo \"$lock\"; exit 0; fi\n"
        "echo \"started: $* (SDL_VIDEODRIVER=$SDL_VIDEODRIVER VQT_EXIT_AFTER_MS=${VQT_EXIT_AFTER_MS-unset})\"\n";
    std::ofstream(tree / "CMakeCache.txt") << "";
    for (const char* program : {"game/shell/tlvgame", "tests/support/botview/tlvbotview", "tools/synthetic_partfile"}) {
        std::filesystem::create_directories(std::filesystem::path(tree / program).parent_path());
        std::ofstream(tree / program) << standIn;
        std::filesystem::permissions(tree / program, std::filesystem::perms::owner_all);
    }
    const struct {
        const char* driver;
        const char* bot;
        std::string says;
    } cases[] = {
        {"dummy", "", "started:  (SDL_VIDEODRIVER=dummy VQT_EXIT_AFTER_MS=4000)"},
        {"offscreen", "", "started:  (SDL_VIDEODRIVER=offscreen VQT_EXIT_AFTER_MS=4000)"},
        {"dummy", "circus-race", "started: circus-race --until-milestone (SDL_VIDEODRIVER=dummy "},
        {"offscreen", "circus-race", "started: circus-race --until-milestone (SDL_VIDEODRIVER=offscreen "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.driver) + " " + c.bot);
        auto env = Environment();
        env["SDL_VIDEODRIVER"] = c.driver;
        env["DISPLAY"] = ":999";
        env["VQT_BOT"] = c.bot;
        std::string output;
        EXPECT_EQ(Run("start-game", {tree.path()}, env, output), 0) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
    }
}

} // namespace
