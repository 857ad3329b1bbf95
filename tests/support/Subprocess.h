#pragma once
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace vqt::test {

/// A program run as a separate process in a working folder, with its arguments and with
/// variables added to (or, with an empty value, removed from) the environment; its output goes
/// to a file in the folder.
class Subprocess {
public:
    Subprocess(std::string program, std::string folder, std::map<std::string, std::string> environment,
               std::vector<std::string> arguments = {});
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    /// Starts it; false when it cannot be started.
    bool Start();
    /// Waits up to `timeoutMs` for it to end; false when it still runs (it is killed then).
    bool Wait(int timeoutMs);
    /// The exit status as the shell sees it (0-255), -1 while it runs or when a signal ended it.
    int ExitCode() const { return exitCode_; }
    /// Everything it wrote to its standard output and error.
    std::string Output() const;
    /// Sends it a signal while it runs; false when it does not run.
    bool Signal(int signal);

private:
    std::string program_;
    std::string folder_;
    std::map<std::string, std::string> environment_;
    std::vector<std::string> arguments_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

/// Starts the program and waits for its end: its exit status, or -1 when it did not end within
/// the time (it is killed then) or a signal ended it.
int RunProgram(const std::string& program, const std::string& folder,
               const std::map<std::string, std::string>& environment, int timeoutMs, std::string* output = nullptr);

/// The last line of a text file without its line end; empty when it cannot be read.
std::string LastLineOf(const std::string& path);

} // namespace vqt::test
