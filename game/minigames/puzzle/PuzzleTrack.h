#pragma once
#include <cstdint>

/// The rules of the puzzle's 7 x 7 board that need no props: cells, the two exits of a track
/// tile by kind and rotation, the join of two tiles, the side a vehicle or person leaves a tile
/// by, and the vehicle heading a tile gives.
namespace puzzle {

constexpr int16_t kSide = 7;
constexpr int16_t kCells = kSide * kSide;
constexpr int16_t kNoCell = -1;

/// Grid directions, in the order the walk draws them; a quarter turn of a tile moves each
/// exit to the next one (east to north, north to west, west to south, south to east).
enum Direction : uint8_t { kNorth = 0, kWest = 1, kSouth = 2, kEast = 3 };

struct CellStep {
    int16_t dr;
    int16_t dc;
};

constexpr CellStep StepOf(Direction d) {
    constexpr CellStep steps[4] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    return steps[d & 3];
}
constexpr Direction Opposite(Direction d) { return Direction((d + 2) & 3); }
constexpr Direction QuarterTurn(Direction d) { return Direction((d + 1) & 3); }

constexpr bool OnBoard(int32_t row, int32_t column) { return row >= 0 && row < kSide && column >= 0 && column < kSide; }
constexpr int16_t CellOf(int32_t row, int32_t column) { return int16_t(row * kSide + column); }
/// The neighbour of a cell in a direction, or kNoCell off the board.
constexpr int16_t Neighbour(int16_t cell, Direction d) {
    const int32_t row = cell / kSide + StepOf(d).dr, column = cell % kSide + StepOf(d).dc;
    return OnBoard(row, column) ? CellOf(row, column) : kNoCell;
}

/// The exit a tile is left by: the forward one with the direction flag set, else the back one.
constexpr Direction ExitOf(bool straight, uint32_t rotation, bool forward) {
    const uint32_t base = straight ? (forward ? kSouth : kNorth) : (forward ? kEast : kNorth);
    return Direction((base + rotation) & 3);
}
constexpr bool HasExit(bool straight, uint32_t rotation, Direction d) {
    return ExitOf(straight, rotation, true) == d || ExitOf(straight, rotation, false) == d;
}

/// One tile as the join test sees it.
struct TileShape {
    int16_t row;
    int16_t column;
    bool straight;
    uint32_t rotation;
};

/// Whether two tiles are orthogonal neighbours with an exit toward each other.
bool Joins(const TileShape& a, const TileShape& b);

/// The direction flag after entering a tile by the step (dr, dc): set when the tile is to be
/// left by its forward exit, which is the one it was not entered by.
bool EntersForward(bool straight, uint32_t rotation, CellStep step);

/// The vehicle's resting state (heading of state group 0) on a tile.
int32_t HeadingOnTile(bool straight, uint32_t rotation, bool forward);

} // namespace puzzle
