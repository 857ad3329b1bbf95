// Entry of the game executable: picks the platform's backend (a real window through SDL2 and the
// system's printer where a display is named and opens, else headless with the wall clock; a named
// display that does not open ends the program) and runs the engine's start-up with the game's
// hooks.
#include "game/minigames/GameSession.h"

int main() {
    if (UseGamePlatform() == GameDisplay::Unavailable) return 1;
    return RunGame(GameHooks());
}
