#include "tests/support/LiveGroups.h"

#include <atomic>
#include <cstddef>
#include <iterator>
#include <mutex>

namespace vqt::test::live_groups {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
/// The groups, 0 for a free place: read by the handler, so lock-free atomics only.
std::atomic<pid_t> groups[kRoom];
/// What each signal did before the handler, set back before the signal is raised again.
struct sigaction previous[std::size(kSignals)];

void EndGroups(int signal) {
    for (std::atomic<pid_t>& group : groups)
        if (const pid_t pid = group.load(); pid > 0) ::kill(-pid, SIGKILL);
    for (size_t i = 0; i < std::size(kSignals); ++i)
        if (kSignals[i] == signal) ::sigaction(signal, &previous[i], nullptr);
    // Taken as it would have been without the handler once the handler returns and the
    // signal is let through again.
    ::raise(signal);
}

void Install() {
    static_assert(std::atomic<pid_t>::is_always_lock_free);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], nullptr, &previous[i]);
        if (previous[i].sa_handler == SIG_IGN) continue;
        struct sigaction action = {};
        action.sa_handler = EndGroups;
        sigemptyset(&action.sa_mask);
        for (int other : kSignals) sigaddset(&action.sa_mask, other);
        ::sigaction(kSignals[i], &action, nullptr);
    }
}

} // namespace

Held::Held() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : kSignals) sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &before_);
}

Held::~Held() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

void Add(pid_t group) {
    static std::once_flag installed;
    std::call_once(installed, Install);
    for (std::atomic<pid_t>& place : groups) {
        pid_t free = 0;
        if (place.compare_exchange_strong(free, group)) return;
    }
}

void Remove(pid_t group) {
    for (std::atomic<pid_t>& place : groups) {
        pid_t entered = group;
        if (place.compare_exchange_strong(entered, 0)) return;
    }
}

} // namespace vqt::test::live_groups
