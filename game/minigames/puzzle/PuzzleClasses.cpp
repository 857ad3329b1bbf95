#include "game/minigames/puzzle/PuzzleClasses.h"

#include <new>

#include "game/minigames/puzzle/GPMetropolisActivity.h"
#include "game/minigames/puzzle/GPToonActivity.h"
#include "game/minigames/puzzle/GPZooActivity.h"
#include "game/minigames/puzzle/PuzzleCrowd.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/TLVFactory.h"

namespace {

template <class Prop>
OView* MakeProp() {
    return new (std::nothrow) Prop;
}

template <class Puzzle>
OActivity* MakePuzzle() {
    return new (std::nothrow) Puzzle;
}

} // namespace

void xPuzzle_RegisterClasses() {
    xTLVFactory_Register({GPToon_Activity::kClassId, &MakePuzzle<GPToon_Activity>, nullptr});
    xTLVFactory_Register({GPZoo_Activity::kClassId, &MakePuzzle<GPZoo_Activity>, nullptr});
    xTLVFactory_Register({GPMetropolis_Activity::kClassId, &MakePuzzle<GPMetropolis_Activity>, nullptr});
    xTLVFactory_Register({Puzzle_Piece::kClassId, nullptr, &MakeProp<Puzzle_Piece>});
    xTLVFactory_Register({Puzzle_Dweeble::kClassId, nullptr, &MakeProp<Puzzle_Dweeble>});
    xTLVFactory_Register({Puzzle_Crowd::kClassId, nullptr, &MakeProp<Puzzle_Crowd>});
    xTLVFactory_Register({Puzzle_Go_Button::kClassId, nullptr, &MakeProp<Puzzle_Go_Button>});
}
