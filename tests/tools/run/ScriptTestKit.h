#pragma once
// What the tests of the start scripts share: a fixture with folders of its own and a "cmake" that
// says when a script went on to build, runs of the scripts and programs, snapshots of folders, and
// the locks and process trees of runs in progress.
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

#include "tests/support/FolderSnapshot.h"
#include "tests/support/Golden.h"
#include "tests/support/Subprocess.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test::scripts {

using vqt::test::Listing;
using vqt::test::Snapshot;

inline constexpr int kEndsWithinMs = 60000; // a refusal ends at once; the bound only stops a hang

inline std::string Script(const std::string& name) { return std::string(SOURCE_ROOT) + "/tools/" + name; }

/// Folders of their own for the lock, the run and the build, and a PATH whose "cmake" fails
/// loudly: a script that went on past its checks would say "build started" (and whether it set
/// CI) rather than build.
class StartScriptsTest : public ::testing::Test {
protected:
    void SetUp() override { UseCmake("echo \"build started (CI=${CI-unset})\" >&2\nexit 3\n"); }
    /// The "cmake" the scripts find: these shell lines.
    void UseCmake(const std::string& lines) {
        std::ofstream(tools / "cmake") << "#!/bin/sh\n" << lines;
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
                {"VQT_LOCK_FD", ""},
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

/// Runs a program in `folder` (its output kept elsewhere): its exit code, -1 when it hung.
inline int RunIn(const std::string& folder, std::vector<std::string> command, const std::map<std::string, std::string>& env,
          std::string& output) {
    const TempFolder elsewhere;
    command.insert(command.begin(), {"-c", "cd \"$0\" && exec \"$@\"", folder});
    Subprocess process("/bin/sh", elsewhere.path(), env, std::move(command));
    if (!process.Start()) return -2;
    const bool ended = process.Wait(kEndsWithinMs);
    output = process.Output();
    return ended ? process.ExitCode() : -1;
}

/// What the scripts' own checks say: the output of these bash lines run in the repository root
/// after tools/run-checks.sh (empty when they fail).
inline std::string ChecksSay(const std::string& lines) {
    const char* path = std::getenv("PATH");
    std::string output;
    const int code = RunIn(SOURCE_ROOT, {"/bin/bash", "-c", "source tools/run-checks.sh && " + lines},
                           {{"PATH", path ? path : "/usr/bin:/bin"}}, output);
    return code == 0 ? output : "";
}

/// The longest VQT_BUILD_DIR path the scripts take.
inline size_t BuildDirMax() {
    const std::string max = ChecksSay("vqt_build_dir_max");
    return max.empty() ? 0 : std::stoul(max);
}

/// A script started with these arguments and variables, its exit code and a piece of what it
/// says.
struct Refusal {
    const char* script;
    std::vector<std::string> arguments;
    std::map<std::string, std::string> variables;
    int exitCode;
    std::string says;
};

/// A path of exactly `length` bytes: `base`, then names of up to 200 bytes.
inline std::string PathOfLength(std::string base, size_t length) {
    while (base.size() + 1 + 200 + 2 < length) base += "/" + std::string(200, 'a');
    return base + "/" + std::string(length - base.size() - 1, 'b');
}

/// A clone of the repository as far as the scripts' checks go: tools/'s files copied into
/// `clone`/tools (copies, not links, which the scripts would follow back to this repository), and
/// a link to the tests, whose lists they read.
inline void CloneScripts(const std::string& clone) {
    std::filesystem::create_directories(clone + "/tools");
    std::filesystem::create_directory_symlink(std::string(SOURCE_ROOT) + "/tests", clone + "/tests");
    for (const auto& entry : std::filesystem::directory_iterator(std::string(SOURCE_ROOT) + "/tools"))
        if (entry.is_regular_file()) std::filesystem::copy_file(entry.path(), clone + "/tools/" + entry.path().filename().string());
}

/// Whether a process holds a flock lock on the file (from the system's list of locks: asking
/// by taking it could take it from the one that is about to).
inline bool LockHeld(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    std::ifstream locks("/proc/locks");
    std::string line;
    const std::string inode = ":" + std::to_string(st.st_ino) + " ";
    while (std::getline(locks, line))
        if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos) return true;
    return false;
}

/// The processes whose parent is `pid`, and theirs.
inline std::set<pid_t> Descendants(pid_t pid) {
    std::map<pid_t, pid_t> parents;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 1));
        std::string state;
        pid_t parent = 0;
        fields >> state >> parent;
        parents[std::stoi(name)] = parent;
    }
    std::set<pid_t> found{pid};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [child, parent] : parents)
            if (found.count(parent) && found.insert(child).second) grew = true;
    }
    return found;
}

/// Stops a script and every process it started (SIGSTOP), or lets them go on (SIGCONT). A
/// stopped parent starts nothing more: the tree is walked until it holds no new process.
inline void SignalTree(pid_t pid, int signal) {
    std::set<pid_t> sent;
    for (bool more = true; more;) {
        more = false;
        for (const pid_t p : Descendants(pid))
            if (sent.insert(p).second) {
                ::kill(p, signal);
                more = true;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

/// A start-game run of its own, whose output (and process id) go to a folder of its own.
struct ScriptRun {
    /// tools/start-game on this tree, or tools/run.
    explicit ScriptRun(const std::map<std::string, std::string>& env, bool build = false)
        : process("/bin/sh", folder.path(), env,
                  build ? std::vector<std::string>{"-c", "echo $$ > pid; exec \"$0\"", Script("run")}
                        : std::vector<std::string>{"-c", "echo $$ > pid; exec \"$0\" \"$1\"", Script("start-game"), TREE}) {}
    /// A program started by hand in the folder `workIn`.
    ScriptRun(const std::map<std::string, std::string>& env, const std::string& program, const std::string& workIn)
        : process("/bin/sh", folder.path(), env,
                  std::vector<std::string>{"-c", "echo $$ > pid; cd \"$1\" && exec \"$0\"", program, workIn}) {}
    /// Whether the shell has written its process id (it makes the file before it writes it).
    bool PidWritten() const {
        const std::string text = ReadFileBytes(folder / "pid");
        return !text.empty() && text.back() == '\n';
    }
    pid_t Pid() const { return std::stoi(ReadFileBytes(folder / "pid")); }
    int End() {
        const bool ended = process.Wait(kEndsWithinMs);
        return ended ? process.ExitCode() : -1;
    }
    /// Ends the script and every process it started.
    void Kill() {
        SignalTree(Pid(), SIGKILL);
        End();
    }
    TempFolder folder;
    Subprocess process;
};

/// The text as one word of a shell command, whatever characters it holds.
inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

/// A "cmake" that builds as a relink does, into the tree it is given: it removes the programs,
/// works a moment (running `alsoDuringBuild` there), then puts this tree's programs in their place
/// (the data tool `dataTool`); it fails when another build got there first.
inline std::string RelinkingCmake(const std::string& alsoDuringBuild = "",
                                  const std::string& dataTool = std::string(TREE) + "/tools/synthetic_partfile") {
    return "set -e\n"
           "case \"$1\" in\n"
           "-S) mkdir -p \"$4\" && touch \"$4/CMakeCache.txt\" ;;\n"
           "--build)\n"
           "    cd \"$2\" || exit 1\n"
           "    mkdir -p game/shell tests/support/botview tools\n"
           "    rm -f game/shell/tlvgame tests/support/botview/tlvbotview tools/synthetic_partfile\n"
           "    sleep 0.2\n" +
           alsoDuringBuild +
           "    ln -s " + ShellQuoted(TLVGAME) + " game/shell/tlvgame\n"
           "    ln -s " + ShellQuoted(TLVBOTVIEW) + " tests/support/botview/tlvbotview\n"
           "    ln -s " + ShellQuoted(dataTool) + " tools/synthetic_partfile\n"
           "    echo \"built $2\" ;;\n"
           "esac\n";
}

} // namespace vqt::test::scripts
