#include "game/minigames/puzzle/TrackGenerator.h"

#include <cstdlib>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"

namespace puzzle {

namespace {

/// The flood's own order of neighbours.
constexpr Direction kFloodOrder[4] = {kNorth, kSouth, kWest, kEast};
/// A flood that pops this many cells has gone wrong; it counts as a failed attempt.
constexpr size_t kMaxFloodPops = 4096;
constexpr int16_t kOpenCell = 10000;
constexpr int16_t kNoBest = 15000;

int32_t Below(int32_t n) { return xRand() % n; }

} // namespace

int32_t TrackGenerator::MoveLimit(float factor) {
    return int32_t(static_cast<long double>(factor) * 49 * 0.75L);
}

bool TrackGenerator::IsReserved(int16_t cell) const {
    for (int32_t i = 0; i < rules_.reservedCount; ++i)
        if (rules_.reserved[i] == cell) return true;
    return false;
}

void TrackGenerator::ClearBoard() {
    board_.fill(TrackTile{});
}

void TrackGenerator::Lay(int16_t cell, int16_t before, int16_t after) {
    TrackTile& tile = board_[size_t(cell)];
    const bool straight = std::abs(before / kSide - after / kSide) == 2 || std::abs(before % kSide - after % kSide) == 2;
    const int32_t arts = straight ? rules_.straightArts : rules_.curveArts;
    tile.art = arts > 0 ? uint8_t(Below(arts)) : TrackTile::kNoArt;
    tile.straight = straight ? 1 : 0;
    tile.rotation = uint8_t(Below(4));
    tile.laid = 1;
}

bool TrackGenerator::GenerateTrack(float factor) {
    walk_.clear();
    wayBack_.clear();
    const int32_t column = 2 + Below(3);
    const int32_t row = 2 + Below(3);
    const int32_t limit = MoveLimit(factor);
    int16_t current = CellOf(row, column), previous = current, before = current;
    int32_t moves = 0;
    do {
        before = previous;
        previous = current;
        ++moves;
        bool tried[4] = {};
        for (;;) {
            if (tried[0] && tried[1] && tried[2] && tried[3]) {
                ClearBoard();
                return false;
            }
            const int32_t d = Below(4);
            tried[d] = true;
            const int16_t next = Neighbour(current, Direction(d));
            if (next != kNoCell && !IsReserved(next) && !board_[size_t(next)].laid) {
                current = next;
                break;
            }
        }
        Lay(previous, before, current);
        walk_.push_back(previous);
    } while (moves <= limit);
    return FloodFromEnd();
}

bool TrackGenerator::FloodFromEnd() {
    std::array<int16_t, kCells> distance{};
    for (int16_t c = 0; c < kCells; ++c) distance[size_t(c)] = board_[size_t(c)].laid ? -1 : 0;
    const int16_t end = walk_.back(), start = walk_.front();
    stack_.clear();
    stack_.push_back(end);
    distance[size_t(end)] = 1;
    for (size_t pops = 0; !stack_.empty() && pops < kMaxFloodPops; ++pops) {
        const int16_t c = stack_.back();
        stack_.pop_back();
        int16_t& here = distance[size_t(c)];
        if (here == 0) here = kOpenCell;
        for (Direction d : kFloodOrder) {
            const int16_t n = Neighbour(c, d);
            if (n == kNoCell || IsReserved(n)) continue;
            if (n == start) return LayReturnRoad(distance);
            const int16_t there = distance[size_t(n)];
            if (there == 0) {
                stack_.push_back(n);
            } else if (there > 0 && there <= here) {
                here = int16_t(there + 1);
            }
        }
    }
    ClearBoard();
    return false;
}

bool TrackGenerator::LayReturnRoad(const std::array<int16_t, kCells>& distances) {
    if (walk_.size() < 2) {
        ClearBoard();
        return false;
    }
    const int16_t start = walk_.front();
    int16_t best = kNoBest, current = start, previous = walk_[1], next = kNoCell;
    for (int32_t steps = 0;; ++steps) {
        if (steps == kMaxReturnSteps) {
            xTracef("Puzzle track : the way back found no end in %d steps; the board is laid again\n",
                    int(kMaxReturnSteps));
            ClearBoard();
            return false;
        }
        for (Direction d : kFloodOrder) {
            const int16_t n = Neighbour(current, d);
            if (n != kNoCell && distances[size_t(n)] > 0 && distances[size_t(n)] < best) {
                best = distances[size_t(n)];
                next = n;
            }
        }
        if (next == kNoCell) {
            ClearBoard();
            return false;
        }
        Lay(current, previous, next);
        wayBack_.push_back(current);
        if (best <= 1) break;
        previous = current;
        current = next;
    }
    Lay(next, walk_[walk_.size() - 2], current);
    return true;
}

} // namespace puzzle
