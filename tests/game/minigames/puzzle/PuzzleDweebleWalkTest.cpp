// The waiting person above the first level: a step along the track at a time, turning back
// where the way ends or is held, giving up its locks only when blocked twice, and being reached
// or hit.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "tests/game/minigames/puzzle/PuzzleFixture.h"

namespace vqt::test {
namespace {

constexpr float kStand = 29.0f;

class PuzzleDweebleWalkTest : public PuzzleFixture {
protected:
    void SetUp() override {
        PuzzleFixture::SetUp();
        puzzle->level = 2;
        puzzle->tileAt = [this](int32_t row, int32_t column) {
            const auto it = board.find({row, column});
            return it == board.end() ? nullptr : it->second;
        };
    }
    /// A tile on the board the person sees.
    Puzzle_Piece* BoardTile(int16_t row, int16_t column, bool straight, uint32_t rotation) {
        Puzzle_Piece* tile = Tile(row, column, straight, rotation);
        board[{row, column}] = tile;
        return tile;
    }
    /// A column of straight tiles from the first row to the last, joined end to end.
    void Column(int16_t column, int16_t first, int16_t last) {
        for (int16_t row = first; row <= last; ++row) BoardTile(row, column, true, 0);
    }
    /// A person standing on and claiming the tile, made with the puzzle's present level.
    Puzzle_Dweeble* PersonOn(Puzzle_Piece* tile) {
        auto* person = Place(new Puzzle_Dweeble, 4, tile->GetPosition().x, tile->GetPosition().y - kStand);
        person->SetCell(tile->GetRow(), tile->GetColumn());
        person->SetCurrent(tile);
        tile->SetOccupant(person);
        return person;
    }
    static CPointF StandPoint(const Puzzle_Piece* tile) {
        return CPointF(tile->GetPosition().x, tile->GetPosition().y - kStand);
    }

    std::map<std::pair<int32_t, int32_t>, Puzzle_Piece*> board;
};

/// The walk as the person's rules describe it: it waits a step (more than 1200 ms of its timer,
/// started on the frame after the last due step), heads at 100 px/s straight for the next
/// tile's standing point a step later, stops within 8 px of it, and moves only when its 15 ms
/// motion clock has run out, by the time since that clock's last run (at most 125 ms).
class WalkModel {
public:
    WalkModel(CPointF at, uint32_t now, int16_t row) : pos_(at), clockStart_(now), row_(row) {}

    /// One frame at `now` on a column of tiles from `first` to `last`; `stand` gives a row's
    /// standing point.
    template <class Stand>
    void Frame(uint32_t now, int16_t first, int16_t last, Stand stand) {
        if (!timerRunning_) {
            timerRunning_ = true;
            timerStart_ = now;
        }
        switch (state_) {
        case 0: state_ = 1; break;
        case 1:
            if (!Due(now)) break;
            if (blocked_) Restart(now);
            Step(first, last, stand);
            break;
        case 2:
            if (!Due(now)) break;
            Restart(now);
            SetOff();
            state_ = 3;
            break;
        default: {
            const float dx = target_.x - pos_.x, dy = target_.y - pos_.y;
            const bool moving = vx_ != 0.0f || vy_ != 0.0f;
            const bool passed = moving && vx_ * dx + vy_ * dy <= 0.0f;
            if (std::sqrt(dx * dx + dy * dy) >= 8.0f && !passed) {
                if (!moving) SetOff();
                break;
            }
            vx_ = vy_ = 0.0f;
            if (!Due(now)) break;
            if (Step(first, last, stand)) {
                state_ = 3;
                SetOff();
            } else {
                state_ = 1;
            }
        }
        }
        if (now - clockStart_ > 15) {
            const float seconds = float(std::min<uint32_t>(now - clockStart_, 125)) / 1000.0f;
            pos_ = CPointF(pos_.x + vx_ * seconds, pos_.y + vy_ * seconds);
            clockStart_ = now;
        }
    }
    CPointF Position() const { return pos_; }
    int16_t Row() const { return row_; }

private:
    bool Due(uint32_t now) {
        if (!timerRunning_ || now - timerStart_ <= 1200) return false;
        timerRunning_ = false;
        return true;
    }
    void Restart(uint32_t now) {
        timerRunning_ = true;
        timerStart_ = now;
    }
    template <class Stand>
    bool Step(int16_t first, int16_t last, Stand stand) {
        const int16_t row = int16_t(row_ + (forward_ ? 1 : -1));
        if (row < first || row > last) {
            blocked_ = true;
            forward_ = !forward_;
            return false;
        }
        row_ = row;
        blocked_ = false;
        target_ = stand(row);
        state_ = 2;
        return true;
    }
    void SetOff() {
        const float dx = target_.x - pos_.x, dy = target_.y - pos_.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (length == 0.0f) return;
        vx_ = dx * (100.0f / length);
        vy_ = dy * (100.0f / length);
    }

    CPointF pos_;
    CPointF target_;
    float vx_ = 0.0f, vy_ = 0.0f;
    int state_ = 0;
    bool timerRunning_ = false;
    bool blocked_ = false;
    bool forward_ = true;
    uint32_t timerStart_ = 0;
    uint32_t clockStart_;
    int16_t row_;
};

TEST_F(PuzzleDweebleWalkTest, ALevelTwoPersonWalksTheColumnToItsEndAndBackAsTheModelDoes) {
    for (const uint32_t frameMs : {10u, 16u}) {
        board.clear();
        Column(3, 1, 4);
        Puzzle_Dweeble* person = PersonOn(board[{1, 3}]);
        WalkModel model(person->GetPosition(), clock().TickCount(), 1);
        const auto stand = [&](int16_t row) { return StandPoint(board[{row, 3}]); };
        int rowsSeen = 0;
        int16_t lastRow = 1;
        for (int frame = 0; frame * frameMs < 16000; ++frame) {
            Frames(1, frameMs);
            model.Frame(clock().TickCount(), 1, 4, stand);
            ASSERT_NEAR(person->GetPosition().x, model.Position().x, 0.01f) << frameMs << " frame " << frame;
            ASSERT_NEAR(person->GetPosition().y, model.Position().y, 0.01f) << frameMs << " frame " << frame;
            ASSERT_EQ(person->GetRow(), model.Row()) << frameMs << " frame " << frame;
            if (person->GetRow() != lastRow) ++rowsSeen;
            lastRow = person->GetRow();
        }
        EXPECT_GE(rowsSeen, 5) << "down the column and back up: " << frameMs;
        EXPECT_EQ(person->GetColumn(), 3);
        person->PickUp(); // off the board for the next frame time
    }
}

TEST_F(PuzzleDweebleWalkTest, APersonPickedUpOnItsWayWalksNoMoreAndClaimsNothing) {
    Column(3, 1, 4);
    Puzzle_Dweeble* person = PersonOn(board[{1, 3}]);
    FramesUntil([&] { return person->GetBehaviourState() == 3; }, 300);
    ASSERT_NE(person->Next(), nullptr);
    Frames(5, kFrameMs);
    person->PickUp();
    const CPointF at = person->GetPosition();
    Frames(400, kFrameMs);
    EXPECT_EQ(person->GetPosition(), at);
    for (int16_t row = 1; row <= 4; ++row) EXPECT_EQ((board[{row, 3}]->GetOccupant()), nullptr) << row;
}

TEST_F(PuzzleDweebleWalkTest, ABlockedPersonTurnsAtOnceAndGivesUpItsLocksOnlyTheSecondTime) {
    struct Case {
        const char* what;
        uint32_t blocker; // 0: no tile beyond
        bool vehicleFlag;
        bool unlocksAtFirst;
    };
    const Case cases[] = {
        {"another person", 1610, false, false},
        {"a badge", 1540, false, false},
        {"the vehicle", 2000, true, true},
        {"the board's end", 0, false, false},
    };
    for (const Case& c : cases) {
        board.clear();
        Puzzle_Piece* above = BoardTile(2, 3, true, 0);
        Puzzle_Piece* current = BoardTile(3, 3, true, 0);
        StandIn blocker(c.blocker);
        if (c.blocker != 0) BoardTile(4, 3, true, 0)->SetOccupant(&blocker);
        StandIn other(1610);
        above->SetOccupant(&other);
        Puzzle_Dweeble* person = PersonOn(current);
        current->SetLocked(true);
        Puzzle_Piece* previous = BoardTile(3, 4, false, 0);
        previous->SetOccupant(person);
        previous->SetLocked(true);
        person->SetPrevious(previous);
        person->SetBehaviourState(1);

        EXPECT_FALSE(person->StepAlongTrack()) << c.what;
        EXPECT_FALSE(person->IsForward()) << c.what << ": it turns at once";
        EXPECT_TRUE(person->IsBlocked()) << c.what;
        EXPECT_EQ(person->IsBlockedByVehicle(), c.vehicleFlag) << c.what;
        EXPECT_EQ(current->IsLocked(), !c.unlocksAtFirst) << c.what;
        EXPECT_EQ(person->GetRow(), 3) << c.what << ": its cell goes back";
        EXPECT_EQ(person->Next(), nullptr) << c.what;
        EXPECT_EQ(previous->GetOccupant(), person) << c.what << ": its previous tile is kept";

        // Held the other way too: the second failure lets go.
        current->SetLocked(true);
        person->SetCurrent(current);
        EXPECT_FALSE(person->StepAlongTrack()) << c.what;
        EXPECT_TRUE(person->IsForward()) << c.what;
        EXPECT_FALSE(current->IsLocked()) << c.what;
        EXPECT_EQ(above->GetOccupant(), &other) << c.what << ": another's claim is kept";
        EXPECT_EQ(previous->GetOccupant(), nullptr) << c.what;
        EXPECT_FALSE(previous->IsLocked()) << c.what;
        EXPECT_EQ(person->GetBehaviourState(), 1) << c.what;
        above->ClearOccupant();
        if (c.blocker != 0) board[{4, 3}]->ClearOccupant();
    }
}

TEST_F(PuzzleDweebleWalkTest, APersonTakesAJoinedFreeTileAndLeavesByTheExitItDidNotEnterBy) {
    struct Case {
        bool forward;
        bool straight;
        uint32_t rotation;
        int16_t row, column;
        bool enteredForward;
    };
    // From a straight tile at (3, 3): forward leads south (row 4), back leads north (row 2).
    const Case cases[] = {
        {true, true, 0, 4, 3, true},   // straight south: leaves by its forward exit
        {false, true, 0, 2, 3, false}, // straight north: leaves by its back exit
        {true, false, 1, 4, 3, false}, // a curve joined from the north
        {false, false, 3, 2, 3, false}, // a curve joined from the south
    };
    for (const Case& c : cases) {
        board.clear();
        Puzzle_Piece* current = BoardTile(3, 3, true, 0);
        current->SetPriority(40);
        Puzzle_Piece* next = BoardTile(c.row, c.column, c.straight, c.rotation);
        next->SetPriority(70);
        ASSERT_TRUE(current->ConnectsTo(next));
        Puzzle_Dweeble* person = PersonOn(current);
        person->SetForward(c.forward);
        ASSERT_TRUE(person->StepAlongTrack());
        EXPECT_EQ(person->Next(), next);
        EXPECT_EQ(next->GetOccupant(), person);
        EXPECT_TRUE(next->IsLocked());
        EXPECT_EQ(person->GetRow(), c.row);
        EXPECT_EQ(person->IsForward(), c.enteredForward) << c.straight << c.rotation;
        EXPECT_EQ(person->GetBehaviourState(), 2);
        EXPECT_EQ(person->GetPriority(), 70);
    }
}

TEST_F(PuzzleDweebleWalkTest, APersonDoesNotStepOntoATurningOrUnjoinedTileNorFromACellWithoutTile) {
    struct Case {
        const char* what;
        bool tileAtCell;
        bool turning;
        uint32_t nextRotation;
        bool turnsBack;
    };
    const Case cases[] = {
        {"a turning tile", true, true, 0, true},
        {"a tile that does not join", true, false, 1, true},
        {"no tile at its cell", false, false, 0, false},
    };
    for (const Case& c : cases) {
        board.clear();
        Puzzle_Piece* current = BoardTile(3, 3, true, 0);
        Puzzle_Piece* next = BoardTile(4, 3, true, c.nextRotation);
        if (c.turning) next->OnClick();
        Puzzle_Dweeble* person = PersonOn(current);
        person->SetCurrent(nullptr);
        if (!c.tileAtCell) board.erase({3, 3});
        EXPECT_FALSE(person->StepAlongTrack()) << c.what;
        EXPECT_EQ(person->IsForward(), !c.turnsBack) << c.what;
        EXPECT_EQ(person->GetRow(), 3) << c.what;
        EXPECT_EQ(next->GetOccupant(), nullptr) << c.what;
        if (!c.tileAtCell) {
            const CPointF at = person->GetPosition();
            Frames(200, kFrameMs);
            EXPECT_EQ(person->GetPosition(), at) << "a person without a tile stays";
            EXPECT_EQ(person->GetBehaviourState(), 1);
        }
        FinishTurn(next);
    }
}

TEST_F(PuzzleDweebleWalkTest, ATileTurnedUnderAWalkingPersonPutsItOnTheNextTileAtLevelThree) {
    puzzle->level = 3;
    Column(3, 2, 4);
    Puzzle_Dweeble* person = PersonOn(board[{2, 3}]);
    FramesUntil([&] { return person->GetBehaviourState() == 3; }, 300);
    ASSERT_EQ(person->GetBehaviourState(), 3) << "it sets off";
    ASSERT_NE(person->Next(), nullptr);
    Puzzle_Piece* current = person->Current();
    Puzzle_Piece* next = person->Next();
    ASSERT_TRUE(next->IsLocked()) << "the tile it heads for is locked for it";
    next->OnClick();
    ASSERT_EQ(puzzle->turnedUnder.size(), 1u) << "the puzzle hears of the turn under a person";
    EXPECT_EQ(puzzle->turnedUnder[0].tile, next);
    EXPECT_EQ(puzzle->turnedUnder[0].person, person);
    person->TileTurned(next);
    EXPECT_EQ(person->Current(), next);
    EXPECT_EQ(person->Next(), nullptr);
    EXPECT_EQ(person->GetBehaviourState(), 1);
    EXPECT_EQ(person->GetPosition(), StandPoint(next));
    EXPECT_EQ(person->GetVelocity().x, 0.0f) << "it stands";
    EXPECT_EQ(person->Previous(), current);
    FinishTurn(next);
}

TEST_F(PuzzleDweebleWalkTest, AHitPersonIsPickedUpByTheVehicleOrStopsForAShotUnlessItWalks) {
    struct Case {
        uint32_t hitBy;
        int32_t frame;
        int32_t answer;
        int32_t state;
        bool pickedUp;
    };
    const Case cases[] = {
        {2000, 0, 68, -1, true}, {2300, 0, 65, 6, false}, {2300, 3, 65, 1, false}, {1540, 0, 0, 1, false},
    };
    for (const Case& c : cases) {
        puzzle->reached.clear();
        puzzle->removed.clear();
        Puzzle_Piece* tile = BoardTile(3, 3, true, 0);
        Puzzle_Dweeble* person = PersonOn(tile);
        person->SetBehaviourState(1);
        person->ShowFrame(c.frame);
        StandIn other(c.hitBy);
        EXPECT_EQ(person->OnHit(&other), c.answer) << c.hitBy;
        EXPECT_EQ(puzzle->reached.size(), c.pickedUp ? 1u : 0u) << c.hitBy;
        EXPECT_EQ(puzzle->removed.size(), c.pickedUp ? 1u : 0u) << c.hitBy;
        EXPECT_EQ(person->IsVisible() == 0, c.pickedUp) << c.hitBy;
        if (c.state >= 0) {
            EXPECT_EQ(person->GetBehaviourState(), c.state) << c.hitBy;
        }
        if (c.pickedUp) {
            EXPECT_EQ(tile->GetOccupant(), nullptr);
        }
    }
    EXPECT_EQ(PersonOn(BoardTile(5, 5, true, 0))->OnHit(nullptr), 0);
}

} // namespace
} // namespace vqt::test
