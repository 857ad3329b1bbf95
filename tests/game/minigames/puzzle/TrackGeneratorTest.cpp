// The board generator over many seeds of every town and level: each success one closed loop of
// matching kinds that some rotation of every tile closes and a vehicle drives round; failures
// leave nothing behind; the draws and results equal an independent model of the board's rules.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "engine/base/Random.h"
#include "game/minigames/puzzle/TrackGenerator.h"
#include "tests/game/minigames/puzzle/PuzzleTowns.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

using namespace puzzle;

/// The engine's random source needs its context.
class TrackGeneratorTest : public HeadlessTest {};

bool Adjacent(int16_t a, int16_t b) { return std::abs(a / 7 - b / 7) + std::abs(a % 7 - b % 7) == 1; }

/// Drives a model vehicle from the start by the exits and the entering rule; the cells it
/// visits before it is back at the start (at most twice the loop's length).
std::vector<int16_t> DriveRound(int16_t start, const std::array<TrackTile, kCells>& board, const std::vector<int>& rot,
                                const std::vector<int16_t>& loop) {
    auto rotationOf = [&](int16_t cell) {
        for (size_t i = 0; i < loop.size(); ++i)
            if (loop[i] == cell) return uint32_t(rot[i]);
        return 0u;
    };
    std::vector<int16_t> visited;
    int16_t cell = start;
    bool forward = true;
    for (size_t steps = 0; steps < 2 * loop.size(); ++steps) {
        const bool straight = board[size_t(cell)].straight != 0;
        const Direction exit = ExitOf(straight, rotationOf(cell), forward);
        const int16_t next = Neighbour(cell, exit);
        if (next == kNoCell || !board[size_t(next)].laid) return visited;
        const TileShape a{int16_t(cell / 7), int16_t(cell % 7), straight, rotationOf(cell)};
        const TileShape b{int16_t(next / 7), int16_t(next % 7), board[size_t(next)].straight != 0, rotationOf(next)};
        if (!Joins(a, b)) return visited;
        forward = EntersForward(b.straight, b.rotation, StepOf(exit));
        visited.push_back(next);
        cell = next;
        if (cell == start) break;
    }
    return visited;
}

TEST_F(TrackGeneratorTest, EverySuccessIsOneClosedLoopOfMatchingKindsThatTheSolverClosesAndAVehicleDrivesRound) {
    constexpr uint32_t kSeeds = 10000;
    for (const TownBoard& town : kTownBoards) {
        for (int level = 1; level <= 3; ++level) {
            int successes = 0, startOnlyWayBacks = 0;
            for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
                SCOPED_TRACE(testing::Message() << town.name << " level " << level << " seed " << seed);
                xSRand(seed);
                TrackGenerator g(RulesOf(town));
                const bool ok = g.GenerateTrack(LevelFactor(level));
                int laid = 0;
                for (const TrackTile& t : g.Board()) laid += t.laid;
                if (!ok) {
                    ASSERT_EQ(laid, 0);
                    continue;
                }
                ++successes;
                const std::vector<int16_t> loop = LoopOf(g);
                ASSERT_EQ(g.Walk().size(), size_t(7 + 8 * level - (level == 3 ? 1 : 0)));
                const int16_t start = g.Walk().front();
                ASSERT_TRUE(start / 7 >= 2 && start / 7 <= 4 && start % 7 >= 2 && start % 7 <= 4);
                ASSERT_EQ(g.WayBack().front(), start);
                startOnlyWayBacks += g.WayBack().size() == 1 ? 1 : 0;
                ASSERT_EQ(int(loop.size()), laid) << "a tile off the loop or a cell laid twice";
                ASSERT_EQ(loop.size() % 2, 0u);
                std::array<int, kCells> seen{};
                for (size_t i = 0; i < loop.size(); ++i) {
                    const int16_t cell = loop[i], before = loop[(i + loop.size() - 1) % loop.size()],
                                  after = loop[(i + 1) % loop.size()];
                    ASSERT_EQ(++seen[size_t(cell)], 1);
                    ASSERT_FALSE(g.IsReserved(cell));
                    ASSERT_TRUE(Adjacent(cell, after));
                    const bool straight = std::abs(before / 7 - after / 7) == 2 || std::abs(before % 7 - after % 7) == 2;
                    ASSERT_EQ(g.Board()[size_t(cell)].straight != 0, straight) << "cell " << cell;
                    ASSERT_LT(g.Board()[size_t(cell)].rotation, 4);
                }
                const std::vector<int> rotations = Solve(loop, g.Board());
                for (int r : rotations) ASSERT_GE(r, 0);
                const std::vector<int16_t> driven = DriveRound(start, g.Board(), rotations, loop);
                ASSERT_EQ(driven.size(), loop.size()) << "the model vehicle did not come round";
            }
            EXPECT_GT(successes, 0) << town.name << " level " << level;
            // Loops have even length, so the walk's end can neighbour the start only when the
            // walk has an even number of tiles: at level 3.
            if (level < 3) EXPECT_EQ(startOnlyWayBacks, 0) << town.name << " level " << level;
            else EXPECT_GT(startOnlyWayBacks, 0) << town.name;
        }
    }
}

TEST_F(TrackGeneratorTest, TheWalkMakesFifteenTwentyThreeOrThirtyMovesFromTheSinglePrecisionFactor) {
    const int32_t limits[] = {14, 22, 29};
    for (int level = 1; level <= 3; ++level) EXPECT_EQ(TrackGenerator::MoveLimit(LevelFactor(level)), limits[level - 1]);
}

TEST_F(TrackGeneratorTest, AWayBackThatFindsNoEndIsBoundedAndClearsTheBoard) {
    xSRand(3);
    TrackGenerator g(RulesOf(kTownBoards[0]));
    for (int i = 0; i < 100 && !g.GenerateTrack(LevelFactor(1)); ++i) {}
    ASSERT_FALSE(g.Walk().empty());
    // Distances with one positive cell beside the start and nothing lower after it: the way
    // back would step there and find no way on.
    std::array<int16_t, kCells> distances{};
    const int16_t start = g.Walk().front();
    for (uint8_t d = 0; d < 4; ++d) {
        const int16_t n = Neighbour(start, Direction(d));
        if (n != kNoCell && n != g.Walk()[1]) {
            distances[size_t(n)] = 5;
            break;
        }
    }
    EXPECT_FALSE(g.LayReturnRoad(distances));
    for (const TrackTile& t : g.Board()) EXPECT_EQ(t.laid, 0);
    // With no positive neighbour at all it fails at once.
    distances.fill(0);
    EXPECT_FALSE(g.LayReturnRoad(distances));
}

// ---- An independent model of the board's rules ---------------------------------------------

struct ModelCell {
    bool laid = false;
    bool straight = false;
    int rotation = 0;
    int art = 0;
};

class ModelBoard {
public:
    ModelBoard(const TownBoard& town, int straightArts, int curveArts, uint32_t seed)
        : town_(town), arts_{curveArts, straightArts}, state_(seed) {}

    bool Run(float factor) {
        int col = 2 + Rand() % 3;
        int row = 2 + Rand() % 3;
        int cur = row * 7 + col, prev = cur, before = cur;
        const int limit = int((long double)factor * 49 * 0.75L);
        std::vector<int> walk;
        const int dr[4] = {-1, 0, 1, 0}, dc[4] = {0, -1, 0, 1};
        for (int moves = 1;; ++moves) {
            before = prev;
            prev = cur;
            bool tried[4] = {};
            for (;;) {
                if (tried[0] && tried[1] && tried[2] && tried[3]) return Clear();
                const int d = Rand() % 4;
                tried[d] = true;
                const int r = cur / 7 + dr[d], c = cur % 7 + dc[d];
                if (r < 0 || r > 6 || c < 0 || c > 6 || Reserved(r * 7 + c) || cells[r * 7 + c].laid) continue;
                cur = r * 7 + c;
                break;
            }
            Lay(prev, before, cur);
            walk.push_back(prev);
            if (moves > limit) break;
        }
        // Flood from the end; north, south, west, east.
        const int order[4] = {0, 2, 1, 3};
        int dist[49];
        for (int i = 0; i < 49; ++i) dist[i] = cells[i].laid ? -1 : 0;
        const int end = walk.back(), start = walk.front();
        std::vector<int> stack{end};
        dist[end] = 1;
        while (!stack.empty()) {
            const int c = stack.back();
            stack.pop_back();
            if (dist[c] == 0) dist[c] = 10000;
            for (int d : order) {
                const int r = c / 7 + dr[d], cc = c % 7 + dc[d];
                if (r < 0 || r > 6 || cc < 0 || cc > 6) continue;
                const int n = r * 7 + cc;
                if (Reserved(n)) continue;
                if (n == start) {
                    int best = 15000, at = start, from = walk[1], next = -1;
                    for (;;) {
                        for (int e : order) {
                            const int rr = at / 7 + dr[e], ec = at % 7 + dc[e];
                            if (rr < 0 || rr > 6 || ec < 0 || ec > 6) continue;
                            if (dist[rr * 7 + ec] > 0 && dist[rr * 7 + ec] < best) {
                                best = dist[rr * 7 + ec];
                                next = rr * 7 + ec;
                            }
                        }
                        Lay(at, from, next);
                        if (best <= 1) break;
                        from = at;
                        at = next;
                    }
                    Lay(next, walk[walk.size() - 2], at);
                    return true;
                }
                if (dist[n] == 0) stack.push_back(n);
                else if (dist[n] > 0 && dist[n] <= dist[c]) dist[c] = dist[n] + 1;
            }
        }
        return Clear();
    }

    int NextDraw() { return Rand(); }
    ModelCell cells[49];

private:
    int Rand() {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFF);
    }
    bool Reserved(int cell) const {
        for (int i = 0; i < town_.reservedCount; ++i)
            if (town_.reserved[i] == cell) return true;
        return false;
    }
    bool Clear() {
        for (ModelCell& c : cells) c = ModelCell{};
        return false;
    }
    void Lay(int cell, int p, int n) {
        const bool straight = std::abs(p / 7 - n / 7) == 2 || std::abs(p % 7 - n % 7) == 2;
        cells[cell].art = Rand() % arts_[straight ? 1 : 0];
        cells[cell].straight = straight;
        cells[cell].rotation = Rand() % 4;
        cells[cell].laid = true;
    }

    TownBoard town_;
    int arts_[2];
    uint32_t state_;
};

TEST_F(TrackGeneratorTest, TheGeneratorLaysTheSameCellsKindsArtsAndRotationsAsAModelOfTheBoardsRules) {
    struct Arts {
        int straight, curve;
    };
    for (const Arts arts : {Arts{1, 1}, Arts{3, 2}}) {
        for (const TownBoard& town : kTownBoards) {
            for (int level = 1; level <= 3; ++level) {
                for (uint32_t seed = 1; seed <= 500; ++seed) {
                    SCOPED_TRACE(testing::Message() << town.name << " level " << level << " seed " << seed);
                    ModelBoard model(town, arts.straight, arts.curve, seed);
                    const bool modelOk = model.Run(LevelFactor(level));
                    xSRand(seed);
                    TrackGenerator g(RulesOf(town, arts.straight, arts.curve));
                    ASSERT_EQ(g.GenerateTrack(LevelFactor(level)), modelOk);
                    for (int c = 0; c < kCells; ++c) {
                        const TrackTile& t = g.Board()[size_t(c)];
                        ASSERT_EQ(t.laid != 0, model.cells[c].laid) << "cell " << c;
                        if (!t.laid) continue;
                        ASSERT_EQ(t.straight != 0, model.cells[c].straight) << "cell " << c;
                        ASSERT_EQ(int(t.rotation), model.cells[c].rotation) << "cell " << c;
                        ASSERT_EQ(int(t.art), model.cells[c].art) << "cell " << c;
                    }
                    // The next draw agrees too: both made the same number of draws.
                    ASSERT_EQ(xRand(), model.NextDraw());
                }
            }
        }
    }
}

} // namespace
} // namespace vqt::test
