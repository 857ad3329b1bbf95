#include "tests/support/Subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/Golden.h"

extern char** environ;

namespace vqt::test {

namespace {

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
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
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

    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
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
    return true;
}

long Subprocess::CpuMs() const {
    if (pid_ <= 0) return 0;
    std::ifstream file("/proc/" + std::to_string(pid_) + "/stat");
    std::string stat;
    std::getline(file, stat);
    // The fields after the program's name (which may hold blanks) in parentheses: the state, then
    // ten more, then the times in user and in system mode of the program and of its children
    // that ended (a scheduler's filters), in clock ticks.
    const size_t name = stat.rfind(')');
    if (name == std::string::npos) return 0;
    std::istringstream fields(stat.substr(name + 1));
    std::string skipped;
    for (int i = 0; i < 11; ++i) fields >> skipped;
    long ticks = 0;
    for (int i = 0; i < 4; ++i) {
        long time = 0;
        fields >> time;
        ticks += time;
    }
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

bool Subprocess::Reaped() {
    int status = 0;
    if (pid_ <= 0) return true;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

Subprocess::Outcome Subprocess::Poll(const std::function<bool()>& done, long cpuMs, int pollMs) {
    const long cpuLimit = CpuMs() + cpuMs;
    const long hung = NowMs() + kHungMs;
    for (;;) {
        if (done()) return Outcome::Done;
        if (Reaped()) return Outcome::Ended;
        if (CpuMs() >= cpuLimit || NowMs() >= hung) return Outcome::Spent;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
}

bool Subprocess::Wait(long cpuMs) {
    if (Poll([] { return false; }, cpuMs, 5) == Outcome::Ended) return true;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    exitCode_ = -1;
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
