// Starts programs as the kit starts a game, each in a process group of its own: SubprocessTest
// interrupts this program and looks whether they ended with it.
//
//     subprocess_probe                     a shell that started a sleeper, both for long; their
//                                          numbers go to the file "pids" in the working folder
//                                          ("leader member"), and the probe waits
//     subprocess_probe after-many-groups   the same after more groups than the kit keeps room
//                                          for were started and collected: some ended, some
//                                          given up on
//     subprocess_probe ignoring-interrupts ignores SIGINT, starts a program that works for good
//                                          and sends itself SIGINT: exits 0 when that program
//                                          still works on, 3 when the interrupt ended it
#include <signal.h>

#include <cstring>

#include "tests/support/LiveGroups.h"
#include "tests/support/Subprocess.h"

namespace {

using vqt::test::Subprocess;

constexpr long kWorkMs = 200; // the worker's processor time that shows it was left alone

/// Ends with the signal that ends the probe, as a test program started by the kit would.
int WaitForSleepers() {
    Subprocess sleepers("/bin/sh", ".", {}, {"-c", "sleep 600 & echo $$ $! >pids.tmp && mv pids.tmp pids; wait"});
    if (!sleepers.Start()) return 1;
    return sleepers.Wait(1000) ? 0 : 1;
}

/// Groups past the room, each collected: by its end, or by the kit giving up on it.
bool CollectManyGroups() {
    for (size_t i = 0; i <= vqt::test::live_groups::kRoom; ++i) {
        Subprocess ended("/bin/sh", ".", {}, {"-c", "exit 0"});
        if (!ended.Start() || !ended.Wait(10000)) return false;
        Subprocess givenUp("/bin/sh", ".", {}, {"-c", "sleep 600"});
        if (!givenUp.Start()) return false;
    }
    return true;
}

int InterruptWhileIgnored() {
    ::signal(SIGINT, SIG_IGN);
    Subprocess worker("/bin/sh", ".", {}, {"-c", "while :; do :; done"});
    if (!worker.Start()) return 1;
    ::raise(SIGINT);
    // A worker killed ends at once; one left alone works until its bound, then is ended.
    return worker.Wait(kWorkMs) ? 3 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "ignoring-interrupts") == 0) return InterruptWhileIgnored();
    if (argc == 2 && std::strcmp(argv[1], "after-many-groups") == 0 && !CollectManyGroups()) return 1;
    return WaitForSleepers();
}
