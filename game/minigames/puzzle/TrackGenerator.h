#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "game/minigames/puzzle/PuzzleTrack.h"

namespace puzzle {

/// One cell of a generated board: whether a tile lies there, its kind, rotation and the index
/// of its art in the straight or curve list (kNoArt when the list is empty).
struct TrackTile {
    static constexpr uint8_t kNoArt = 0xFF;
    uint8_t laid = 0;
    uint8_t straight = 0;
    uint8_t rotation = 0;
    uint8_t art = kNoArt;
};

/// What a town gives the generator: the cells no track may enter and how many arts each kind
/// has to choose from.
struct TrackRules {
    const int16_t* reserved = nullptr;
    int32_t reservedCount = 0;
    int32_t straightArts = 1;
    int32_t curveArts = 1;
};

/// Lays one random closed loop of track on the 7 x 7 board, drawing from xRand in the board's
/// fixed order: a self-avoiding walk from a cell near the middle, a flood of distances from its
/// last tile, and a way back down those distances to its first one. Every tile is laid joined
/// to its two loop neighbours but turned to a random quarter. A failed attempt leaves the board
/// empty; the caller tries again.
class TrackGenerator {
public:
    /// The longest way back: a way that has not reached the walk's end after as many steps as
    /// the board has cells is a failed attempt.
    static constexpr int32_t kMaxReturnSteps = kCells;

    explicit TrackGenerator(const TrackRules& rules) : rules_(rules) {}

    /// One attempt with the length factor (the walk makes trunc(factor x 49 x 0.75) + 1
    /// moves); false, with the board cleared, when the walk boxed itself in, the flood missed
    /// the start or the way back ran too long.
    bool GenerateTrack(float factor);
    /// The flood from the walk's last tile; on meeting the start, the way back.
    bool FloodFromEnd();
    /// The way back from the start down the distances to the walk's last tile.
    bool LayReturnRoad(const std::array<int16_t, kCells>& distances);
    void ClearBoard();

    const std::array<TrackTile, kCells>& Board() const { return board_; }
    /// The walk's cells in the order laid (its first is the start).
    const std::vector<int16_t>& Walk() const { return walk_; }
    /// The cells the way back laid, from the start on (the walk's last tile not counted).
    const std::vector<int16_t>& WayBack() const { return wayBack_; }
    bool IsReserved(int16_t cell) const;
    /// The walk's move limit for a length factor: 14, 22 and 29 for levels 1, 2 and 3.
    static int32_t MoveLimit(float factor);

private:
    /// A tile at `cell` between its loop neighbours `before` and `after`, with a drawn art and
    /// rotation.
    void Lay(int16_t cell, int16_t before, int16_t after);

    TrackRules rules_;
    std::array<TrackTile, kCells> board_{};
    std::vector<int16_t> walk_;
    std::vector<int16_t> wayBack_;
    std::vector<int16_t> stack_;
};

} // namespace puzzle
