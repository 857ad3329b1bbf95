// Starts a program that sleeps for long as the kit starts a game, in a process group of its own,
// and waits for it: SubprocessTest interrupts this program and looks whether the sleeper ended
// with it. The sleeper writes its number to the file "pid" in the working folder.
#include "tests/support/Subprocess.h"

int main() {
    vqt::test::Subprocess sleeper("/bin/sh", ".", {}, {"-c", "echo $$ >pid.tmp && mv pid.tmp pid && exec sleep 600"});
    if (!sleeper.Start()) return 1;
    return sleeper.Wait(1000) ? 0 : 1;
}
