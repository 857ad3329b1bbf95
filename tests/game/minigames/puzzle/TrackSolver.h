#pragma once
// A solver of generated boards: the loop in order and the rotations that close it.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "game/minigames/puzzle/TrackGenerator.h"

namespace vqt::test {

using namespace puzzle;

/// The loop in order: the walk from the start, then the way back reversed to the start.
inline std::vector<int16_t> LoopOf(const TrackGenerator& g) {
    std::vector<int16_t> loop = g.Walk();
    for (size_t i = g.WayBack().size(); i-- > 1;) loop.push_back(g.WayBack()[i]);
    return loop;
}

inline puzzle::Direction Toward(int16_t from, int16_t to) {
    for (uint8_t d = 0; d < 4; ++d)
        if (Neighbour(from, Direction(d)) == to) return Direction(d);
    ADD_FAILURE() << from << " and " << to << " are no neighbours";
    return kNorth;
}

/// The rotations that join every tile to its two loop neighbours (-1 where none does).
inline std::vector<int> Solve(const std::vector<int16_t>& loop, const std::array<TrackTile, kCells>& board) {
    std::vector<int> rotations;
    const size_t n = loop.size();
    for (size_t i = 0; i < n; ++i) {
        const int16_t cell = loop[i], before = loop[(i + n - 1) % n], after = loop[(i + 1) % n];
        int found = -1;
        for (uint32_t r = 0; r < 4 && found < 0; ++r) {
            const bool straight = board[size_t(cell)].straight != 0;
            if (HasExit(straight, r, Toward(cell, before)) && HasExit(straight, r, Toward(cell, after))) found = int(r);
        }
        rotations.push_back(found);
    }
    return rotations;
}

} // namespace vqt::test
