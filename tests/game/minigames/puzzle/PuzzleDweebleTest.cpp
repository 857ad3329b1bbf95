// The waiting person: standing on and claiming its tile at the first level, keeping above its
// cell's tile, turning with its tile on its way to the next one, and being picked up.
#include <gtest/gtest.h>

#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "tests/game/minigames/puzzle/PuzzleFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

class PuzzleDweebleTest : public PuzzleFixture {
protected:
    Puzzle_Dweeble* Person(Puzzle_Piece* on) {
        auto* person = Place(new Puzzle_Dweeble, 4, on ? on->GetPosition().x : 300, on ? on->GetPosition().y - 29 : 200);
        person->SetCurrent(on);
        if (on) person->SetCell(on->GetRow(), on->GetColumn());
        return person;
    }
};

TEST_F(PuzzleDweebleTest, AtTheFirstLevelAPersonStandsAndClaimsItsTile) {
    Puzzle_Piece* tile = Tile(3, 3, true, 0);
    Puzzle_Dweeble* person = Person(tile);
    EXPECT_EQ(person->GetBehaviourState(), 0);
    Frames(3, kFrameMs);
    EXPECT_EQ(person->GetBehaviourState(), 1);
    EXPECT_EQ(tile->GetOccupant(), person);
    const CPointF stands = person->GetPosition();
    Frames(100, kFrameMs);
    EXPECT_EQ(person->GetPosition(), stands) << "it does not walk";
    EXPECT_EQ(person->Current(), tile);
}

TEST_F(PuzzleDweebleTest, APersonKeepsAboveTheTileOfItsCell) {
    Puzzle_Piece* tile = Tile(2, 4, false, 1);
    tile->SetPriority(90);
    puzzle->tileAt = [&](int32_t row, int32_t column) { return row == 2 && column == 4 ? tile : nullptr; };
    Puzzle_Dweeble* person = Person(tile);
    person->SetPriority(10);
    Frames(1, kFrameMs);
    EXPECT_EQ(person->GetPriority(), 90);
    person->SetPriority(120);
    Frames(1, kFrameMs);
    EXPECT_EQ(person->GetPriority(), 120) << "a higher priority is kept";
    EXPECT_TRUE(person->GetWalkTimer().running);
}

TEST_F(PuzzleDweebleTest, APickedUpPersonLetsGoOfItsTilesHidesAndTellsThePuzzle) {
    Puzzle_Piece* previous = Tile(2, 2, true, 0);
    Puzzle_Piece* current = Tile(3, 2, true, 0);
    Puzzle_Piece* next = Tile(4, 2, true, 0);
    Puzzle_Dweeble* person = Person(current);
    StandIn other(2000);
    ASSERT_TRUE(current->SetOccupant(person));
    ASSERT_TRUE(next->SetOccupant(&other)); // the vehicle holds the next one
    next->SetLocked(true);
    person->SetNext(next);
    person->PickUp();
    EXPECT_EQ(current->GetOccupant(), nullptr);
    EXPECT_EQ(next->GetOccupant(), &other) << "a tile another prop holds is left alone";
    EXPECT_TRUE(next->IsLocked());
    EXPECT_EQ(previous->GetOccupant(), nullptr);
    EXPECT_EQ(person->IsVisible(), 0);
    ASSERT_EQ(puzzle->removed.size(), 1u);
    EXPECT_EQ(puzzle->removed[0], person);
    EXPECT_FALSE(person->HasRoutine(0));
    EXPECT_FALSE(person->HasRoutine(2));
    next->ClearOccupant();
}

TEST_F(PuzzleDweebleTest, APersonOnItsWayToTheNextTileStandsThereWhenItsTileTurns) {
    struct Case {
        bool city;
        float height;
    };
    for (const Case c : {Case{false, 29.0f}, Case{true, 15.0f}}) {
        puzzle->city = c.city;
        Puzzle_Piece* current = Tile(3, 3, true, 0);
        Puzzle_Piece* next = Tile(4, 3, true, 0);
        next->SetPriority(120);
        Puzzle_Dweeble* person = Person(current);
        person->TileTurned(current);
        EXPECT_EQ(person->Current(), current) << "without a next tile nothing happens";
        person->SetNext(next);
        ASSERT_TRUE(current->SetOccupant(person));
        person->TileTurned(current);
        EXPECT_EQ(person->Current(), next);
        EXPECT_EQ(person->Previous(), current);
        EXPECT_EQ(person->Next(), nullptr);
        EXPECT_EQ(person->GetBehaviourState(), 1);
        EXPECT_EQ(person->GetPosition(), CPointF(next->GetPosition().x, next->GetPosition().y - c.height));
        EXPECT_EQ(person->GetPriority(), 120);
    }
}

TEST_F(PuzzleDweebleTest, ThePersonsFramesAndStepTimeFollowTheTownAndLevel) {
    struct Case {
        bool city;
        int32_t level;
        int32_t walking;
        int32_t stepMs;
    };
    const Case cases[] = {{false, 1, 3, 1200}, {false, 3, 3, 1200}, {true, 2, 0, 1200}, {false, 0, 3, -1}, {true, 4, 0, -1}};
    for (const Case& c : cases) {
        puzzle->city = c.city;
        puzzle->level = c.level;
        Puzzle_Dweeble person;
        EXPECT_EQ(person.FramesC().GetAt(0), c.walking) << c.city << c.level;
        EXPECT_EQ(person.FramesB().Count(), c.city ? 1 : 2);
        EXPECT_EQ(person.GetWalkTimer().duration, c.stepMs) << c.level;
        EXPECT_FALSE(person.GetWalkTimer().running);
    }
}

TEST_F(PuzzleDweebleTest, RowAndColumnAreItsPropertiesAndTheStepIsDueOnceAfterItsTime) {
    Puzzle_Dweeble* person = Person(nullptr);
    LoadStoredProperties(*person, PropertyBytes().Short(1610, 1, 5).Short(1610, 2, 2).Short(1610, 3, 9));
    EXPECT_EQ(person->GetRow(), 5);
    EXPECT_EQ(person->GetColumn(), 2);
    person->StartStepTimer();
    EXPECT_FALSE(person->StepDue());
    clock().Advance(Puzzle_Dweeble::kStepMs + 1);
    EXPECT_TRUE(person->StepDue());
    EXPECT_FALSE(person->StepDue()) << "it stops once due";
    for (uint32_t id : {1610u, 2400u, 1110u, 1100u, 54u}) EXPECT_TRUE(person->IsA(id)) << id;
}

} // namespace
} // namespace vqt::test
