// The locks of a run: a run folder in use is refused to a second game whatever lock folder its
// start's environment chooses; the build lock lasts until the programs a run needs have started,
// is let go by the game once it runs, and is kept by nothing the build starts; what a launcher
// hands over that is no held build lock ends the program as a wrong setting; a builds' folder
// whose tree or lock is broken is refused naming VQT_BUILD_DIR.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/GeneratedData.h"
#include "tests/tools/run/ScriptTestKit.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::Subprocess;
using vqt::test::TempFolder;
using namespace vqt::test::scripts;

namespace fs = std::filesystem;

/// Whether the game in the run folder has started: its trace log says its window was made.
bool GameRunsIn(const std::string& folder) {
    return ReadFileBytes(folder + "/_VQT_RT.log").find("OWindow constructed") != std::string::npos;
}

TEST_F(StartScriptsTest, ARunFolderInUseIsRefusedWhateverLockFolderEachStartSees) {
    auto env = Environment();
    env["VQT_EXIT_AFTER_MS"] = "600000"; // ended by the test
    ScriptRun first(env);
    ASSERT_TRUE(first.process.Start());
    ASSERT_TRUE(first.process.WaitUntil([&] { return first.PidWritten() && GameRunsIn(run.path()); }, kEndsWithinMs))
        << first.process.Output();
    // The running game is held stopped, so that what changes in the folder is the second's.
    SignalTree(first.Pid(), SIGSTOP);
    const auto before = Snapshot(run.path());
    const TempFolder otherLocks, otherTemp;
    const std::map<std::string, std::string> environments[] = {
        {{"XDG_RUNTIME_DIR", otherLocks.path()}},        // another session folder
        {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", otherTemp.path()}}, // none, as under sudo or cron
    };
    for (const auto& differing : environments) {
        SCOPED_TRACE("XDG_RUNTIME_DIR=\"" + differing.at("XDG_RUNTIME_DIR") + "\"");
        auto second = env;
        second["VQT_EXIT_AFTER_MS"] = "1000"; // a second game that plays ends soon
        for (const auto& [name, value] : differing) second[name] = value;
        std::string output;
        EXPECT_EQ(Run("start-game", {TREE}, second, output), 1) << output;
        EXPECT_NE(output.find("A game already plays in the run folder " + run.path() + " (its lock " + run.path() +
                              "/.run-lock is held)"),
                  std::string::npos)
            << output;
        EXPECT_EQ(Snapshot(run.path()), before) << output;
    }
    first.Kill();
}

/// Two runs of tools/run on one tree, through a "cmake" that relinks: the first run's build lock
/// is held while its data tool runs and let go once its game (or bot) runs; nothing its build
/// started keeps it, so a second run builds at once and is refused by the game's lock.
TEST_F(StartScriptsTest, TheBuildLockLastsUntilTheGameRunsAndNothingTheBuildStartsKeepsIt) {
    // The data tool says when it finds the lock free; the build leaves a process behind, and says
    // whether it was given the lock.
    const std::string lockOf = "\"$VQT_BUILD_DIR/$TREE_NAME/.build-lock\"";
    std::ofstream(tools / "data-tool") << "#!/bin/sh\n"
                                          "flock -n " << lockOf << " true && echo 'the data tool ran without the build lock' >&2\n"
                                          "exec " << ShellQuoted(std::string(TREE) + "/tools/synthetic_partfile") << " \"$@\"\n";
    fs::permissions(tools / "data-tool", fs::perms::owner_all);
    const std::string outliving = tools / "outliving.pid";
    UseCmake(RelinkingCmake("    [ ! -e /proc/$$/fd/8 ] || echo 'the build was given the build lock' >&2\n"
                            "    sleep 600 </dev/null >/dev/null 2>&1 & echo $! >> " + ShellQuoted(outliving) + "\n",
                            tools / "data-tool"));
    for (const char* bot : {"", "circus-race"}) {
        SCOPED_TRACE(*bot ? bot : "the game");
        const std::string treeName = *bot ? "botview" : "game";
        const std::string lock = builds / treeName + "/.build-lock";
        auto env = Environment();
        env["VQT_BOT"] = bot;
        env["TREE_NAME"] = treeName;
        env["VQT_EXIT_AFTER_MS"] = "600000"; // ended by the test
        env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
        ScriptRun first(env, true);
        ASSERT_TRUE(first.process.Start());
        ASSERT_TRUE(first.process.WaitUntil([&] { return first.PidWritten() && GameRunsIn(run.path()); }, kEndsWithinMs))
            << first.process.Output();
        // A lock still held would keep the second run waiting for good: it is not started then.
        const bool letGo = !LockHeld(lock);
        EXPECT_TRUE(letGo) << "the build lock is held while the game runs: " << first.process.Output();
        std::string output;
        if (letGo) {
            EXPECT_EQ(Run("run", {}, env, output), 1) << output;
            EXPECT_EQ(output.find("another run builds"), std::string::npos) << output;
            EXPECT_NE(output.find("The game is already running for this user"), std::string::npos) << output;
        }
        first.Kill();
        for (const std::string& said : {first.process.Output(), output})
            for (const char* fault : {"the data tool ran without the build lock", "the build was given the build lock"})
                EXPECT_EQ(said.find(fault), std::string::npos) << said;
        fs::remove(run / "_VQT_RT.log");
    }
    std::ifstream pids(outliving);
    for (pid_t pid = 0; pids >> pid;) ::kill(pid, SIGKILL);
}

/// What a launcher hands over as VQT_BUILD_LOCK_FD must be an open build tree's lock that holds
/// its lock: the program lets it go and runs. Anything else ends it at once as a wrong setting,
/// naming the variable, having touched nothing in its folder.
TEST_F(StartScriptsTest, ABuildLockHandedOverThatIsNoHeldBuildLockEndsTheProgramAsAWrongSetting) {
    ASSERT_TRUE(vqt::test::CopyGeneratedData(run.path()));
    std::ofstream(run / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
    const TempFolder tree;
    const std::string buildLock = tree / ".build-lock", other = tree / "other";
    std::ofstream(buildLock) << "";
    std::ofstream(other) << "";
    auto env = Environment();
    env["VQT_EXIT_AFTER_FRAMES"] = "3";
    env["SDL_AUDIODRIVER"] = "dummy";
    env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
    struct Case {
        const char* name;
        const char* handed;
        std::string opened; ///< opened as descriptor 7 for the program; empty: nothing
        bool locked;        ///< whether descriptor 7 holds its lock
        int exitCode;
        std::string says;
    };
    const Case cases[] = {
        {"not a number", "abc", "", false, 2, "VQT_BUILD_LOCK_FD=\"abc\" is not an open file"},
        {"a closed descriptor", "7", "", false, 2, "VQT_BUILD_LOCK_FD=\"7\" is not an open file"},
        {"another file, locked", "7", other, true, 2, "VQT_BUILD_LOCK_FD=\"7\" is not a build tree's lock .build-lock"},
        {"a build lock locked by no one", "7", buildLock, false, 2, "VQT_BUILD_LOCK_FD=\"7\" does not hold the lock " + buildLock},
        {"a held build lock", "7", buildLock, true, 0, ""},
    };
    for (const char* program : {TLVGAME, TLVBOTVIEW}) {
        const bool bot = program == std::string(TLVBOTVIEW);
        env["SDL_VIDEODRIVER"] = bot ? "dummy" : "";
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(bot ? "the bot program: " : "the game: ") + c.name);
            if (bot && c.exitCode == 0) continue; // the bot program plays until its milestone
            const auto before = Snapshot(run.path());
            env["VQT_BUILD_LOCK_FD"] = c.handed;
            const std::string open = c.opened.empty() ? "" : c.locked ? "exec 7>>\"$1\" && flock 7 && " : "exec 7>>\"$1\" && ";
            std::vector<std::string> command = {"/bin/sh", "-c", open + "exec \"$0\" $2", program, c.opened,
                                                bot ? "circus-race" : ""};
            std::string output;
            EXPECT_EQ(RunIn(run.path(), command, env, output), c.exitCode) << output;
            if (c.exitCode == 0) continue;
            EXPECT_NE(output.find(c.says), std::string::npos) << output;
            EXPECT_EQ(Snapshot(run.path()), before) << output;
        }
    }
}

/// Whether this test runs as the superuser, who may write to any folder.
bool Superuser() { return ::geteuid() == 0; }

TEST_F(StartScriptsTest, ABrokenBuildTreeIsRefusedNamingTheBuildsFolder) {
    struct Case {
        const char* name;
        std::function<void(const std::string& builds)> breaks;
        bool anotherUser;
        std::string says;
    };
    const Case cases[] = {
        {"the tree is a file", [](const std::string& b) { std::ofstream(b + "/game") << ""; }, false,
         "its build tree {}/game is not a folder"},
        {"the tree's lock is a folder", [](const std::string& b) { fs::create_directories(b + "/game/.build-lock"); },
         false, "its build tree's lock {}/game/.build-lock is not a file"},
        {"the tree is another user's",
         [](const std::string& b) {
             fs::create_directories(b + "/game");
             fs::permissions(b, fs::perms::all);
             if (!Superuser()) fs::permissions(b + "/game", fs::perms::owner_read | fs::perms::owner_exec);
         },
         true, "this user cannot write to its build tree {}/game"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        c.breaks(folder.path());
        auto env = Environment();
        env["VQT_BUILD_DIR"] = folder.path();
        env["VQT_RUN_DIR"] = ""; // in the tree, where the build never gets
        std::string says = c.says;
        says.replace(says.find("{}"), 2, folder.path());
        std::string output;
        int code = 0;
        if (c.anotherUser && Superuser()) {
            // The superuser writes anywhere: the script runs as a user of no rights.
            code = RunIn(SOURCE_ROOT, {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", Script("run")},
                         env, output);
        } else {
            code = Run("run", {}, env, output);
        }
        EXPECT_EQ(code, 2) << output;
        EXPECT_NE(output.find("VQT_BUILD_DIR=\"" + folder.path() + "\": " + says), std::string::npos) << output;
        EXPECT_EQ(output.find("line "), std::string::npos) << output;
        EXPECT_EQ(output.find("build started"), std::string::npos) << output;
        if (!Superuser() && c.anotherUser) fs::permissions(folder / "game", fs::perms::owner_all);
    }
}

} // namespace
