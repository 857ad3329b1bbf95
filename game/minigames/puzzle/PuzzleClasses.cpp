#include "game/minigames/puzzle/PuzzleClasses.h"

#include <new>

#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/TLVFactory.h"

namespace {

template <class Prop>
OView* MakeProp() {
    return new (std::nothrow) Prop;
}

} // namespace

void xPuzzle_RegisterClasses() { xTLVFactory_Register({Puzzle_Piece::kClassId, nullptr, &MakeProp<Puzzle_Piece>}); }
