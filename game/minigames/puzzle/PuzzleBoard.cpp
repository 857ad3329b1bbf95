#include "game/minigames/puzzle/PuzzleBoard.h"

#include <new>

#include "engine/base/Trace.h"
#include "engine/core/Node.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/TLVApp.h"

bool CPuzzleBoard::GenerateTrack(float factor, const puzzle::TrackRules& rules, const BoardLook& look) {
    ClearBoard();
    generator_.emplace(rules);
    if (!generator_->GenerateTrack(factor)) return false;
    for (int16_t cell = 0; cell < puzzle::kCells; ++cell) {
        const puzzle::TrackTile& laid = generator_->Board()[size_t(cell)];
        if (laid.laid) Lay(cell, laid, look);
    }
    return true;
}

void CPuzzleBoard::Lay(int16_t cell, const puzzle::TrackTile& laid, const BoardLook& look) {
    auto* tile = new (std::nothrow) Puzzle_Piece("Puzzle_Piece", Puzzle_Piece::kClassId);
    if (!tile) {
        xTracef("Puzzle board : no memory for the tile of cell %d\n", int(cell));
        return;
    }
    tiles_[size_t(cell)] = tile;
    const ChunkId* arts = laid.straight ? look.straightArts : look.curveArts;
    const int32_t count = laid.straight ? look.straightCount : look.curveCount;
    CPartFile* partFile = GamePartFile();
    if (arts && laid.art < count && partFile) tile->SetPartID(partFile, arts[laid.art], 0);
    tile->SetStraight(laid.straight != 0);
    tile->SetRotation(laid.rotation);
    const int16_t row = cell / puzzle::kSide, column = cell % puzzle::kSide;
    tile->SetPriority(cell * 5);
    tile->SetPosition(CellPosition(row, column, look), 0, 1);
    tile->SetCell(row, column);
    tile->SetCursorMode(1);
    tile->SetLocked(false);
    if (owner_) owner_->AddChild(tile);
}

void CPuzzleBoard::ClearBoard() {
    for (Puzzle_Piece*& tile : tiles_) {
        if (!tile) continue;
        Puzzle_Piece* gone = tile;
        tile = nullptr;
        if (owner_) owner_->RemoveChild(gone);
        delete gone;
    }
}

int32_t CPuzzleBoard::TileCount() const {
    int32_t count = 0;
    for (const Puzzle_Piece* tile : tiles_) count += tile ? 1 : 0;
    return count;
}
