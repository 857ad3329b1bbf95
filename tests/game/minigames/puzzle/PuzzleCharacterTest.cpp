// The town's puzzle character: when it shows up, the tiles it may stand on, the tile it lifts
// and holds for the visit, and what it leaves behind.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>

#include "engine/base/Random.h"
#include "game/minigames/puzzle/PuzzleCharacter.h"
#include "tests/game/minigames/puzzle/PuzzleFixture.h"

namespace vqt::test {
namespace {

class PuzzleCharacterTest : public PuzzleFixture {
protected:
    void SetUp() override {
        PuzzleFixture::SetUp();
        puzzle->tileAt = [this](int32_t row, int32_t column) {
            const auto it = board.find({row, column});
            return it == board.end() ? nullptr : it->second;
        };
    }
    /// The whole 7 x 7 board; `badge` says which cells hold a badge.
    template <class Badge>
    void FullBoard(Badge badge) {
        for (int16_t row = 0; row < 7; ++row)
            for (int16_t column = 0; column < 7; ++column) {
                Puzzle_Piece* tile = Tile(row, column, true, 0);
                tile->SetHoldsBadge(badge(row, column));
                board[{row, column}] = tile;
            }
    }
    template <class Kind = Zoo_Puzzle_Alligator>
    Puzzle_Character* Character() {
        return Place(new Kind, 4);
    }
    /// Frames until the character shows (at most 30 s of them).
    void UntilShown(Puzzle_Character* c) { FramesUntil([&] { return c->IsVisible() != 0; }, 30000 / int(kFrameMs)); }
    void UntilGone(Puzzle_Character* c) { FramesUntil([&] { return c->IsVisible() == 0; }, 200); }

    std::map<std::pair<int32_t, int32_t>, Puzzle_Piece*> board;
};

TEST_F(PuzzleCharacterTest, ItShowsUpFifteenToTwentyFiveSecondsAfterItsStartAndAfterEachVisit) {
    // Badges on the cells the test screen does not show, so that every visit plays to its end.
    FullBoard([](int16_t row, int16_t column) { return row < column; });
    for (const uint32_t seed : {1u, 7u, 4242u, 90001u}) {
        xSRand(seed);
        Puzzle_Character* c = Character();
        for (int visit = 0; visit < 2; ++visit) {
            const int32_t wait = c->GetAppearTimer().duration;
            EXPECT_GE(wait, 15000) << seed;
            EXPECT_LT(wait, 25000) << seed;
            const uint32_t from = clock().TickCount();
            UntilShown(c);
            const uint32_t took = clock().TickCount() - from;
            EXPECT_GT(took, uint32_t(wait)) << seed;
            EXPECT_LE(took, uint32_t(wait) + kFrameMs) << seed;
            UntilGone(c);
            EXPECT_FALSE(c->IsVisiting());
        }
        c->SetVisible(0, 0);
        c->Suspend(1); // out of the way of the next seed's character
    }
}

TEST_F(PuzzleCharacterTest, ItStandsOnlyOnATileWithoutBadgeAndHoldsItForTheVisit) {
    struct Case {
        const char* what;
        uint32_t holder; // 0: the free tile is free
        bool claims;
    };
    const Case cases[] = {
        {"a free tile", 0, true},
        {"a tile a person holds", 1610, false},
        {"a tile the vehicle holds", 2000, false},
    };
    for (const Case& c : cases) {
        board.clear();
        xSRand(11);
        // One cell without a badge: every draw but those of that cell is refused.
        FullBoard([](int16_t row, int16_t column) { return !(row == 5 && column == 1); });
        Puzzle_Piece* free = board[{5, 1}];
        const CPointF home = free->GetPosition();
        free->SetPriority(50);
        StandIn holder(c.holder);
        if (c.holder != 0) free->SetOccupant(&holder);
        const int cheers = puzzle->cheers;
        Puzzle_Character* character = Character();
        ASSERT_TRUE(character->Appear()) << c.what;
        EXPECT_EQ(character->GetTile(), free) << c.what;
        EXPECT_EQ(character->GetPosition(), home) << c.what;
        EXPECT_TRUE(free->IsLocked()) << c.what;
        EXPECT_TRUE(free->IsLifting()) << c.what;
        EXPECT_EQ(character->GetPriority(), free->GetPriority() - 1) << c.what;
        EXPECT_EQ(free->GetOccupant() == character, c.claims) << c.what;
        EXPECT_EQ(puzzle->cheers, cheers + 1) << c.what;
        EXPECT_TRUE(character->IsVisible()) << c.what;

        // A click on the held tile does not turn it.
        if (c.claims) {
            free->OnClick();
            EXPECT_EQ(free->GetRotation(), 0u) << c.what;
        }
        UntilGone(character);
        EXPECT_EQ(character->GetTile(), nullptr) << c.what;
        EXPECT_EQ(free->GetPosition(), home) << c.what << ": set down where it lay";
        EXPECT_EQ(free->GetPriority(), 50) << c.what;
        EXPECT_FALSE(free->IsLifting() || free->IsLowering()) << c.what;
        if (c.claims) {
            EXPECT_EQ(free->GetOccupant(), nullptr) << c.what;
            EXPECT_FALSE(free->IsLocked()) << c.what;
        } else {
            EXPECT_EQ(free->GetOccupant(), &holder) << c.what << ": another's claim is kept";
            EXPECT_TRUE(free->IsLocked()) << c.what << ": and its lock";
            free->ClearOccupant();
        }
        character->Suspend(1);
    }
}

TEST_F(PuzzleCharacterTest, WithNoTileToStandOnItGivesUpAndWaitsAgain) {
    struct Case {
        const char* what;
        bool board;
    };
    for (const Case c : {Case{"badges everywhere", true}, Case{"no board", false}}) {
        board.clear();
        if (c.board) FullBoard([](int16_t, int16_t) { return true; });
        Puzzle_Character* character = Character();
        EXPECT_FALSE(character->Appear()) << c.what;
        EXPECT_FALSE(character->IsVisible()) << c.what;
        EXPECT_FALSE(character->IsVisiting()) << c.what;
        EXPECT_TRUE(character->GetAppearTimer().running) << c.what;
        EXPECT_GE(character->GetAppearTimer().duration, 15000) << c.what;
        character->Suspend(1);
    }
}

TEST_F(PuzzleCharacterTest, ItsWaitStandsStillWhileThePuzzleIsPaused) {
    FullBoard([](int16_t, int16_t) { return false; });
    Puzzle_Character* character = Character();
    const int32_t wait = character->GetAppearTimer().duration;
    Frames(100, kFrameMs);
    character->Suspend(1);
    Frames(30000 / int(kFrameMs), kFrameMs);
    EXPECT_FALSE(character->IsVisible()) << "not while paused";
    character->Resume(1);
    const uint32_t from = clock().TickCount();
    UntilShown(character);
    EXPECT_TRUE(character->IsVisible());
    EXPECT_LE(clock().TickCount() - from, uint32_t(wait) - 100 * kFrameMs + kFrameMs) << "the rest of its wait";
}

TEST_F(PuzzleCharacterTest, EachTownsCharacterIsAPuzzleCharacterOfItsOwnClass) {
    const std::unique_ptr<Puzzle_Character> characters[] = {
        std::make_unique<City_Puzzle_Crook>(), std::make_unique<Toon_Puzzle_Fire>(),
        std::make_unique<Zoo_Puzzle_Alligator>()};
    const uint32_t ids[] = {3220, 3230, 3210};
    const char* names[] = {"City_Puzzle_Crook", "Toon_Puzzle_Fire", "Zoo_Puzzle_Alligator"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(characters[i]->IsA(ids[i]));
        for (uint32_t id : {3200u, 1120u, 1100u, 54u}) EXPECT_TRUE(characters[i]->IsA(id)) << names[i] << id;
        EXPECT_FALSE(characters[i]->IsA(ids[(i + 1) % 3])) << names[i];
        EXPECT_STREQ(characters[i]->GetName(), names[i]);
        EXPECT_FALSE(characters[i]->IsVisible()) << "hidden until it appears";
    }
}

} // namespace
} // namespace vqt::test
