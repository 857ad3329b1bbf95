#pragma once
#include <signal.h>
#include <sys/types.h>

#include <cstddef>

namespace vqt::test {

/// The process groups that the kit's separate programs run in, while they run. A test program
/// interrupted (SIGINT, SIGTERM, SIGHUP) kills every one of them before it ends as the signal
/// would have ended it: a game it started must not go on holding the user's lock. A signal the
/// program ignores stays ignored.
namespace live_groups {

/// Holds the interrupting signals back for its scope, so that one arriving between the start
/// of a group and its entry here is taken only once the group is known.
class Held {
public:
    Held();
    ~Held();
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    /// The signal mask from before: a child started in the scope sets it back before it runs
    /// its program.
    const sigset_t& Before() const { return before_; }

private:
    sigset_t before_;
};

/// Room for more groups than any test program runs at once.
inline constexpr size_t kRoom = 64;

/// Enters a group (its leader's process number), the handler installed at the first; a group
/// beyond the room kept (kRoom live at once) is not ended on an interrupt.
void Add(pid_t group);
/// Removes a group once its leader was collected.
void Remove(pid_t group);

} // namespace live_groups
} // namespace vqt::test
