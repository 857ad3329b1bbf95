// The props the puzzle reads from its activity data: the go button starting and stopping the
// vehicle and coming back ready, the crowd's cheers, and the factory making each class.
#include <gtest/gtest.h>

#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/minigames/puzzle/PuzzleCrowd.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/shell/TLVFactory.h"
#include "tests/game/minigames/puzzle/PuzzleFixture.h"

namespace vqt::test {
namespace {

class PuzzlePropsTest : public PuzzleFixture {};

TEST_F(PuzzlePropsTest, TheGoButtonStartsAndStopsTheVehicleAndIsReadyAgainFiveSecondsAfterItStopped) {
    auto* button = Place(new Puzzle_Go_Button, 4);
    button->SetState(Puzzle_Go_Button::kReady);
    button->OnClick();
    EXPECT_TRUE(puzzle->moving);
    EXPECT_EQ(button->GetState(), Puzzle_Go_Button::kGoing);
    EXPECT_EQ(puzzle->priorityUpdates, 1);
    button->OnClick();
    EXPECT_FALSE(puzzle->moving);
    EXPECT_EQ(button->GetState(), Puzzle_Go_Button::kStopped);
    const uint32_t stopped = clock().TickCount();
    FramesUntil([&] { return button->GetState() != Puzzle_Go_Button::kStopped; }, 400);
    EXPECT_EQ(button->GetState(), Puzzle_Go_Button::kReady);
    EXPECT_GT(clock().TickCount() - stopped, uint32_t(Puzzle_Go_Button::kReadyAfterMs));
    EXPECT_LE(clock().TickCount() - stopped, uint32_t(Puzzle_Go_Button::kReadyAfterMs + 2 * kFrameMs));
    // A button that goes again before the five seconds are out stays going.
    button->ShowStopped();
    button->ShowGoing();
    Frames(5200 / kFrameMs, kFrameMs);
    EXPECT_EQ(button->GetState(), Puzzle_Go_Button::kGoing);
}

TEST_F(PuzzlePropsTest, TheCrowdCheersOnceOrTwiceAndThenRestsAgain) {
    struct Case {
        void (Puzzle_Crowd::*cheer)();
        int32_t state;
    };
    for (const Case c : {Case{&Puzzle_Crowd::CheerOnce, 1}, Case{&Puzzle_Crowd::CheerTwice, 2}}) {
        auto* crowd = Place(new Puzzle_Crowd, 4);
        EXPECT_EQ(crowd->GetSoundRange(), Puzzle_Crowd::kCheerRange);
        (crowd->*c.cheer)();
        EXPECT_EQ(crowd->GetState(), c.state);
        FramesUntil([&] { return crowd->GetState() == 0; }, 60);
        EXPECT_EQ(crowd->GetState(), 0);
    }
}

TEST_F(PuzzlePropsTest, TheFactoryMakesThePuzzlesPropsByClass) {
    xPuzzle_RegisterClasses();
    struct Case {
        uint32_t classId;
        const char* name;
        uint32_t base;
    };
    const Case cases[] = {
        {Puzzle_Piece::kClassId, "Puzzle_Piece", 1120},
        {Puzzle_Dweeble::kClassId, "Puzzle_Dweeble", 2400},
        {Puzzle_Crowd::kClassId, "Puzzle_Crowd", 1120},
        {Puzzle_Go_Button::kClassId, "Puzzle_Go_Button", 54},
    };
    for (const Case& c : cases) {
        OView* made = xTLVFactory_MakeProp(c.classId);
        ASSERT_NE(made, nullptr) << c.name;
        EXPECT_STREQ(made->GetName(), c.name);
        EXPECT_TRUE(made->IsA(c.classId));
        EXPECT_TRUE(made->IsA(c.base));
        delete made;
    }
}

} // namespace
} // namespace vqt::test
