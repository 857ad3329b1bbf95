// The board as tiles on the activity: a generated loop laid with its arts, places, priorities
// and rotations, a failed attempt leaving nothing, and clearing taking every tile off.
#include <gtest/gtest.h>

#include "engine/base/Random.h"
#include "game/minigames/puzzle/PuzzleBoard.h"
#include "tests/game/minigames/puzzle/PuzzleFixture.h"
#include "tests/game/minigames/puzzle/PuzzleTowns.h"

namespace vqt::test {
namespace {

class PuzzleBoardTest : public PuzzleFixture {
protected:
    /// The test arts: a straight of 8 states and a curve of 20 (to tell them apart).
    static constexpr ChunkId kStraight[] = {MakeChunkId(2, kStatesPart + 8)};
    static constexpr ChunkId kCurve[] = {MakeChunkId(2, kStatesPart + 20)};
    BoardLook Look() const { return {318, 56, kStraight, 1, kCurve, 1}; }
    int Children() const { return puzzle->ChildCount(); }
};

TEST_F(PuzzleBoardTest, ASuccessfulAttemptLaysEveryLoopCellAsATileOnTheActivity) {
    CPuzzleBoard board(puzzle);
    const int before = Children();
    xSRand(11);
    int attempts = 1;
    while (!board.GenerateTrack(LevelFactor(2), RulesOf(kTownBoards[1]), Look())) {
        EXPECT_EQ(board.TileCount(), 0);
        EXPECT_EQ(Children(), before) << "a failed attempt leaves nothing on the activity";
        ++attempts;
    }
    const puzzle::TrackGenerator* g = board.LastGenerator();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(board.TileCount(), int(g->Walk().size() + g->WayBack().size() - 1));
    EXPECT_EQ(Children(), before + board.TileCount());
    for (int16_t cell = 0; cell < puzzle::kCells; ++cell) {
        Puzzle_Piece* tile = board.At(cell);
        const puzzle::TrackTile& laid = g->Board()[size_t(cell)];
        ASSERT_EQ(tile != nullptr, laid.laid != 0) << cell;
        if (!tile) continue;
        const int16_t row = cell / 7, column = cell % 7;
        EXPECT_EQ(tile->GetRow(), row);
        EXPECT_EQ(tile->GetColumn(), column);
        EXPECT_EQ(tile->GetPosition(), CPointF(float((row - column) * 57 + 318), float((row + column) * 29 + 56)));
        EXPECT_EQ(tile->GetPriority(), cell * 5);
        EXPECT_EQ(tile->IsStraight(), laid.straight != 0);
        EXPECT_EQ(tile->GetRotation(), laid.rotation);
        EXPECT_EQ(tile->GetState(), int32_t(laid.rotation));
        EXPECT_EQ(tile->GetFrameCount(), 2);
        EXPECT_EQ(tile->GetCursorMode(), 1);
        ChunkId art = 0;
        tile->GetPartID(&art);
        EXPECT_EQ(art, laid.straight ? kStraight[0] : kCurve[0]);
        EXPECT_EQ(tile->GetParent(), puzzle);
    }
    board.ClearBoard();
    EXPECT_EQ(board.TileCount(), 0);
    EXPECT_EQ(Children(), before);
}

TEST_F(PuzzleBoardTest, CellsOffTheBoardHoldNoTile) {
    CPuzzleBoard board(puzzle);
    xSRand(5);
    while (!board.GenerateTrack(LevelFactor(1), RulesOf(kTownBoards[0]), Look())) {}
    for (const auto& [row, column] : {std::pair{-1, 3}, std::pair{7, 3}, std::pair{3, -1}, std::pair{3, 7}})
        EXPECT_EQ(board.At(row, column), nullptr);
    EXPECT_EQ(board.At(int16_t(-1)), nullptr);
    EXPECT_EQ(board.At(int16_t(49)), nullptr);
}

TEST_F(PuzzleBoardTest, ANewAttemptClearsTheTilesOfTheLastOne) {
    CPuzzleBoard board(puzzle);
    const int before = Children();
    xSRand(7);
    while (!board.GenerateTrack(LevelFactor(1), RulesOf(kTownBoards[2]), Look())) {}
    while (!board.GenerateTrack(LevelFactor(3), RulesOf(kTownBoards[2]), Look())) {}
    EXPECT_EQ(Children(), before + board.TileCount());
    EXPECT_GE(board.TileCount(), 30);
    board.ClearBoard();
}

} // namespace
} // namespace vqt::test
