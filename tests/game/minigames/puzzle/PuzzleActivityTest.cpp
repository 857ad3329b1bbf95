// The town puzzles on the generated data: what a start lays out by level, a level from a bad
// record, the record after leaving unsolved or after a win, a solved board driven round with
// every person picked up, one left with a person still waiting, and the factory's puzzle
// classes.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/base/Random.h"
#include "engine/media/MessageProcess.h"
#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/GPMetropolisActivity.h"
#include "game/minigames/puzzle/GPToonActivity.h"
#include "game/minigames/puzzle/GPZooActivity.h"
#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/minigames/puzzle/PuzzleDweeble.h"
#include "game/minigames/puzzle/PuzzleGoButton.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/world/WorldClasses.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/puzzle/PuzzleTownFixture.h"
#include "tests/game/minigames/puzzle/TrackSolver.h"

namespace vqt::test {
namespace {

class PuzzleActivityTest : public PuzzleTownFixture {};

TEST_F(PuzzleActivityTest, EachLevelLaysItsPeopleAndBadgesOnFreeTilesWithTheVehicleOnTheBoard) {
    const PuzzleTownValues* towns[] = {&puzzle_towns::kCircus, &puzzle_towns::kCity};
    for (const PuzzleTownValues* town : towns) {
        for (uint16_t level = 1; level <= 3; ++level) {
            SCOPED_TRACE(testing::Message() << town->name << " level " << level);
            SetLevel(*town, level);
            CGPuzzle* puzzle = Start(*town, level);
            ASSERT_NE(puzzle, nullptr);
            EXPECT_TRUE(puzzle->IsA(town->classId));
            EXPECT_EQ(puzzle->People().size(), size_t(2 * level + 1));
            EXPECT_EQ(puzzle->Badges().size(), size_t(level + 1));
            EXPECT_EQ(puzzle->GetPeopleLeft(), 2 * level + 1);
            for (Puzzle_Dweeble* person : puzzle->People()) {
                Puzzle_Piece* tile = puzzle->Board().At(person->GetRow(), person->GetColumn());
                ASSERT_NE(tile, nullptr);
                EXPECT_EQ(tile->GetOccupant(), person);
            }
            for (Token* badge : puzzle->Badges()) {
                Puzzle_Piece* tile = puzzle->Board().At(badge->row, badge->column);
                ASSERT_NE(tile, nullptr);
                EXPECT_TRUE(tile->HoldsBadge());
                EXPECT_EQ(tile->GetOccupant(), nullptr) << "a badge lies on a free tile";
            }
            ASSERT_NE(puzzle->GetVehicle(), nullptr);
            EXPECT_EQ(puzzle->Run().Current()->GetOccupant(), puzzle->GetVehicle());
            ASSERT_NE(puzzle->GetGoButton(), nullptr);
            EXPECT_EQ(puzzle->GetGoButton()->GetState(), Puzzle_Go_Button::kReady);
            EXPECT_EQ(puzzle->Crowd().size(), 2u);
            EXPECT_TRUE(puzzle->IsPanelShown(CGPuzzle::kPanelStart));
            Leave();
        }
    }
}

TEST_F(PuzzleActivityTest, ALevelOutsideOneToThreeIsHeldToTheNearestAndTheVehicleStillGoes) {
    struct Case {
        uint16_t stored;
        size_t people;
    };
    for (const Case c : {Case{0, 3}, Case{9, 7}}) {
        SetLevel(puzzle_towns::kCircus, c.stored);
        CGPuzzle* puzzle = Start(puzzle_towns::kCircus);
        ASSERT_NE(puzzle, nullptr);
        EXPECT_EQ(puzzle->People().size(), c.people);
        EXPECT_EQ(puzzle->Run().GetGoDelay().duration, CPuzzleRun::kGoDelayMs);
        EXPECT_NE(debug().Text().find("puzzle level"), std::string::npos);
        Leave();
    }
}

TEST_F(PuzzleActivityTest, LeavingUnsolvedLowersTheLevelButNotBelowOne) {
    struct Case {
        uint16_t level;
        uint16_t after;
    };
    for (const Case c : {Case{3, 2}, Case{2, 1}, Case{1, 1}}) {
        SetLevel(puzzle_towns::kCity, c.level);
        const uint16_t count = Player().GetActivityCount(2, CGPuzzle::kPuzzleActivity);
        ASSERT_NE(Start(puzzle_towns::kCity), nullptr);
        Leave();
        EXPECT_EQ(Player().GetActivityLevel(2, CGPuzzle::kPuzzleActivity), c.after) << c.level;
        EXPECT_EQ(Player().GetActivityCount(2, CGPuzzle::kPuzzleActivity), count);
    }
}

TEST_F(PuzzleActivityTest, OnASolvedBoardTheVehicleGoesRoundPicksUpEveryoneAndTheWinIsRecorded) {
    SetLevel(puzzle_towns::kCircus, 1);
    const uint16_t heroes = Player().GetHeroPoints(0);
    const uint16_t badges = Player().GetBadgeCount(0, CGPuzzle::kPuzzleActivity);
    CGPuzzle* puzzle = Start(puzzle_towns::kCircus, 3);
    ASSERT_NE(puzzle, nullptr);
    CloseStartPanel(puzzle);
    Solve(puzzle);
    Type(CTLVActivity::kKeySpace);
    EXPECT_TRUE(puzzle->Run().IsMoving());
    EXPECT_EQ(puzzle->GetGoButton()->GetState(), Puzzle_Go_Button::kGoing);
    FramesUntil([&] { return puzzle->GetPeopleLeft() == 0; }, 6000);
    EXPECT_EQ(puzzle->GetPeopleLeft(), 0);
    for (Puzzle_Dweeble* person : puzzle->People()) EXPECT_EQ(person->IsVisible(), 0);
    FramesUntil([&] { return puzzle->IsPanelShown(CGPuzzle::kPanelEnd); }, 10);
    EXPECT_TRUE(puzzle->IsPanelShown(CGPuzzle::kPanelEnd));
    EXPECT_EQ(Player().GetHeroPoints(0), heroes + 1);
    const uint16_t collected = Player().GetBadgeCount(0, CGPuzzle::kPuzzleActivity) - badges;
    EXPECT_EQ(size_t(collected) + puzzle->Badges().size(), 2u);
    Leave();
    EXPECT_EQ(Player().GetActivityLevel(0, CGPuzzle::kPuzzleActivity), 2);
    EXPECT_EQ(Player().GetActivityCount(0, CGPuzzle::kPuzzleActivity), 1);
}

TEST_F(PuzzleActivityTest, LeavingWithOnePersonStillWaitingCountsAsLeftNotWon) {
    SetLevel(puzzle_towns::kCircus, 2);
    const uint16_t count = Player().GetActivityCount(0, CGPuzzle::kPuzzleActivity);
    const uint16_t heroes = Player().GetHeroPoints(0);
    CGPuzzle* puzzle = Start(puzzle_towns::kCircus, 3);
    ASSERT_NE(puzzle, nullptr);
    ASSERT_EQ(puzzle->GetPeopleLeft(), 5);
    CloseStartPanel(puzzle);
    Solve(puzzle);
    Type(CTLVActivity::kKeySpace);
    FramesUntil([&] { return puzzle->GetPeopleLeft() <= 1; }, 6000);
    ASSERT_EQ(puzzle->GetPeopleLeft(), 1) << "the drive round picks the people up one at a time";
    Leave();
    EXPECT_EQ(Player().GetActivityLevel(0, CGPuzzle::kPuzzleActivity), 1) << "lowered, as any puzzle left unsolved";
    EXPECT_EQ(Player().GetActivityCount(0, CGPuzzle::kPuzzleActivity), count);
    EXPECT_EQ(Player().GetHeroPoints(0), heroes);
}

/// One frame's state of the play: the vehicle's place, state and step, and the people left.
uint64_t FrameHash(CGPuzzle* puzzle) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](int64_t v) { h = (h ^ uint64_t(v)) * 1099511628211ull; };
    if (const VIsometric* vehicle = puzzle->GetVehicle()) {
        mix(int64_t(vehicle->GetPosition().x * 100));
        mix(int64_t(vehicle->GetPosition().y * 100));
        mix(const_cast<VIsometric*>(vehicle)->GetState());
    }
    mix(puzzle->Run().GetStep());
    mix(puzzle->GetPeopleLeft());
    return h;
}

TEST_F(PuzzleActivityTest, ABotClickingTilesAtTheirPlacesClosesTheLoopAndTheGoButtonWinsThePuzzleAlikeEachTime) {
    std::vector<uint64_t> runs[2];
    for (std::vector<uint64_t>& hashes : runs) {
        SetLevel(puzzle_towns::kCircus, 1);
        const uint16_t count = Player().GetActivityCount(0, CGPuzzle::kPuzzleActivity);
        CGPuzzle* puzzle = Start(puzzle_towns::kCircus, 7);
        ASSERT_NE(puzzle, nullptr);
        CloseStartPanel(puzzle);
        // The bot reads the board and turns each tile by clicks until it joins its loop
        // neighbours.
        const TrackGenerator* g = puzzle->Board().LastGenerator();
        const std::vector<int16_t> loop = LoopOf(*g);
        const std::vector<int> rotations = vqt::test::Solve(loop, g->Board());
        for (size_t i = 0; i < loop.size(); ++i) {
            Puzzle_Piece* tile = puzzle->Board().At(loop[i]);
            // Left of the middle and just above it: inside this tile's box and no later one's,
            // and clear of the vehicle and the people standing on it.
            const CPointF at = tile->GetPosition();
            for (int turns = (rotations[i] - int(tile->GetRotation()) + 4) % 4; turns > 0; --turns) {
                Click(int16_t(at.x - 20), int16_t(at.y - 1));
                FramesUntil([&] { return !tile->IsTurning(); }, 100);
            }
            ASSERT_EQ(int(tile->GetRotation()), rotations[i]) << "tile " << i << " at " << at.x << "," << at.y;
        }
        Type(CTLVActivity::kKeySpace);
        for (int n = 0; n < 6000 && !puzzle->IsPanelShown(CGPuzzle::kPanelEnd); ++n) {
            Frames(1, kFrameMs);
            hashes.push_back(FrameHash(puzzle));
        }
        EXPECT_EQ(puzzle->GetPeopleLeft(), 0);
        EXPECT_TRUE(puzzle->IsPanelShown(CGPuzzle::kPanelEnd));
        Leave();
        EXPECT_EQ(Player().GetActivityLevel(0, CGPuzzle::kPuzzleActivity), 2);
        EXPECT_EQ(Player().GetActivityCount(0, CGPuzzle::kPuzzleActivity), count + 1);
    }
    EXPECT_EQ(runs[0], runs[1]) << "the same seed plays the same frames";
}

TEST_F(PuzzleActivityTest, EveryLineIsSaidWithItsCaptionAndTheQuietOnesWaitForNoOne) {
    const char* const captions[] = {
        "Click on any of the tracks to turn them. ",
        ("When you have the tracks lined up the way you want them, click the \"go\" button to move the emergency "
         "vehicle forward.  "),
        "Try to get the tracks to line up and get the emergency vehicle to each of the characters.  ",
        "Pick up badges along the way.  ",
        "Now start turning those tracks!",
        "Hang on!  Can\x92t turn that one yet.",
        "Turn the tracks that make the road complete",
        "Well done hero!",
        "Complete the road to get the emergency vehicle to the characters on the board",
        "You have to turn that track",
        "If you are ready, click the go button to get the emergency vehicle moving.",
        "You did it!  You picked him up. ",
        "Try and get the vehicle to the characters to pick them up",
        "Great job.",
        "You saved everybody.  Great job. ",
    };
    OMessageProcess* messages = app->GetMessageProcess();
    for (const PuzzleTownValues* town : {&puzzle_towns::kCircus, &puzzle_towns::kCity}) {
        SCOPED_TRACE(town->name);
        CGPuzzle* puzzle = Start(*town);
        ASSERT_NE(puzzle, nullptr);
        for (int32_t line = 0; line <= 15; ++line) {
            messages->FlushMessages();
            xSRand(uint32_t(line));
            const bool tenFirst = xRand() % 2 == 0;
            xSRand(uint32_t(line));
            puzzle->Speak(line);
            const bool silent = town->city && (line == 2 || line == 14);
            ASSERT_EQ(messages->QueueLength(), silent ? 0 : 1) << line;
            if (silent) continue;
            const OMessageRecord* said = messages->QueuedAt(0);
            const char* expected = line == 15 ? town->farewellCaption
                                   : town->city && line == 8 ? captions[tenFirst ? 10 : 6]
                                                             : captions[line];
            EXPECT_EQ(said->caption, expected) << line;
            if (line == 5) {
                EXPECT_EQ(uint8_t(said->caption[13]), 0x92) << "a right single quotation mark";
            }
            EXPECT_NE(said->voice, nullptr) << line;
            // A quiet line waits for no one: it is dropped while another is queued.
            puzzle->Speak(line);
            EXPECT_EQ(messages->QueueLength(), line >= 5 && line <= 13 ? 1 : 2) << line;
        }
        messages->FlushMessages();
        Leave();
    }
}

TEST_F(PuzzleActivityTest, ThePlayersVehicleGivesTheArtsAndAVehicleOfAnotherTownGivesNone) {
    struct Case {
        const PuzzleTownValues* town;
        uint16_t vehicle;
        int own; // -1: another town's vehicle
    };
    const Case cases[] = {{&puzzle_towns::kCircus, 0, 0}, {&puzzle_towns::kCircus, 1, 1}, {&puzzle_towns::kCity, 4, 0},
                          {&puzzle_towns::kCity, 5, 1},   {&puzzle_towns::kCircus, 4, -1}, {&puzzle_towns::kCity, 2, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.town->name << " vehicle " << c.vehicle);
        Player().SetSelectedVehicle(c.vehicle);
        SwitchTo(c.town->ownEntry);
        auto* puzzle = dynamic_cast<CGPuzzle*>(CurrentGameActivity());
        ASSERT_NE(puzzle, nullptr);
        if (c.own < 0) {
            EXPECT_EQ(puzzle->GetVehicle(), nullptr);
            EXPECT_EQ(puzzle->People().size(), 3u) << "the people are there all the same";
        } else {
            ASSERT_NE(puzzle->GetVehicle(), nullptr);
            ChunkId art = 0, light = 0;
            puzzle->GetVehicle()->GetPartID(&art);
            EXPECT_EQ(art, c.town->vehicleArts[c.own]);
            ASSERT_NE(puzzle->GetVehicle()->GetAttachedProp(), nullptr);
            puzzle->GetVehicle()->GetAttachedProp()->GetPartID(&light);
            EXPECT_EQ(light, c.town->lightArts[c.own]);
            EXPECT_FLOAT_EQ(puzzle->GetVehicle()->GetScaleV(), CGPuzzle::kVehicleScale);
            EXPECT_FLOAT_EQ(puzzle->GetVehicle()->GetArrivalRadius(), CGPuzzle::kVehicleArrivalRadius);
            // CTRL switches the light and its siren on, and both off again.
            CloseStartPanel(puzzle);
            const uint8_t shown = puzzle->GetVehicle()->GetAttachedProp()->IsVisible();
            Type(CTLVActivity::kKeyCtrl);
            EXPECT_NE(puzzle->GetVehicle()->GetAttachedProp()->IsVisible(), shown);
            EXPECT_EQ(Playing(8) != nullptr, shown == 0);
            Type(CTLVActivity::kKeyCtrl);
            EXPECT_EQ(puzzle->GetVehicle()->GetAttachedProp()->IsVisible(), shown);
        }
        app->GetMessageProcess()->FlushMessages();
        SwitchTo(kPlainScreen);
    }
}

TEST_F(PuzzleActivityTest, SpaceStartsAndStopsTheVehicleOnlyWhileNoPanelShows) {
    CGPuzzle* puzzle = Start(puzzle_towns::kCity);
    ASSERT_NE(puzzle, nullptr);
    Type(CTLVActivity::kKeySpace);
    EXPECT_FALSE(puzzle->Run().IsMoving()) << "the start panel holds the play";
    CloseStartPanel(puzzle);
    Type(CTLVActivity::kKeySpace);
    EXPECT_TRUE(puzzle->Run().IsMoving());
    Type(CTLVActivity::kKeySpace);
    EXPECT_FALSE(puzzle->Run().IsMoving());
    EXPECT_EQ(puzzle->GetGoButton()->GetState(), Puzzle_Go_Button::kStopped);
    Leave();
}

} // namespace
} // namespace vqt::test
