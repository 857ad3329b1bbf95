#include "game/minigames/GameClasses.h"

#include "game/minigames/arcade/ArcadeClasses.h"
#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/world/WorldClasses.h"

void xGame_RegisterClasses() {
    xWorld_RegisterClasses();
    xArcade_RegisterClasses();
    xPuzzle_RegisterClasses();
    xRoundUp_RegisterClasses();
}
