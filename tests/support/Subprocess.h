#pragma once
#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vqt::test {

/// A program run as a separate process in a working folder, with its arguments and with
/// variables added to (or, with an empty value, removed from) the environment; its output goes
/// to a file in the folder. It runs in a process group of its own, with the programs it starts.
/// Its waits are bounded by the processor time that group uses, not by the clock: a busy machine
/// that gives it little time does not cut it short. A wait looks at the program's end (and at
/// its condition) every poll, but counts that time only every kCpuEveryMs of the clock, over the
/// group's processes as last found among all of the machine's (every kMembersEveryMs): it may
/// run past its bound by what the group uses in between. One that neither ends nor works (it
/// hangs) is given up on after kHungMs of the clock. Giving up on it ends its whole group; so
/// does an interrupt of the test program while it runs (tests/support/LiveGroups.h).
class Subprocess {
public:
    static constexpr long kHungMs = 600000;
    static constexpr long kCpuEveryMs = 100, kMembersEveryMs = 1000;

    Subprocess(std::string program, std::string folder, std::map<std::string, std::string> environment,
               std::vector<std::string> arguments = {});
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    /// Starts it; false when it cannot be started.
    bool Start();
    /// Waits for it to end while its group uses up to `cpuMs` of processor time more; false
    /// when it still runs (its group is killed then).
    bool Wait(long cpuMs);
    /// Asks `done` every `pollMs` until it holds, while the program runs and its group uses up
    /// to `cpuMs` of processor time more; false when it did not hold by then.
    bool WaitUntil(const std::function<bool()>& done, long cpuMs, int pollMs = 20);
    /// The processor time its group's processes and their children that ended have used so
    /// far, in milliseconds; 0 when it does not run.
    long CpuMs() const;
    /// Its process number while it runs (not yet collected), else -1.
    pid_t Pid() const { return pid_; }
    /// The exit status as the shell sees it (0-255), -1 while it runs or when a signal ended it.
    int ExitCode() const { return exitCode_; }
    /// Everything it wrote to its standard output and error.
    std::string Output() const;
    /// Sends it a signal while it runs; false when it does not run.
    bool Signal(int signal);

private:
    enum class Outcome { Done, Ended, Spent };
    Outcome Poll(const std::function<bool()>& done, long cpuMs, int pollMs);
    /// The processes of its group, found among all of the machine's.
    std::vector<pid_t> Members() const;
    /// The processor time the processes `members` and their children that ended used while
    /// in its group, in milliseconds.
    long CpuMsOf(const std::vector<pid_t>& members) const;
    /// Collects its exit status once it has ended; false while it runs.
    bool Reaped();
    /// Kills its group and collects it.
    void Kill();

    std::string program_;
    std::string folder_;
    std::map<std::string, std::string> environment_;
    std::vector<std::string> arguments_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

/// Starts the program and waits for its end: its exit status, or -1 when it did not end within
/// `cpuMs` of its group's processor time (the group is killed then) or a signal ended it.
int RunProgram(const std::string& program, const std::string& folder,
               const std::map<std::string, std::string>& environment, long cpuMs, std::string* output = nullptr);

/// The last line of a text file without its line end; empty when it cannot be read.
std::string LastLineOf(const std::string& path);

} // namespace vqt::test
