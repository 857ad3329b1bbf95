// Entry of the game executable: picks the platform's backend (a real window through SDL2 and the
// system's printer where a display is named and opens, else headless with the wall clock; a named
// display that does not open ends the program), takes the game's single-instance lock before it
// reads or writes anything of its folder, and runs the engine's start-up with the game's hooks.
// `tlvgame --lock-path` prints the lock's file instead, for a launcher that holds the lock. A
// build lock a launcher handed over is let go first: the program runs, and a build may replace it.
// The run folder's lock (".run-lock" in the working folder) is held from after the game's lock to
// the end, so that no two games play in one folder.
#include <cstring>

#include "game/minigames/GameSession.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--lock-path") == 0) return PrintGameLockPath();
    if (const int refused = ReleaseBuildLock()) return refused;
    if (UseGamePlatform() == GameDisplay::Unavailable) return 1;
    if (const int refused = TakeGameLock()) return refused;
    plat::RunFolderLock runFolder;
    if (const int refused = TakeRunFolderLock(runFolder)) return refused;
    return RunGame(GameHooks());
}
