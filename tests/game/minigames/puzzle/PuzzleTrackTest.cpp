// The board's exit rules: the exit table by kind and rotation, the quarter-turn law, the join
// of two tiles over every kind, rotation and placement, the side a tile is left by after
// entering it, and the headings a tile gives the vehicle.
#include <gtest/gtest.h>

#include "game/minigames/puzzle/PuzzleTrack.h"

namespace vqt::test {
namespace {

using namespace puzzle;

TEST(PuzzleTrackTest, TheExitsOfEachKindAndRotationAreThoseOfTheTable) {
    struct Row {
        bool straight;
        uint32_t rotation;
        Direction forward, back;
    };
    const Row table[] = {
        {true, 0, kSouth, kNorth}, {true, 1, kEast, kWest},   {true, 2, kNorth, kSouth}, {true, 3, kWest, kEast},
        {false, 0, kEast, kNorth}, {false, 1, kNorth, kWest}, {false, 2, kWest, kSouth}, {false, 3, kSouth, kEast},
    };
    for (const Row& row : table) {
        EXPECT_EQ(ExitOf(row.straight, row.rotation, true), row.forward) << row.straight << " " << row.rotation;
        EXPECT_EQ(ExitOf(row.straight, row.rotation, false), row.back) << row.straight << " " << row.rotation;
        // A quarter turn moves every exit east to north, north to west, west to south, south to east.
        for (const bool forward : {true, false})
            EXPECT_EQ(ExitOf(row.straight, row.rotation + 1, forward), QuarterTurn(ExitOf(row.straight, row.rotation, forward)));
    }
}

/// Every pair of tiles (kinds and rotations) at every placement within two cells.
template <class Check>
void ForEveryPair(Check check) {
    for (const bool sa : {true, false})
        for (const bool sb : {true, false})
            for (uint32_t ra = 0; ra < 4; ++ra)
                for (uint32_t rb = 0; rb < 4; ++rb)
                    for (int16_t dr = -2; dr <= 2; ++dr)
                        for (int16_t dc = -2; dc <= 2; ++dc)
                            check(TileShape{3, 3, sa, ra}, TileShape{int16_t(3 + dr), int16_t(3 + dc), sb, rb});
}

TEST(PuzzleTrackTest, TwoTilesJoinExactlyWhenTheyAreNeighboursWithExitsTowardEachOther) {
    int joined = 0;
    ForEveryPair([&](const TileShape& a, const TileShape& b) {
        bool expected = false;
        for (uint8_t d = 0; d < 4; ++d) {
            const Direction toward = Direction(d);
            if (b.row - a.row == StepOf(toward).dr && b.column - a.column == StepOf(toward).dc)
                expected = HasExit(a.straight, a.rotation, toward) && HasExit(b.straight, b.rotation, Opposite(toward));
        }
        EXPECT_EQ(Joins(a, b), expected) << a.straight << a.rotation << " " << b.straight << b.rotation << " at "
                                         << b.row - a.row << "," << b.column - a.column;
        EXPECT_EQ(Joins(a, b), Joins(b, a));
        joined += expected ? 1 : 0;
    });
    EXPECT_GT(joined, 0);
}

TEST(PuzzleTrackTest, TurningBothTilesAndTheirPlacementTogetherKeepsTheirJoin) {
    // A quarter turn of the board maps a step (dr, dc) to the step of the turned direction.
    auto turnStep = [](int16_t dr, int16_t dc) {
        for (uint8_t d = 0; d < 4; ++d)
            if (StepOf(Direction(d)).dr == dr && StepOf(Direction(d)).dc == dc) return StepOf(QuarterTurn(Direction(d)));
        return CellStep{dr, dc};
    };
    ForEveryPair([&](const TileShape& a, const TileShape& b) {
        if (std::abs(b.row - a.row) + std::abs(b.column - a.column) != 1) return;
        const CellStep turned = turnStep(int16_t(b.row - a.row), int16_t(b.column - a.column));
        const TileShape ta{a.row, a.column, a.straight, a.rotation + 1};
        const TileShape tb{int16_t(a.row + turned.dr), int16_t(a.column + turned.dc), b.straight, b.rotation + 1};
        EXPECT_EQ(Joins(ta, tb), Joins(a, b));
    });
}

TEST(PuzzleTrackTest, TheBoardsExamplesOfJoiningTiles) {
    struct Case {
        TileShape a, b;
        bool joins;
    };
    const Case cases[] = {
        {{3, 2, true, 1}, {3, 3, true, 3}, true},    // two straights across one row
        {{3, 2, true, 0}, {3, 3, true, 1}, false},   // one of them turned along the column
        {{3, 3, false, 0}, {2, 3, true, 0}, true},   // a curve to a straight north of it
        {{3, 3, false, 0}, {2, 3, true, 2}, true},
        {{3, 3, false, 0}, {3, 4, true, 1}, true},   // and to a tile east of it with a west exit
        {{3, 3, false, 0}, {3, 4, false, 1}, true},
        {{3, 3, false, 0}, {3, 4, false, 0}, false}, // a curve to the east without one
        {{3, 3, true, 0}, {3, 3, true, 0}, false},   // the same cell
        {{3, 3, false, 0}, {2, 4, false, 2}, false}, // a diagonal
        {{3, 3, true, 0}, {5, 3, true, 0}, false},   // a cell between
    };
    for (const Case& c : cases) EXPECT_EQ(Joins(c.a, c.b), c.joins) << c.b.row << "," << c.b.column;
}

TEST(PuzzleTrackTest, ATileEnteredThroughAnExitIsLeftByTheOtherOne) {
    for (const bool straight : {true, false}) {
        for (uint32_t r = 0; r < 4; ++r) {
            for (const bool forward : {true, false}) {
                // Entering through this exit means moving in the opposite direction.
                const Direction entry = ExitOf(straight, r, forward);
                const bool leavesForward = EntersForward(straight, r, StepOf(Opposite(entry)));
                EXPECT_NE(ExitOf(straight, r, leavesForward), entry) << straight << " " << r;
                EXPECT_EQ(leavesForward, !forward) << straight << " " << r;
            }
        }
    }
}

TEST(PuzzleTrackTest, TheHeadingOnATileIsHalfATurnApartByDirectionAndFollowsTheTilesQuarterTurns) {
    for (const bool straight : {true, false}) {
        for (uint32_t r = 0; r < 4; ++r) {
            for (const bool forward : {true, false}) {
                const int32_t heading = HeadingOnTile(straight, r, forward);
                EXPECT_TRUE(heading >= 0 && heading < 32);
                EXPECT_EQ((heading - HeadingOnTile(straight, r, !forward) + 32) % 32, 16) << straight << r;
                // A quarter turn of the tile is a quarter of the vehicle's 32 headings.
                EXPECT_EQ((heading - HeadingOnTile(straight, r + 1, forward) + 32) % 32, 8) << straight << r;
            }
        }
        // Straights point between the curves' headings.
        EXPECT_EQ(HeadingOnTile(straight, 0, true) % 8, straight ? 4 : 0);
    }
}

TEST(PuzzleTrackTest, NeighboursOffTheBoardDoNotExist) {
    EXPECT_EQ(Neighbour(CellOf(0, 3), kNorth), kNoCell);
    EXPECT_EQ(Neighbour(CellOf(3, 0), kWest), kNoCell);
    EXPECT_EQ(Neighbour(CellOf(6, 3), kSouth), kNoCell);
    EXPECT_EQ(Neighbour(CellOf(3, 6), kEast), kNoCell);
    EXPECT_EQ(Neighbour(CellOf(3, 3), kEast), CellOf(3, 4));
    EXPECT_EQ(Neighbour(CellOf(3, 3), kNorth), CellOf(2, 3));
}

} // namespace
} // namespace vqt::test
