// Entry of the game executable: picks the platform's backend (a real window through SDL2 and the
// system's printer where a display can be opened, else headless with the wall clock) and runs
// the engine's start-up with the game's hooks.
#include "game/minigames/GameSession.h"

int main() {
    UseGamePlatform();
    return RunGame(GameHooks());
}
