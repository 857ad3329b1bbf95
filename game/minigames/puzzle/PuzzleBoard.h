#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/puzzle/TrackGenerator.h"

class ONode;
class Puzzle_Piece;

/// How a town draws its board: the origin of the isometric diamond and the arts of each kind.
struct BoardLook {
    int16_t x0 = 0;
    int16_t y0 = 0;
    const ChunkId* straightArts = nullptr;
    int32_t straightCount = 0;
    const ChunkId* curveArts = nullptr;
    int32_t curveCount = 0;
};

/// The 49 cells of the puzzle board and the tiles lying on them, children of the activity
/// that owns the board. A generated loop becomes tiles with their arts, rotations, places and
/// draw priorities; clearing deletes them.
class CPuzzleBoard {
public:
    /// A step south is 57 pixels right and 29 down; a step east 57 left and 29 down.
    static constexpr int16_t kStepX = 57, kStepY = 29;

    explicit CPuzzleBoard(ONode* owner) : owner_(owner) {}
    CPuzzleBoard(const CPuzzleBoard&) = delete;
    CPuzzleBoard& operator=(const CPuzzleBoard&) = delete;

    /// One attempt of the generator; on success its loop is laid as tiles. False (the board
    /// empty) when the attempt failed.
    bool GenerateTrack(float factor, const puzzle::TrackRules& rules, const BoardLook& look);
    /// Removes every tile from the owner and deletes it.
    void ClearBoard();

    Puzzle_Piece* At(int16_t cell) const { return cell >= 0 && cell < puzzle::kCells ? tiles_[size_t(cell)] : nullptr; }
    Puzzle_Piece* At(int32_t row, int32_t column) const {
        return puzzle::OnBoard(row, column) ? tiles_[size_t(puzzle::CellOf(row, column))] : nullptr;
    }
    int32_t TileCount() const;
    /// The generator of the last attempt (its walk and way back).
    const puzzle::TrackGenerator* LastGenerator() const { return generator_.has_value() ? &*generator_ : nullptr; }

    /// Where the tile of a cell stands.
    static CPointF CellPosition(int32_t row, int32_t column, const BoardLook& look) {
        return CPointF(float((row - column) * kStepX + look.x0), float((row + column) * kStepY + look.y0));
    }

private:
    void Lay(int16_t cell, const puzzle::TrackTile& laid, const BoardLook& look);

    ONode* owner_;
    std::array<Puzzle_Piece*, puzzle::kCells> tiles_{};
    std::optional<puzzle::TrackGenerator> generator_;
};
