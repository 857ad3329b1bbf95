// The game executable's locks, run as a separate process: the build lock a launcher hands over
// is let go (or refused) before anything else could end the run, and the run folder's lock
// (".run-lock" in the working folder) keeps a second game out of a folder, or refuses what is
// not that lock, leaving the folder as it was.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FolderSnapshot.h"
#include "tests/support/GeneratedData.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using vqt::test::Snapshot;
using vqt::test::Subprocess;
using vqt::test::TempFolder;

constexpr int kEndsWithinMs = 60000; // a refused run ends at once; the bound only stops a hang
constexpr uid_t kNobody = 65534;

/// A lock file held by this test's process through an open file of its own (`flags`); the file is
/// made, with `mode`, when missing.
struct HeldHere {
    HeldHere(const std::string& path, int flags = O_RDWR, mode_t mode = 0644) {
        const int made = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, mode);
        if (made >= 0) ::close(made);
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
        held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~HeldHere() {
        if (fd >= 0) ::close(fd);
    }
    int fd = -1;
    bool held = false;
};

/// A working folder with the game's INI files and part file, and a lock folder of its own.
class ProgramLocksTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(work / "VQT.ini") << "[VQT]\nTRACELOGFILE=1\nFULLSCREEN=0\n";
        std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=synthetic.vqk\nDISPLAYDEPTH=16\n";
        ASSERT_TRUE(vqt::test::CopyGeneratedData(work.path(), "synthetic.vqk"));
    }
    std::map<std::string, std::string> Headless() {
        return {{"XDG_RUNTIME_DIR", locks.path()}, {"DISPLAY", ""},          {"WAYLAND_DISPLAY", ""},
                {"SDL_VIDEODRIVER", ""},          {"DATAROOTS", work.path()}, {"VQT_EXIT_AFTER_FRAMES", "3"},
                {"VQT_EXIT_AFTER_MS", ""},        {"VQT_LOCK_FD", ""},        {"VQT_RUN_LOCK_FD", ""},
                {"VQT_BUILD_LOCK_FD", ""}};
    }
    /// Runs `program` in the working folder, its output kept elsewhere, after the shell lines
    /// `first`, which find the file `file` as "$1": its exit code, -1 when it hung.
    int Run(const std::vector<std::string>& program, const std::map<std::string, std::string>& env, std::string& output,
            const std::string& first = "", const std::string& file = "") {
        const TempFolder elsewhere;
        std::vector<std::string> command = {"-c", first + "cd \"$0\" && shift && exec \"$@\"", work.path(), file};
        command.insert(command.end(), program.begin(), program.end());
        Subprocess process("/bin/sh", elsewhere.path(), env, std::move(command));
        if (!process.Start()) return -2;
        const bool ended = process.Wait(kEndsWithinMs);
        output = process.Output();
        return ended ? process.ExitCode() : -1;
    }
    /// The game's lock file, as `tlvgame --lock-path` says it.
    std::string GameLock() {
        std::string output;
        EXPECT_EQ(Run({TLVGAME, "--lock-path"}, Headless(), output), 0) << output;
        return output.substr(0, output.find('\n'));
    }
    std::string RunLock() const { return work / ".run-lock"; }

    TempFolder locks;
    TempFolder work;
};

/// Shell lines that open "$1" as descriptor 7 for the program, locked or not.
constexpr const char* kOpenAs7 = "exec 7<\"$1\" && ";
constexpr const char* kLockAs7 = "exec 7<\"$1\" && flock -n 7 && ";

/// What else would end a run while it starts: the build lock's refusal must come first.
struct Obstacle {
    const char* name;
    bool gameLockHeld;
    const char* display;
    const char* notSaid;
};

constexpr Obstacle kObstacles[] = {
    {"the game's lock is held", true, "", "already running"},
#ifdef VQT_HAVE_SDL2
    {"a display that does not open", false, ":987654", "No window"},
#endif
};

TEST_F(ProgramLocksTest, AWrongBuildLockIsToldBeforeAnythingElseCouldEndTheRun) {
    const TempFolder tree;
    const std::string folderLock = tree / ".build-lock";
    fs::create_directory(folderLock);
    struct Handed {
        std::string text;
        std::string first; ///< shell lines that open descriptor 7
        std::string says;
    };
    const Handed handed[] = {
        {"abc", "", "VQT_BUILD_LOCK_FD=\"abc\" is not an open file"},
        {"7", kLockAs7, "VQT_BUILD_LOCK_FD=\"7\" is not a build tree's lock .build-lock (it is " + folderLock + ", a folder)"},
    };
    const std::string gameLock = GameLock();
    const auto before = Snapshot(work.path());
    for (const Obstacle& obstacle : kObstacles) {
        const std::unique_ptr<HeldHere> game = obstacle.gameLockHeld ? std::make_unique<HeldHere>(gameLock) : nullptr;
        ASSERT_TRUE(!game || game->held);
        for (const Handed& h : handed) {
            SCOPED_TRACE(std::string(obstacle.name) + ", VQT_BUILD_LOCK_FD=" + h.text);
            auto env = Headless();
            env["DISPLAY"] = obstacle.display;
            env["VQT_BUILD_LOCK_FD"] = h.text;
            std::string output;
            EXPECT_EQ(Run({TLVGAME}, env, output, h.first, folderLock), 2) << output;
            EXPECT_NE(output.find(h.says), std::string::npos) << output;
            EXPECT_EQ(output.find(obstacle.notSaid), std::string::npos) << output;
            EXPECT_EQ(Snapshot(work.path()), before);
        }
    }
}

/// Every lock a launcher hands over, by one rule: the variable names an open descriptor of that
/// lock's file, holding its lock. The held one is taken (the game's and the run folder's kept, the
/// build lock let go) and the game plays; anything else ends the program at once as a wrong
/// setting, naming the variable, with the working folder and the lock folder as they were.
TEST_F(ProgramLocksTest, AHandedLockIsTakenOnlyWhenItIsItsHeldLockFile) {
    const TempFolder elsewhere, tree;
    const std::string other = elsewhere / "other", buildLock = tree / ".build-lock";
    std::ofstream(other) << "";
    std::ofstream(buildLock) << "";
    std::ofstream(RunLock()) << "";
    const std::string gameLock = GameLock();
    struct Case {
        const char* variable;
        std::string text;
        std::string first; ///< shell lines that open `file` as descriptor 7
        std::string file;
        int exitCode;
        std::string says; ///< after `<variable>="<text>" `
    };
    const Case cases[] = {
        {"VQT_LOCK_FD", "abc", "", "", 2, "is not an open file"},
        {"VQT_LOCK_FD", "7", "", "", 2, "is not an open file"},
        {"VQT_LOCK_FD", "7", kOpenAs7, other, 2, "is not the lock file " + gameLock},
        {"VQT_LOCK_FD", "7", kOpenAs7, gameLock, 2, "does not hold the lock " + gameLock},
        {"VQT_LOCK_FD", "7", kLockAs7, gameLock, 0, ""},
        {"VQT_BUILD_LOCK_FD", "abc", "", "", 2, "is not an open file"},
        {"VQT_BUILD_LOCK_FD", "7", "", "", 2, "is not an open file"},
        {"VQT_BUILD_LOCK_FD", "7", kLockAs7, other, 2, "is not a build tree's lock .build-lock"},
        {"VQT_BUILD_LOCK_FD", "7", kOpenAs7, buildLock, 2, "does not hold the lock " + buildLock},
        {"VQT_BUILD_LOCK_FD", "7", kLockAs7, buildLock, 0, ""},
        {"VQT_RUN_LOCK_FD", "abc", "", "", 2, "is not an open file"},
        {"VQT_RUN_LOCK_FD", "9999999999", "", "", 2, "is not an open file"},
        {"VQT_RUN_LOCK_FD", "7", "", "", 2, "is not an open file"},
        {"VQT_RUN_LOCK_FD", "7", kLockAs7, other, 2, "is not the lock file " + RunLock() + " (it is " + other + ")"},
        {"VQT_RUN_LOCK_FD", "7", kOpenAs7, RunLock(), 2, "does not hold the lock " + RunLock()},
        {"VQT_RUN_LOCK_FD", "7", kLockAs7, RunLock(), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + "=" + c.text + " on " + (c.file.empty() ? "nothing" : c.file) +
                     (c.first == kLockAs7 ? ", locked" : ""));
        auto env = Headless();
        env[c.variable] = c.text;
        const auto before = Snapshot(work.path()), locksBefore = Snapshot(locks.path());
        std::string output;
        EXPECT_EQ(Run({TLVGAME}, env, output, c.first, c.file), c.exitCode) << output;
        if (c.exitCode == 0) continue;
        EXPECT_NE(output.find(std::string(c.variable) + "=\"" + c.text + "\" " + c.says), std::string::npos) << output;
        EXPECT_EQ(Snapshot(work.path()), before);
        EXPECT_EQ(Snapshot(locks.path()), locksBefore);
    }
}

/// Whether this test runs as the superuser, whom no file's rights keep from writing.
bool Superuser() { return ::geteuid() == 0; }

/// What a run finds at its folder's ".run-lock", and the line that ends it.
struct FoundCase {
    const char* name;
    std::function<std::unique_ptr<HeldHere>(const std::string& lock, const std::string& target)> make;
    bool anotherUser; ///< the run is another user's, of no rights to the folder's files
    std::string says; ///< "{}" for the working folder
};

TEST_F(ProgramLocksTest, ARunFolderInUseOrALockThatIsNoFileEndsTheRunLeavingTheFolderAsItWas) {
    const TempFolder elsewhere, othersLocks;
    const std::string target = elsewhere / "target";
    const std::string plays =
        "A game already plays in the run folder {} (its lock {}/.run-lock is held); end it before starting another there.\n";
    const std::string refused = "cannot take the lock of its run folder {} ({}/.run-lock is ";
    const FoundCase cases[] = {
        {"held by another process", [](const std::string& lock, const std::string&) { return std::make_unique<HeldHere>(lock); },
         false, plays},
        // A game of another user in a shared folder: its lock file, read-only for this user, is
        // still found held.
        {"another user's held read-only lock file",
         [](const std::string& lock, const std::string&) { return std::make_unique<HeldHere>(lock, O_RDONLY, 0444); },
         true, plays},
        {"a dangling link",
         [](const std::string& lock, const std::string& target) {
             fs::create_symlink(target, lock);
             return std::unique_ptr<HeldHere>();
         },
         false, refused + "a symbolic link, not a file)"},
        // Opened to read, as another user's run opens it, a fifo would wait for a writer.
        {"a fifo",
         [](const std::string& lock, const std::string&) {
             ::mkfifo(lock.c_str(), 0444);
             return std::unique_ptr<HeldHere>();
         },
         true, refused + "a fifo, not a file)"},
    };
    // The superuser writes any file: the other user's run is one of a user of no rights, who
    // must reach the folder and has a lock folder of its own.
    fs::permissions(work.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    ASSERT_TRUE(!Superuser() || ::chown(othersLocks.path().c_str(), kNobody, kNobody) == 0);
    std::vector<std::vector<std::string>> programs = {{TLVGAME}};
#ifdef TLVBOTVIEW
    programs.push_back({TLVBOTVIEW, "circus-race"});
#endif
    for (const FoundCase& c : cases) {
        fs::remove(RunLock());
        const std::unique_ptr<HeldHere> holder = c.make(RunLock(), target);
        ASSERT_TRUE(!holder || holder->held);
        const auto before = Snapshot(work.path());
        for (std::vector<std::string> program : programs) {
            SCOPED_TRACE(std::string(c.name) + ": " + program[0]);
            auto env = Headless();
            if (program.size() > 1) { // the bot plays in a window
                env["SDL_VIDEODRIVER"] = "dummy";
                env["ASAN_OPTIONS"] = "detect_leaks=0"; // the display library's own blocks
            }
            if (c.anotherUser && Superuser()) {
                program.insert(program.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
                env["XDG_RUNTIME_DIR"] = othersLocks.path();
            }
            std::string output;
            EXPECT_EQ(Run(program, env, output), 1) << output;
            std::string says = c.says;
            for (size_t at; (at = says.find("{}")) != std::string::npos;) says.replace(at, 2, work.path());
            EXPECT_NE(output.find(says), std::string::npos) << output;
            EXPECT_EQ(Snapshot(work.path()), before);
            EXPECT_FALSE(fs::exists(fs::symlink_status(target))) << "nothing made through the link";
        }
    }
}

} // namespace
