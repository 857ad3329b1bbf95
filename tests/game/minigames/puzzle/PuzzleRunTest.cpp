// The puzzle vehicle's run on a generated and solved board, against a model of its timing on
// 10 and 16 ms frames: where it stands at every step, one heading per step through curves, the
// tile-to-tile period, the go delay after a turn of its tile, every kind of dead end and the
// props that give way to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "engine/base/Random.h"
#include "game/minigames/puzzle/PuzzleBoard.h"
#include "game/minigames/puzzle/PuzzleRun.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/puzzle/PuzzleFixture.h"
#include "tests/game/minigames/puzzle/PuzzleTowns.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"

namespace vqt::test {
namespace {

/// What the run told the activity, with the clock's tick.
class RunSpy : public CPuzzleRunHost {
public:
    explicit RunSpy(std::function<uint32_t()> clock) : clock_(clock) {}
    void OnPersonReached(OActivityProp* person) override { reached.push_back(person); }
    void OnVehicleStep() override { ++steps; }
    void OnAdvanceStarted() override { advances.push_back(clock_()); }
    void OnDeadEnd() override { ++deadEnds; }
    void OnStoppedOnTile() override { ++stops; }

    std::vector<OActivityProp*> reached;
    int steps = 0;
    std::vector<uint32_t> advances;
    int deadEnds = 0;
    int stops = 0;

private:
    std::function<uint32_t()> clock_;
};

class PuzzleRunTest : public PuzzleFixture {
protected:
    static constexpr ChunkId kArt[] = {MakeChunkId(2, kStatesPart + 8)};

    void SetUp() override {
        PuzzleFixture::SetUp();
        board = std::make_unique<CPuzzleBoard>(puzzle);
        Reset();
    }
    void TearDown() override {
        Reset();
        PuzzleFixture::TearDown();
    }
    /// A new run on an empty board without a vehicle.
    void Reset() {
        run.reset();
        board->ClearBoard();
        if (vehicle) {
            puzzle->RemoveChild(vehicle);
            delete vehicle;
            vehicle = nullptr;
        }
        spy = std::make_unique<RunSpy>([this] { return clock().TickCount(); });
        run = std::make_unique<CPuzzleRun>(*board, *spy);
        puzzle->onGoDelay = [this] { run->RestartGoDelay(); };
    }
    /// A level-2 circus board of the seed with every tile turned to close the loop, the
    /// vehicle resting on the start tile; the loop in the order the vehicle drives it.
    std::vector<int16_t> SolvedBoard(uint32_t seed) {
        xSRand(seed);
        const BoardLook look{318, 56, kArt, 1, kArt, 1};
        while (!board->GenerateTrack(LevelFactor(2), RulesOf(kTownBoards[0]), look)) {}
        std::vector<int16_t> loop = LoopOf(*board->LastGenerator());
        const std::vector<int> rotations = Solve(loop, board->LastGenerator()->Board());
        for (size_t i = 0; i < loop.size(); ++i) board->At(loop[i])->SetRotation(uint32_t(rotations[i]));
        vehicle = Place(new VIsometric, kVehicleStates);
        vehicle->Halt();
        run->SetGoDelay(CPuzzleRun::kGoDelayMs);
        run->RestartGoDelay();
        run->Place(vehicle, board->At(loop[0]));
        // The vehicle leaves the start by its forward exit: drive the loop that way round.
        if (Neighbour(loop[0], board->At(loop[0])->Exit(true)) != loop[1]) std::reverse(loop.begin() + 1, loop.end());
        return loop;
    }
    /// A frame of the puzzle: the props' steps, then the vehicle's priority and its run.
    void Frame(uint32_t ms) {
        Frames(1, ms);
        run->UpdateVehiclePriority();
        run->Frame();
    }
    /// Turns the start tile until its forward exit leads to a cell without a tile; false when
    /// every exit leads to one.
    bool TurnToEmptyCell() {
        Puzzle_Piece* start = run->Current();
        for (int r = 0; r < 4; ++r) {
            if (!Ahead()) {
                run->SetVehicleHeading();
                return true;
            }
            start->SetRotation(start->GetRotation() + 1);
        }
        return false;
    }
    /// The tile the vehicle leaves the start tile toward.
    Puzzle_Piece* Ahead() {
        const Puzzle_Piece* start = run->Current();
        const CellStep step = StepOf(start->Exit(run->IsForward()));
        return board->At(start->GetRow() + step.dr, start->GetColumn() + step.dc);
    }

    std::unique_ptr<CPuzzleBoard> board;
    std::unique_ptr<RunSpy> spy;
    std::unique_ptr<CPuzzleRun> run;
    VIsometric* vehicle = nullptr;
};

/// The driving step of one period: the first frame more than 33 ms after the last.
uint32_t StepPeriod(uint32_t frameMs) { return (CPuzzleRun::kStepMs / frameMs + 1) * frameMs; }

TEST_F(PuzzleRunTest, TheVehicleDrivesRoundTheSolvedLoopStepByStepAsTheModelSays) {
    for (const uint32_t frameMs : {10u, 16u}) {
        SCOPED_TRACE(frameMs);
        const std::vector<int16_t> loop = SolvedBoard(21 + frameMs);
        run->SetMoving(true);
        const uint32_t placed = clock().TickCount();
        int32_t lastHeading = vehicle->GetState();
        size_t at = 0;
        int lastSteps = 0;
        while (at < loop.size() && clock().TickCount() - placed < 60000) {
            Frame(frameMs);
            const int32_t heading = vehicle->GetState();
            const int32_t turn = (heading - lastHeading + 32) % 32;
            ASSERT_TRUE(turn == 0 || turn == 1 || turn == 31)
                << "the heading jumped from " << lastHeading << " to " << heading << " at step " << run->GetStep()
                << " on " << (run->Current()->IsStraight() ? "straight " : "curve ") << run->Current()->GetRotation()
                << (run->IsForward() ? " forward" : " back") << " tile " << at;
            lastHeading = heading;
            ASSERT_GT(vehicle->GetPriority(), run->Current()->GetPriority());
            if (spy->steps != lastSteps) {
                lastSteps = spy->steps;
                // The step just driven: s of 30 of the way from this loop tile to the next.
                const int32_t s = run->GetStep() == 1 ? CPuzzleRun::kSteps : run->GetStep() - 1;
                const CPointF from = board->At(loop[at])->GetPosition();
                const CPointF to = board->At(loop[(at + 1) % loop.size()])->GetPosition();
                EXPECT_FLOAT_EQ(vehicle->GetPosition().x, from.x + (to.x - from.x) * float(s) / 30.0f);
                EXPECT_FLOAT_EQ(vehicle->GetPosition().y, from.y + (to.y - from.y) * float(s) / 30.0f - 10.0f);
                EXPECT_EQ(vehicle->GetCurrentFrame(), s % 2);
                if (s == CPuzzleRun::kSteps) ++at;
            }
        }
        ASSERT_EQ(at, loop.size()) << "the vehicle did not come round";
        ASSERT_EQ(spy->deadEnds, 0);
        // The first advance waits the go delay; then one tile takes 30 steps and a frame.
        ASSERT_GE(spy->advances.size(), loop.size());
        EXPECT_GT(spy->advances[0] - placed, uint32_t(CPuzzleRun::kGoDelayMs));
        EXPECT_LE(spy->advances[0] - placed, uint32_t(CPuzzleRun::kGoDelayMs) + frameMs);
        for (size_t i = 1; i < spy->advances.size(); ++i)
            EXPECT_EQ(spy->advances[i] - spy->advances[i - 1], 30 * StepPeriod(frameMs) + frameMs) << i;
        EXPECT_EQ(spy->steps, int(30 * loop.size()));
        Reset();
    }
}

TEST_F(PuzzleRunTest, TurningTheTileUnderTheVehicleTurnsItAndHoldsTheNextAdvanceForTheGoDelay) {
    SolvedBoard(5);
    Puzzle_Piece* start = run->Current();
    const int32_t heading = vehicle->GetState();
    uint32_t lastTurning = 0;
    for (int click = 0; click < 4; ++click) {
        start->OnClick();
        ASSERT_TRUE(start->IsTurning()) << "a resting vehicle does not lock its tile";
        while (start->IsTurning()) {
            lastTurning = clock().TickCount();
            Frame(kFrameMs);
        }
    }
    EXPECT_EQ(vehicle->GetState(), heading) << "four quarter turns bring the vehicle round";
    run->SetMoving(true);
    FramesUntil([&] {
        run->Frame();
        return !spy->advances.empty();
    }, 200);
    ASSERT_FALSE(spy->advances.empty());
    EXPECT_GT(spy->advances[0] - lastTurning, uint32_t(CPuzzleRun::kGoDelayMs));
    EXPECT_LE(spy->advances[0] - lastTurning, uint32_t(CPuzzleRun::kGoDelayMs) + 2 * kFrameMs);
}

TEST_F(PuzzleRunTest, EveryDeadEndStopsTheVehicleOnItsTileAndNothingElseChanges) {
    enum Kind { kNotJoining, kTurning, kCharacter, kLiftingCharacter, kEmptyCell };
    for (const Kind kind : {kNotJoining, kTurning, kCharacter, kLiftingCharacter, kEmptyCell}) {
        SCOPED_TRACE(int(kind));
        // A start tile with an exit off the loop, for the empty cell.
        uint32_t seed = 9;
        while (SolvedBoard(seed), kind == kEmptyCell && !TurnToEmptyCell() && seed < 60) {
            Reset();
            ++seed;
        }
        Puzzle_Piece* start = run->Current();
        Puzzle_Piece* ahead = Ahead();
        StandIn character(3200);
        switch (kind) {
        case kNotJoining: ahead->SetRotation(ahead->GetRotation() + (ahead->IsStraight() ? 1 : 2)); break;
        case kTurning:
            // The advance comes while the tile still turns.
            run->SetGoDelay(0);
            ahead->OnClick();
            break;
        case kCharacter: ASSERT_TRUE(ahead->SetOccupant(&character)); break;
        case kLiftingCharacter:
            // A visiting character has claimed and locked its tile.
            ASSERT_TRUE(ahead->SetOccupant(&character));
            ahead->SetLocked(true);
            break;
        case kEmptyCell: ASSERT_EQ(ahead, nullptr); break;
        }
        run->SetMoving(true);
        FramesUntil([&] {
            run->Frame();
            return spy->deadEnds > 0;
        }, 120);
        EXPECT_EQ(spy->deadEnds, 1);
        EXPECT_FALSE(run->IsMoving());
        EXPECT_EQ(run->Current(), start);
        EXPECT_EQ(run->Next(), nullptr);
        EXPECT_EQ(start->GetOccupant(), vehicle);
        EXPECT_FALSE(start->IsLocked());
        EXPECT_TRUE(spy->advances.empty());
        if (kind == kCharacter || kind == kLiftingCharacter) {
            EXPECT_EQ(ahead->GetOccupant(), &character);
            EXPECT_EQ(ahead->IsLocked(), kind == kLiftingCharacter) << "the tile keeps the lock it had, so no click turns it";
        }
        Reset();
    }
}

TEST_F(PuzzleRunTest, WaitingPeopleBadgesAndVehiclesGiveWayAndOnlyAPersonIsReached) {
    struct Case {
        uint32_t kind;
        bool shown;
        bool city;
        bool reached;
    };
    const Case cases[] = {
        {1610, true, false, true},  {1610, false, false, false}, {1610, true, true, false},
        {1540, true, false, false}, {2000, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << (c.shown ? " shown" : " hidden") << (c.city ? " city" : ""));
        SolvedBoard(13);
        run->SetCity(c.city);
        Puzzle_Piece* ahead = Ahead();
        StandIn* holder = Place(new StandIn(c.kind), 0);
        holder->SetVisible(c.shown ? 1 : 0, 0);
        ASSERT_TRUE(ahead->SetOccupant(holder));
        run->SetMoving(true);
        FramesUntil([&] {
            run->Frame();
            return !spy->advances.empty();
        }, 120);
        ASSERT_EQ(spy->advances.size(), 1u);
        EXPECT_EQ(run->Next(), ahead);
        EXPECT_EQ(ahead->GetOccupant(), vehicle);
        EXPECT_TRUE(ahead->IsLocked());
        const bool told = std::find(spy->reached.begin(), spy->reached.end(), holder) != spy->reached.end();
        EXPECT_EQ(told, c.reached);
        Reset();
    }
}

TEST_F(PuzzleRunTest, APersonOnTheTileAfterTheNextIsReachedOnceAheadOfTimeOutsideTheCity) {
    for (const bool city : {false, true}) {
        SCOPED_TRACE(city ? "city" : "town");
        const std::vector<int16_t> loop = SolvedBoard(29);
        run->SetCity(city);
        StandIn* person = Place(new StandIn(1610), 0);
        ASSERT_TRUE(board->At(loop[2])->SetOccupant(person));
        run->SetMoving(true);
        FramesUntil([&] {
            run->Frame();
            return !spy->advances.empty();
        }, 120);
        ASSERT_EQ(run->Next(), board->At(loop[1]));
        EXPECT_EQ(spy->reached.size(), city ? 0u : 1u) << "told when the vehicle sets off toward it";
        FramesUntil([&] {
            run->Frame();
            return spy->advances.size() == 2;
        }, 200);
        ASSERT_EQ(run->Next(), board->At(loop[2]));
        EXPECT_EQ(board->At(loop[2])->GetOccupant(), vehicle) << "the person gives way";
        EXPECT_EQ(spy->reached.size(), city ? 0u : 1u) << "and is not told twice";
        Reset();
    }
}

TEST_F(PuzzleRunTest, StoppedBetweenTwoTilesTheVehicleFinishesTheStepsAndRestsOnTheNextTile) {
    const std::vector<int16_t> loop = SolvedBoard(17);
    run->SetMoving(true);
    FramesUntil([&] {
        run->Frame();
        return spy->steps >= 10;
    }, 400);
    run->SetMoving(false);
    FramesUntil([&] {
        run->Frame();
        return spy->stops > 0;
    }, 200);
    EXPECT_EQ(spy->steps, 30);
    EXPECT_EQ(run->Current(), board->At(loop[1]));
    EXPECT_EQ(run->Next(), nullptr);
    EXPECT_EQ(board->At(loop[0])->GetOccupant(), nullptr) << "the tile it left is free";
    EXPECT_EQ(spy->advances.size(), 1u);
    Frames(100, kFrameMs);
    EXPECT_EQ(spy->steps, 30) << "it stays";
}

} // namespace
} // namespace vqt::test
