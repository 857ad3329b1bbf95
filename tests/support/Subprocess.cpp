#include "tests/support/Subprocess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/Golden.h"
#include "tests/support/LiveGroups.h"

extern char** environ;

namespace vqt::test {

namespace {

/// The fields of /proc/<pid>/stat after the program's name (which may hold blanks) in
/// parentheses, the state as 0; empty when the process is gone. Read for every process of the
/// machine each time a group's processes are looked for: no streams.
std::vector<long> StatFields(const char* pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char stat[1024];
    const ssize_t got = ::read(fd, stat, sizeof stat - 1);
    ::close(fd);
    if (got <= 0) return {};
    stat[got] = '\0';
    const char* at = std::strrchr(stat, ')');
    if (!at) return {};
    std::vector<long> fields = {0};
    at += 2; // the blank, then the state's letter
    while (*at && *at != ' ') ++at;
    while (*at == ' ') {
        char* end = nullptr;
        fields.push_back(std::strtol(at + 1, &end, 10));
        at = end;
    }
    return fields;
}

/// The fields of the group and of the first of the four times.
constexpr size_t kGroup = 2, kUserTime = 11;

long NowMs() {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now().time_since_epoch())
                    .count());
}

} // namespace

Subprocess::Subprocess(std::string program, std::string folder, std::map<std::string, std::string> environment,
                       std::vector<std::string> arguments)
    : program_(std::move(program)), folder_(std::move(folder)), environment_(std::move(environment)),
      arguments_(std::move(arguments)) {}

Subprocess::~Subprocess() {
    if (pid_ > 0) Kill();
}

void Subprocess::Kill() {
    // Its whole group: a script's programs end with it. The group keeps its number while the
    // program is not collected, so no other process can be hit.
    ::kill(-pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    live_groups::Remove(pid_);
    pid_ = -1;
    exitCode_ = -1;
}

bool Subprocess::Start() {
    // Everything the child needs is prepared before fork: it only changes folder, redirects
    // its output and runs the program.
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const size_t eq = entry.find('=');
        if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : environment_) {
        if (value.empty()) env.erase(name);
        else env[name] = value;
    }
    std::vector<std::string> entries;
    for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = program_;
    std::vector<std::string> arguments = arguments_;
    std::vector<char*> argv = {program.data()};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string outputPath = folder_ + "/output.txt";

    const live_groups::Held held;
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        ::pthread_sigmask(SIG_SETMASK, &held.Before(), nullptr);
        // A process group of its own, which the programs it starts join: its processor time
        // is theirs too, and giving up on it ends them all. Out of the terminal's foreground
        // group it must not read the terminal (it would stop): it reads nothing.
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        if (in >= 0) {
            ::dup2(in, 0);
            ::close(in);
        }
        if (::chdir(folder_.c_str()) != 0) ::_exit(126);
        const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::close(out);
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::setpgid(pid_, pid_); // either side may come first; the other then fails harmlessly
    live_groups::Add(pid_);
    return true;
}

std::vector<pid_t> Subprocess::Members() const {
    std::vector<pid_t> members;
    if (pid_ <= 0) return members;
    DIR* proc = ::opendir("/proc");
    if (!proc) return members;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
        const std::vector<long> fields = StatFields(entry->d_name);
        if (fields.size() > kGroup && fields[kGroup] == pid_) members.push_back(pid_t(std::atol(entry->d_name)));
    }
    ::closedir(proc);
    return members;
}

long Subprocess::CpuMsOf(const std::vector<pid_t>& members) const {
    // The times in user and in system mode of each and of its children that ended (a
    // scheduler's filters), in clock ticks. A program that a script started works in a
    // grandchild, which the program's own children's times leave out. A process gone, or one
    // that took a number left free by one of the group, counts nothing.
    long ticks = 0;
    for (const pid_t member : members) {
        char pid[16];
        std::snprintf(pid, sizeof pid, "%d", int(member));
        const std::vector<long> fields = StatFields(pid);
        if (fields.size() < kUserTime + 4 || fields[kGroup] != pid_) continue;
        for (size_t i = kUserTime; i < kUserTime + 4; ++i) ticks += fields[i];
    }
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

long Subprocess::CpuMs() const { return CpuMsOf(Members()); }

bool Subprocess::Reaped() {
    int status = 0;
    if (pid_ <= 0) return true;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
    live_groups::Remove(pid_);
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

Subprocess::Outcome Subprocess::Poll(const std::function<bool()>& done, long cpuMs, int pollMs) {
    // The processes of the group are looked for among all of the machine's only now and then;
    // their times are read less often than the polls.
    std::vector<pid_t> members = Members();
    const long cpuLimit = CpuMsOf(members) + cpuMs;
    const long started = NowMs();
    const long hung = started + kHungMs;
    long cpuAt = started + kCpuEveryMs, membersAt = started + kMembersEveryMs;
    for (;;) {
        if (done()) return Outcome::Done;
        if (Reaped()) return Outcome::Ended;
        const long now = NowMs();
        if (now >= hung) return Outcome::Spent;
        if (now >= cpuAt) {
            if (now >= membersAt) {
                members = Members();
                membersAt = now + kMembersEveryMs;
            }
            if (CpuMsOf(members) >= cpuLimit) return Outcome::Spent;
            cpuAt = now + kCpuEveryMs;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
}

bool Subprocess::Wait(long cpuMs) {
    if (Poll([] { return false; }, cpuMs, 5) == Outcome::Ended) return true;
    Kill();
    return false;
}

bool Subprocess::WaitUntil(const std::function<bool()>& done, long cpuMs, int pollMs) {
    return Poll(done, cpuMs, pollMs) == Outcome::Done;
}

bool Subprocess::Signal(int signal) { return pid_ > 0 && ::kill(pid_, signal) == 0; }

std::string Subprocess::Output() const { return ReadFileBytes(folder_ + "/output.txt"); }

int RunProgram(const std::string& program, const std::string& folder,
               const std::map<std::string, std::string>& environment, long cpuMs, std::string* output) {
    Subprocess p(program, folder, environment);
    if (!p.Start()) return -1;
    p.Wait(cpuMs);
    if (output) *output = p.Output();
    return p.ExitCode();
}

std::string LastLineOf(const std::string& path) {
    std::string text = ReadFileBytes(path);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t at = text.find_last_of('\n');
    return at == std::string::npos ? text : text.substr(at + 1);
}

} // namespace vqt::test
