// The track tile: turning by clicks through its animation states, the claim and lock that
// keep it still under the vehicle, the vehicle and waiting people turning with it, the lift
// by a character, the hover highlight and its row and column properties.
#include <gtest/gtest.h>

#include "tests/game/minigames/puzzle/PuzzleFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

class PuzzlePieceTest : public PuzzleFixture {};

TEST_F(PuzzlePieceTest, FourClicksTurnATileRoundThroughTheQuarterTurnStatesOneAfterTheOther) {
    for (const uint32_t first : {0u, 3u}) {
        Puzzle_Piece* tile = Tile(3, 3, false, first);
        for (uint32_t click = 0; click < 4; ++click) {
            const uint32_t from = (first + click) % 4;
            tile->OnClick();
            EXPECT_TRUE(tile->IsTurning());
            EXPECT_EQ(tile->GetState(), int32_t(4 + from));
            EXPECT_EQ(tile->GetRotation(), (from + 1) % 4);
            tile->OnClick(); // a click while it turns is ignored
            EXPECT_EQ(tile->GetRotation(), (from + 1) % 4);
            FinishTurn(tile);
            EXPECT_FALSE(tile->IsTurning());
            EXPECT_EQ(tile->GetState(), int32_t((from + 1) % 4)) << "rests at its new rotation";
        }
        EXPECT_EQ(tile->GetRotation(), first);
    }
    EXPECT_EQ(puzzle->priorityUpdates, 8) << "the vehicle is put above the tiles after every turn";
}

TEST_F(PuzzlePieceTest, WhoHoldsTheTileDecidesWhetherAClickTurnsIt) {
    struct Case {
        const char* name;
        uint32_t occupant; // 0: none
        bool locked;
        bool turns;
        bool personTold;
    };
    const Case cases[] = {
        {"free", 0, false, true, false},
        {"a stale lock without occupant", 0, true, true, false},
        {"the vehicle, locked", 2000, true, false, false},
        {"the vehicle, not locked", 2000, false, true, false},
        {"a waiting person, locked", 1610, true, true, true},
        {"a character, locked", 3200, true, false, false},
        {"a badge, locked", 1540, true, false, false},
    };
    for (const Case& c : cases) {
        Puzzle_Piece* tile = Tile(2, 2, true, 1);
        StandIn occupant(c.occupant);
        if (c.occupant) {
            ASSERT_TRUE(tile->SetOccupant(&occupant));
        }
        tile->SetLocked(c.locked);
        puzzle->turnedUnder.clear();
        tile->OnClick();
        EXPECT_EQ(tile->IsTurning(), c.turns) << c.name;
        EXPECT_EQ(tile->GetRotation(), c.turns ? 2u : 1u) << c.name;
        ASSERT_EQ(puzzle->turnedUnder.size(), c.personTold ? 1u : 0u) << c.name;
        if (c.personTold) {
            EXPECT_EQ(puzzle->turnedUnder[0].tile, tile);
            EXPECT_EQ(puzzle->turnedUnder[0].person, &occupant);
            EXPECT_TRUE(tile->IsLocked()) << "the person keeps the tile";
        }
        FinishTurn(tile);
        tile->ClearOccupant();
    }
}

TEST_F(PuzzlePieceTest, AVehicleOnATurningTileTurnsTwoHeadingsAFrameWithinItsStateGroupAndWaitsAgain) {
    struct Case {
        int32_t saved;
    };
    // Heading 1 of groups 0 and 1, heading 30 of group 0: the turn wraps within the group.
    for (const Case c : {Case{1}, Case{33}, Case{30}}) {
        Puzzle_Piece* tile = Tile(4, 4, false, 2);
        StandIn vehicle(2000);
        vehicle.state = c.saved;
        ASSERT_TRUE(tile->SetOccupant(&vehicle));
        tile->OnClick();
        const int restarts = puzzle->goDelayRestarts;
        Frames(1, kFrameMs);
        ASSERT_FALSE(vehicle.given.empty());
        const int32_t group = c.saved / 32 * 32;
        const int32_t expected = group + ((c.saved % 32 - (2 * tile->GetCurrentFrame() + 2)) % 32 + 32) % 32;
        EXPECT_EQ(vehicle.given.back(), expected) << c.saved;
        for (int32_t state : vehicle.given) EXPECT_TRUE(state >= group && state < group + 32) << state;
        EXPECT_GT(puzzle->goDelayRestarts, restarts) << "the next advance waits the full go delay again";
        FinishTurn(tile);
        const size_t turned = vehicle.given.size();
        Frames(2, kFrameMs);
        EXPECT_EQ(vehicle.given.size(), turned) << "a resting tile leaves the vehicle alone";
        tile->ClearOccupant();
    }
}

TEST_F(PuzzlePieceTest, OnlyTheFirstPropOrTheSameOneAgainClaimsATile) {
    Puzzle_Piece* tile = Tile(1, 1, true, 0);
    StandIn first(1610), second(2000);
    EXPECT_TRUE(tile->SetOccupant(&first));
    EXPECT_TRUE(tile->SetOccupant(&first));
    EXPECT_FALSE(tile->SetOccupant(&second));
    EXPECT_EQ(tile->GetOccupant(), &first);
    tile->SetLocked(true);
    tile->Release();
    EXPECT_FALSE(tile->IsLocked());
    EXPECT_TRUE(tile->SetOccupant(&second));
}

TEST_F(PuzzlePieceTest, ALiftRaisesTheTileWithTheCharactersFramesAndLoweringPutsItBack) {
    Puzzle_Piece* tile = Tile(3, 4, false, 0);
    tile->SetPriority(155);
    const CPointF home = tile->GetPosition();
    StandIn character(3200);
    ASSERT_TRUE(tile->SetOccupant(&character));
    tile->StartLift(&character);
    EXPECT_EQ(tile->GetPriority(), 158);
    EXPECT_EQ(tile->GetSavedPriority(), 155);
    for (int32_t frame = 0; frame < 4; ++frame) {
        character.frame = frame;
        tile->OnIdle();
        EXPECT_TRUE(tile->IsLifting()) << frame;
    }
    character.frame = 4; // the lift holds
    tile->OnIdle();
    EXPECT_FALSE(tile->IsLifting());
    tile->StartLower(&character);
    character.frame = 1;
    tile->OnIdle();
    EXPECT_TRUE(tile->IsLowering());
    character.frame = 4;
    tile->OnIdle();
    EXPECT_FALSE(tile->IsLowering());
    EXPECT_EQ(tile->GetPriority(), 155);
    EXPECT_EQ(character.GetPriority(), 154) << "the character goes just below its tile";
    EXPECT_EQ(tile->GetPosition(), home);
}

TEST_F(PuzzlePieceTest, ALiftByAPropThatDoesNotHoldTheTileEndsAtOnce) {
    Puzzle_Piece* tile = Tile(3, 4, false, 0);
    StandIn character(3200), vehicle(2000);
    ASSERT_TRUE(tile->SetOccupant(&vehicle));
    tile->StartLift(&character);
    tile->OnIdle();
    EXPECT_FALSE(tile->IsLifting());
    EXPECT_EQ(tile->GetOccupant(), &vehicle);
}

TEST_F(PuzzlePieceTest, TheHighlightShowsAtTheTilesPriorityWhileThePointerIsOverIt) {
    Puzzle_Piece* tile = Tile(2, 5, true, 0);
    tile->SetPriority(85);
    OActivityProp* highlight = tile->GetHighlight();
    ASSERT_NE(highlight, nullptr);
    EXPECT_EQ(highlight->GetParent(), tile);
    EXPECT_EQ(highlight->IsVisible(), 0);
    EXPECT_EQ(highlight->GetPosition(), CPointF(Puzzle_Piece::kHighlightX, Puzzle_Piece::kHighlightY));
    tile->OnCursorEnter();
    EXPECT_EQ(highlight->IsVisible(), 1);
    EXPECT_EQ(highlight->GetPriority(), 85);
    tile->OnCursorLeave();
    EXPECT_EQ(highlight->IsVisible(), 0);
}

TEST_F(PuzzlePieceTest, RowAndColumnAreItsPropertiesAndOtherIdsOfTheFamilyAreAccepted) {
    Puzzle_Piece tile;
    LoadStoredProperties(tile, PropertyBytes().Short(1600, 1, 4).Short(1600, 2, 6).Short(1600, 9, 1).Long(1100, 1, 7));
    EXPECT_EQ(tile.GetRow(), 4);
    EXPECT_EQ(tile.GetColumn(), 6);
    EXPECT_EQ(tile.GetZBias(), 7) << "other families go to the prop base";
    for (uint32_t id : {1600u, 1120u, 1100u, 54u, 50u, 20u, 10u, 1u}) EXPECT_TRUE(tile.IsA(id)) << id;
    EXPECT_FALSE(tile.IsA(1610));
}

TEST_F(PuzzlePieceTest, ATileWithoutArtTurnsAtOnceInsteadOfWaitingForAnAnimationEnd) {
    Puzzle_Piece* tile = Place(new Puzzle_Piece, 0);
    tile->SetStraight(true);
    tile->OnClick();
    EXPECT_FALSE(tile->IsTurning());
    EXPECT_EQ(tile->GetRotation(), 1u);
}

} // namespace
} // namespace vqt::test
