#include "game/minigames/puzzle/PuzzleClasses.h"

#include <new>

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

} // namespace

void xPuzzle_RegisterClasses() {
    xTLVFactory_Register({Puzzle_Piece::kClassId, nullptr, &MakeProp<Puzzle_Piece>});
    xTLVFactory_Register({Puzzle_Dweeble::kClassId, nullptr, &MakeProp<Puzzle_Dweeble>});
    xTLVFactory_Register({Puzzle_Crowd::kClassId, nullptr, &MakeProp<Puzzle_Crowd>});
    xTLVFactory_Register({Puzzle_Go_Button::kClassId, nullptr, &MakeProp<Puzzle_Go_Button>});
}
