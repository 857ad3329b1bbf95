// The locks of a run, each held by the scripts on a descriptor of its own and handed to the program
// alone: a run folder in use is refused to a second game, started by a script or by hand, whatever
// lock folder each start's environment chooses; the build lock lasts until the program runs, is
// let go by it, and is kept by nothing the build starts; what is handed over that is no held build
// lock is refused by tools/start-game and by the programs as a wrong setting; the lock files are
// opened for writing where the user may, and never through a link; a lock that cannot be taken is
// told as what it is; a builds' folder whose tree or lock is broken is refused naming
// VQT_BUILD_DIR.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/GeneratedData.h"
#include "tests/tools/run/ScriptTestKit.h"

namespace {

using vqt::test::ReadFileBytes;
using vqt::test::TempFolder;
using namespace vqt::test::scripts;

namespace fs = std::filesystem;

/// Whether the game in the run folder has started: its trace log says its window was made.
bool GameRunsIn(const std::string& folder) {
    return ReadFileBytes(folder + "/_VQT_RT.log").find("OWindow constructed") != std::string::npos;
}

/// Whether this test runs as the superuser, who may write to any folder.
bool Superuser() { return ::geteuid() == 0; }

/// The user of no rights the superuser runs a script as, to be another user.
constexpr uid_t kNobody = 65534;

/// The command that runs a script as another user when the test is the superuser.
std::vector<std::string> AsAnotherUser(std::vector<std::string> command) {
    if (Superuser())
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    return command;
}

/// What the run folder holds for a game started by hand: the generated data and the settings
/// that name it, with a trace log.
bool PrepareRunFolder(const std::string& folder) {
    if (!vqt::test::CopyGeneratedData(folder, "synthetic.vqk")) return false;
    std::ofstream(folder + "/VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
    std::ofstream(folder + "/TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=synthetic.vqk\n";
    return true;
}

/// The ways a game is started on a run folder: tools/start-game, tools/run (on this tree, built),
/// or the program by hand in the folder.
enum class Starter { StartGame, Run, ByHand };

const char* Named(Starter starter) {
    return starter == Starter::StartGame ? "tools/start-game" : starter == Starter::Run ? "tools/run" : "by hand";
}

/// A game plays in a run folder, started by a script or by hand, and is held stopped; a second,
/// started each way with another lock folder (so that the game's own lock lets it pass), is
/// refused by the run folder's lock having changed nothing there.
TEST_F(StartScriptsTest, ARunFolderInUseIsRefusedWhateverLockFolderEachStartSees) {
    // tools/run builds nothing: its tree is this one, built.
    fs::create_directory_symlink(TREE, builds / "game");
    UseCmake("exit 0\n");
    const TempFolder otherLocks, otherTemp;
    const std::map<std::string, std::string> environments[] = {
        {{"XDG_RUNTIME_DIR", otherLocks.path()}},                // another session folder
        {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", otherTemp.path()}}, // none, as under sudo or cron
    };
    for (const Starter playing : {Starter::StartGame, Starter::ByHand}) {
        SCOPED_TRACE(std::string("playing: ") + Named(playing));
        const TempFolder folder;
        auto env = Environment();
        env["VQT_RUN_DIR"] = folder.path();
        env["VQT_EXIT_AFTER_MS"] = "600000"; // ended by the test
        if (playing == Starter::ByHand) {
            ASSERT_TRUE(PrepareRunFolder(folder.path()));
        }
        ScriptRun first = playing == Starter::ByHand ? ScriptRun(env, TLVGAME, folder.path()) : ScriptRun(env);
        ASSERT_TRUE(first.process.Start());
        ASSERT_TRUE(first.process.WaitUntil([&] { return first.PidWritten() && GameRunsIn(folder.path()); }, kEndsWithinMs))
            << first.process.Output();
        // The running game is held stopped, so that what changes in the folder is the second's.
        SignalTree(first.Pid(), SIGSTOP);
        const auto before = Snapshot(folder.path());
        for (const Starter second : {Starter::StartGame, Starter::Run, Starter::ByHand}) {
            for (const auto& differing : environments) {
                SCOPED_TRACE(std::string("second: ") + Named(second) + ", XDG_RUNTIME_DIR=\"" +
                             differing.at("XDG_RUNTIME_DIR") + "\"");
                auto secondEnv = env;
                secondEnv["VQT_EXIT_AFTER_MS"] = "1000"; // a second game that plays ends soon
                for (const auto& [name, value] : differing) secondEnv[name] = value;
                std::string output;
                const int code = second == Starter::StartGame ? Run("start-game", {TREE}, secondEnv, output)
                                 : second == Starter::Run     ? Run("run", {}, secondEnv, output)
                                                              : RunIn(folder.path(), {TLVGAME}, secondEnv, output);
                EXPECT_EQ(code, 1) << output;
                EXPECT_NE(output.find("A game already plays in the run folder " + folder.path() + " (its lock " +
                                      folder.path() + "/.run-lock is held)"),
                          std::string::npos)
                    << output;
                EXPECT_EQ(Snapshot(folder.path()), before) << output;
            }
        }
        first.Kill();
    }
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
        env["VQT_EXIT_AFTER_MS"] = *bot ? "" : "600000"; // the game ended by the test; a bot plays on
        env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
        ScriptRun first(env, true);
        ASSERT_TRUE(first.process.Start());
        ASSERT_TRUE(first.process.WaitUntil([&] { return first.PidWritten() && GameRunsIn(run.path()); }, kEndsWithinMs))
            << first.process.Output();
        // Held stopped while it plays, holding its locks.
        SignalTree(first.Pid(), SIGSTOP);
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

/// The stand-ins of what the scripts start, each writing a line of what it was given to the file
/// REPORT: the lock variables, and of each of the descriptors 7, 8 and 9 it has open the file,
/// whether it is open for writing and whether it holds an flock.
void WriteStandIns(const TempFolder& tools) {
    const std::map<std::string, std::string> scripts = {
        {"report",
         "line=\"$1 VQT_LOCK_FD=${VQT_LOCK_FD:-unset} VQT_RUN_LOCK_FD=${VQT_RUN_LOCK_FD:-unset}"
         " VQT_BUILD_LOCK_FD=${VQT_BUILD_LOCK_FD:-unset}\"\n"
         "for fd in 7 8 9; do\n"
         "    [ -e /proc/$2/fd/$fd ] || continue\n"
         "    case \"$(sed -n 's/^flags:[[:space:]]*//p' /proc/$2/fdinfo/$fd)\" in\n"
         "    *[04]) access=read-only ;;\n"
         "    *) access=writable ;;\n"
         "    esac\n"
         "    if grep -q '^lock:.* FLOCK ' /proc/$2/fdinfo/$fd; then held=locked; else held=free; fi\n"
         "    line=\"$line fd$fd=$(readlink /proc/$2/fd/$fd),$access,$held\"\n"
         "done\n"
         "echo \"$line\" >> \"$REPORT\"\n"},
        {"cmake",
         "case \"$1\" in\n"
         "-S) \"$STAND_INS/report\" configure $$ && mkdir -p \"$4\" && touch \"$4/CMakeCache.txt\" ;;\n"
         "--build)\n"
         "    \"$STAND_INS/report\" build $$ && cd \"$2\" && mkdir -p game/shell tests/support/botview tools\n"
         "    ln -sf \"$STAND_INS/program\" game/shell/tlvgame\n"
         "    ln -sf \"$STAND_INS/program\" tests/support/botview/tlvbotview\n"
         "    ln -sf \"$STAND_INS/data-tool\" tools/synthetic_partfile ;;\n"
         "esac\n"},
        {"dpkg-query", "\"$STAND_INS/report\" package-step $$\nprintf 'install ok installed'\n"},
        {"program",
         "if [ \"$1\" = --lock-path ]; then\n"
         "    \"$STAND_INS/report\" lock-path $$\n"
         "    echo \"$XDG_RUNTIME_DIR/stand-in.lock\"\n"
         "    exit 0\n"
         "fi\n"
         "\"$STAND_INS/report\" program $$\n"},
        {"data-tool", "\"$STAND_INS/report\" data-tool $$\n: > \"$1\"\n"},
    };
    for (const auto& [name, lines] : scripts) {
        std::ofstream(tools / name) << "#!/bin/sh\n" << lines;
        fs::permissions(tools / name, fs::perms::owner_all);
    }
}

/// Every program the scripts start, through stand-ins that say what they were given: the game's
/// program gets each lock the script holds, on its descriptor, named by its variable, opened for
/// writing and locked, in a window and without one; nothing else the scripts start (the package
/// step, the configure and the build, `--lock-path`, the data tool) gets any.
TEST_F(StartScriptsTest, TheProgramIsHandedEveryLockAndNothingElseTheScriptsStartIsHandedAny) {
    WriteStandIns(tools);
    const std::string report = tools / "report.txt";
    struct Case {
        const char* name;
        const char* script;
        const char* bot;
        const char* display;
    };
    // The runs of tools/start-game start the tree the first run of tools/run made.
    const Case cases[] = {
        {"tools/run, the game in a window", "run", "", ":1"},
        {"tools/run, the bot in a window", "run", "circus-race", ":1"},
        {"tools/run, the game headless", "run", "", ""},
        {"tools/run, the bot without a screen", "run", "circus-race", ""},
        {"tools/start-game, the game in a window", "start-game", "", ":1"},
        {"tools/start-game, the game headless", "start-game", "", ""},
    };
    const std::string none = " VQT_LOCK_FD=unset VQT_RUN_LOCK_FD=unset VQT_BUILD_LOCK_FD=unset";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(report);
        auto env = Environment();
        env["STAND_INS"] = tools.path();
        env["REPORT"] = report;
        env["VQT_BOT"] = c.bot;
        env["DISPLAY"] = c.display;
        const bool built = c.script == std::string("run");
        const std::string tree = builds / (*c.bot ? "botview" : "game");
        std::string output;
        EXPECT_EQ(Run(c.script, built ? std::vector<std::string>{} : std::vector<std::string>{tree}, env, output), 0)
            << output;
        std::map<std::string, std::set<std::string>> given; // the package step asks once a package
        std::istringstream lines(ReadFileBytes(report));
        for (std::string line; std::getline(lines, line);) given[line.substr(0, line.find(' '))].insert(line);
        std::map<std::string, std::set<std::string>> expected = {{"lock-path", {"lock-path" + none}},
                                                                 {"data-tool", {"data-tool" + none}}};
        if (built)
            for (const char* step : {"package-step", "configure", "build"}) expected[step] = {step + none};
        expected["program"] = {std::string("program VQT_LOCK_FD=9 VQT_RUN_LOCK_FD=7 VQT_BUILD_LOCK_FD=") +
                              (built ? "8" : "unset") + " fd7=" + run.path() + "/.run-lock,writable,locked" +
                              (built ? " fd8=" + tree + "/.build-lock,writable,locked" : "") + " fd9=" + locks.path() +
                              "/stand-in.lock,writable,locked"};
        EXPECT_EQ(given, expected) << output;
    }
}

/// What tools/run hands tools/start-game as VQT_BUILD_LOCK_FD must be the held lock of the tree to
/// start: start-game checks it before it touches anything (the program's own check is its test's),
/// so one left in the environment of a start by hand ends it at once as a wrong setting, naming the
/// variable, with nothing touched in the run folder nor in the lock folder; the held one plays.
TEST_F(StartScriptsTest, ABuildLockHandedToStartGameThatIsNoHeldBuildLockOfItsTreeIsRefusedFirst) {
    ASSERT_TRUE(vqt::test::CopyGeneratedData(run.path()));
    std::ofstream(run / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
    // A build tree of this tree's programs, with its lock.
    const TempFolder tree;
    std::ofstream(tree / "CMakeCache.txt") << "";
    for (const auto& [program, built] : std::map<std::string, std::string>{
             {"game/shell/tlvgame", TLVGAME}, {"tools/synthetic_partfile", std::string(TREE) + "/tools/synthetic_partfile"}}) {
        fs::create_directories(fs::path(tree / program).parent_path());
        fs::create_symlink(built, tree / program);
    }
    const std::string buildLock = tree / ".build-lock", other = tree / "other";
    std::ofstream(buildLock) << "";
    std::ofstream(other) << "";
    auto env = Environment();
    env["VQT_EXIT_AFTER_FRAMES"] = "3";
    struct Case {
        const char* name;
        const char* handed;
        std::string opened; ///< opened as descriptor 7 for start-game; empty: nothing
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = Snapshot(run.path());
        const auto locksBefore = Snapshot(locks.path());
        env["VQT_BUILD_LOCK_FD"] = c.handed;
        const std::string open = c.opened.empty() ? "" : c.locked ? "exec 7>>\"$1\" && flock 7 && " : "exec 7>>\"$1\" && ";
        std::vector<std::string> command = {"/bin/sh", "-c", open + "exec \"$0\" \"$2\"", Script("start-game"), c.opened,
                                            tree.path()};
        std::string output;
        EXPECT_EQ(RunIn(run.path(), command, env, output), c.exitCode) << output;
        if (c.exitCode == 0) continue;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
        EXPECT_EQ(Snapshot(run.path()), before) << output;
        EXPECT_EQ(Snapshot(locks.path()), locksBefore) << output;
    }
}

/// A "flock" that fails on the descriptor as over a file system without locks.
void WriteFailingFlock(const TempFolder& tools, const char* descriptor) {
    std::ofstream(tools / "flock") << "#!/bin/sh\n"
                                      "case \" $* \" in *\" " << descriptor << " \"*) echo \"flock: " << descriptor
                                   << ": No locks available\" >&2; exit 71 ;; esac\n"
                                      "exec /usr/bin/flock \"$@\"\n";
    fs::permissions(tools / "flock", fs::perms::owner_all);
}

/// A lock the scripts cannot take is told as what it is, not as a game that plays: a run folder's
/// lock that is a link (followed to nothing, nor to a file) or no file, and a lock whose flock
/// fails for another cause than a holder (a "flock" that fails as over a file system without
/// locks). Nothing is made where a link points, and the game's lock is let go.
TEST_F(StartScriptsTest, ALockThatCannotBeTakenIsToldAsWhatItIs) {
    const TempFolder elsewhere;
    std::ofstream(elsewhere / "a-file") << "kept\n";
    const std::string runLock = run / ".run-lock", gameLock = locks / "Tollivar Fennmark Rovadu.lock";
    const auto failingFlock = [&](const char* descriptor) { WriteFailingFlock(tools, descriptor); };
    struct Case {
        const char* name;
        std::function<void()> breaks;
        std::string says;
    };
    const std::string shown = "VQT_RUN_DIR=\"" + run.path() + "\": ";
    const Case cases[] = {
        {"the run folder's lock a link to nothing", [&] { fs::create_symlink(elsewhere / "made-through-the-link", runLock); },
         shown + "the run folder's lock " + runLock + " is a symbolic link"},
        {"the run folder's lock a link to a file", [&] { fs::create_symlink(elsewhere / "a-file", runLock); },
         shown + "the run folder's lock " + runLock + " is a symbolic link"},
        {"the run folder's lock a fifo", [&] { ASSERT_EQ(::mkfifo(runLock.c_str(), 0600), 0); },
         shown + "the run folder's lock " + runLock + " is not a file"},
        {"the run folder's lock a folder", [&] { fs::create_directory(runLock); },
         shown + "the run folder's lock " + runLock + " is not a file"},
        {"the run folder's lock cannot be locked",
         [&] {
             std::ofstream(runLock) << "";
             failingFlock("7");
         },
         shown + "the run folder's lock: cannot lock " + runLock + ": No locks available"},
        {"the game's lock cannot be locked", [&] { failingFlock("9"); },
         "The game's lock: cannot lock " + gameLock + ": No locks available"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.breaks();
        const auto before = Snapshot(run.path());
        auto env = Environment();
        env["VQT_EXIT_AFTER_FRAMES"] = "3";
        std::string output;
        EXPECT_EQ(Run("start-game", {TREE}, env, output), 2) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
        EXPECT_EQ(output.find("already"), std::string::npos) << output;
        EXPECT_EQ(Snapshot(run.path()), before) << output;
        EXPECT_EQ(Listing(elsewhere.path()), std::set<std::string>{"a-file"});
        EXPECT_EQ(ReadFileBytes(elsewhere / "a-file"), "kept\n");
        fs::remove_all(runLock);
        fs::remove(tools / "flock");
    }
}

/// A run folder shared with another user, whose game made its lock there: this user may not open
/// it for writing, so it is opened read-only, which still sees the other's game. (The superuser
/// may write any file: the script then runs as another user.)
TEST_F(StartScriptsTest, AnotherUsersRunFolderLockIsOpenedToReadAndSeesItsGame) {
    const TempFolder shared, ownLocks;
    ASSERT_TRUE(vqt::test::CopyGeneratedData(shared.path()));
    const std::string lock = shared / ".run-lock";
    std::ofstream(lock) << "";
    fs::permissions(shared.path(), fs::perms::all);
    if (Superuser()) {
        ASSERT_EQ(::chown(ownLocks.path().c_str(), kNobody, kNobody), 0);
    } else {
        fs::permissions(lock, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    auto env = Environment();
    env["VQT_RUN_DIR"] = shared.path();
    env["XDG_RUNTIME_DIR"] = ownLocks.path();
    env["VQT_EXIT_AFTER_FRAMES"] = "3";
    env["PARTFILE"] = shared / vqt::test::kGeneratedPartFile;
    const int held = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const auto before = Snapshot(shared.path());
    std::string output;
    EXPECT_EQ(RunIn(SOURCE_ROOT, AsAnotherUser({Script("start-game"), TREE}), env, output), 1) << output;
    EXPECT_NE(output.find("A game already plays in the run folder " + shared.path() + " (its lock " + lock + " is held)"),
              std::string::npos)
        << output;
    EXPECT_EQ(Snapshot(shared.path()), before) << output;
    // Once the other's game has ended, this user's plays there.
    ::close(held);
    EXPECT_EQ(RunIn(SOURCE_ROOT, AsAnotherUser({Script("start-game"), TREE}), env, output), 0) << output;
    EXPECT_TRUE(fs::exists(shared / "last-frame.png")) << output;
}

TEST_F(StartScriptsTest, ABrokenBuildTreeIsRefusedNamingTheBuildsFolder) {
    struct Case {
        const char* name;
        std::function<void(const std::string& builds)> breaks;
        bool anotherUser;
        std::string says;
    };
    const auto anotherUsers = [](const std::string& b) {
        fs::create_directories(b + "/game");
        fs::permissions(b, fs::perms::all);
    };
    const Case cases[] = {
        {"the tree is a file", [](const std::string& b) { std::ofstream(b + "/game") << ""; }, false,
         "its build tree {}/game is not a folder"},
        {"the tree's lock is a folder", [](const std::string& b) { fs::create_directories(b + "/game/.build-lock"); },
         false, "its build tree's lock {}/game/.build-lock is not a file"},
        {"the tree is another user's",
         [&](const std::string& b) {
             anotherUsers(b);
             if (!Superuser()) fs::permissions(b + "/game", fs::perms::owner_read | fs::perms::owner_exec);
         },
         true, "this user cannot write to its build tree {}/game"},
        {"the tree's lock is another user's",
         [&](const std::string& b) {
             anotherUsers(b);
             fs::permissions(b + "/game", fs::perms::all);
             std::ofstream(b + "/game/.build-lock") << "";
             if (!Superuser()) fs::permissions(b + "/game/.build-lock", fs::perms::owner_read);
         },
         true, "this user cannot open its build tree's lock {}/game/.build-lock"},
        {"the tree's lock is a link to nothing",
         [](const std::string& b) {
             fs::create_directories(b + "/game");
             fs::create_symlink(b + "/made-through-the-link", b + "/game/.build-lock");
         },
         false, "its build tree's lock {}/game/.build-lock is a symbolic link"},
        {"the tree's lock is a link to a file",
         [](const std::string& b) {
             fs::create_directories(b + "/game");
             std::ofstream(b + "/a-file") << "kept\n";
             fs::create_symlink(b + "/a-file", b + "/game/.build-lock");
         },
         false, "its build tree's lock {}/game/.build-lock is a symbolic link"},
        {"the tree's lock cannot be locked", [&](const std::string&) { WriteFailingFlock(tools, "8"); }, false,
         "cannot lock {}/game/.build-lock: No locks available"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder folder;
        c.breaks(folder.path());
        auto env = Environment();
        env["VQT_BUILD_DIR"] = folder.path();
        env["VQT_RUN_DIR"] = folder / "run";
        std::string says = c.says;
        says.replace(says.find("{}"), 2, folder.path());
        std::string output;
        int code = 0;
        if (c.anotherUser && Superuser()) {
            code = RunIn(SOURCE_ROOT, AsAnotherUser({Script("run")}), env, output);
        } else {
            code = Run("run", {}, env, output);
        }
        EXPECT_EQ(code, 2) << output;
        EXPECT_NE(output.find("VQT_BUILD_DIR=\"" + folder.path() + "\": " + says), std::string::npos) << output;
        EXPECT_EQ(output.find("line "), std::string::npos) << output;
        EXPECT_EQ(output.find("build started"), std::string::npos) << output;
        // The one line that says why, and nothing made through a link.
        EXPECT_EQ(output, "VQT_BUILD_DIR=\"" + folder.path() + "\": " + says + "\n");
        EXPECT_FALSE(fs::exists(folder / "made-through-the-link"));
        if (fs::exists(folder / "a-file")) {
            EXPECT_EQ(ReadFileBytes(folder / "a-file"), "kept\n");
        }
        if (!Superuser() && c.anotherUser) fs::permissions(folder / "game", fs::perms::owner_all);
        fs::remove(tools / "flock");
    }
}

} // namespace
