#include "game/minigames/puzzle/PuzzleTrack.h"

namespace puzzle {

bool Joins(const TileShape& a, const TileShape& b) {
    const int32_t dr = b.row - a.row, dc = b.column - a.column;
    for (uint8_t d = 0; d < 4; ++d) {
        const Direction toward = Direction(d);
        if (StepOf(toward).dr == dr && StepOf(toward).dc == dc)
            return HasExit(a.straight, a.rotation & 3, toward) && HasExit(b.straight, b.rotation & 3, Opposite(toward));
    }
    return false;
}

bool EntersForward(bool straight, uint32_t rotation, CellStep step) {
    switch (rotation & 3) {
    case 0: return step.dr == 1;
    case 1: return straight ? step.dc == 1 : step.dr != 1;
    case 2: return straight ? step.dr != 1 : step.dr == -1;
    default: return straight ? step.dc != 1 : step.dc == -1;
    }
}

int32_t HeadingOnTile(bool straight, uint32_t rotation, bool forward) {
    constexpr int32_t kCurve[2][4] = {{16, 8, 0, 24}, {0, 24, 16, 8}};
    constexpr int32_t kStraight[2][4] = {{20, 12, 4, 28}, {4, 28, 20, 12}};
    return (straight ? kStraight : kCurve)[forward ? 1 : 0][rotation & 3];
}

} // namespace puzzle
